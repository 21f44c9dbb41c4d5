#include "measurepanel.h"

#include "measuredialog.h"
#include "ox_queue.h"
#include "oxbowui.h"
#include "windowgeometry.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace oxapp {
namespace {

constexpr int kRefreshMs = 200;
constexpr int kWheelNotch = 120;
constexpr int kShownEntries = 8;
constexpr int kBesideGap = 8;

QPushButton* Button(const char* text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

EntryList::EntryList(QWidget* parent) : QListWidget(parent) {
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFont(oxbow::ui::ReadoutFont(12));
}

void EntryList::wheelEvent(QWheelEvent* event) {
    pendingDelta_ += event->angleDelta().y();
    const int notches = pendingDelta_ / kWheelNotch;
    pendingDelta_ -= notches * kWheelNotch;
    verticalScrollBar()->setValue(verticalScrollBar()->value() - notches);
    event->accept();
}

void ReadingStats::Add(double value) {
    min = count == 0 ? value : std::min(min, value);
    max = count == 0 ? value : std::max(max, value);
    sum += value;
    ++count;
}

MeasurePanel::MeasurePanel(QWidget* parent, oxmeasure::Measurer& measurer,
                           const oxacq::RecordSnapshot& records)
    : QWidget(parent, Qt::Tool), measurer_(measurer), records_(records),
      view_(std::make_unique<oxacq::RecordView>()) {
    setWindowTitle("Measurements");
    setObjectName("MEASURE_PANEL");
    auto* layout = new QVBoxLayout(this);

    auto* choose = new QHBoxLayout;
    type_ = new QComboBox(this);
    type_->setObjectName("MEASURE_TYPE");
    for (int code = 1; code <= gauger::kMeasureCount; ++code) {
        type_->addItem(gauger::GetMeasureInfo(code)->name, code);
    }
    auto* add = Button("Add", "MEASURE_ADD", this);
    auto* all = Button("All", "MEASURE_ALL", this);
    choose->addWidget(type_, 1);
    choose->addWidget(add);
    choose->addWidget(all);
    layout->addLayout(choose);

    list_ = new EntryList(this);
    list_->setObjectName("MEASURE_LIST");
    list_->setMinimumSize(520, kShownEntries * (list_->fontMetrics().height() + 2));
    layout->addWidget(list_, 1);

    cursors_ = new QLabel(this);
    cursors_->setObjectName("MEASURE_CURSORS");
    cursors_->setFont(oxbow::ui::ReadoutFont(12));
    layout->addWidget(cursors_);

    auto* actions = new QHBoxLayout;
    auto* reset = Button("Reset", "MEASURE_RESET", this);
    remove_ = Button("Remove", "MEASURE_REMOVE", this);
    remove_->setEnabled(false);
    auto* clear = Button("Clear all", "MEASURE_CLEAR", this);
    auto* close = Button("Close", "MEASURE_CLOSE", this);
    actions->addWidget(reset);
    actions->addWidget(remove_);
    actions->addWidget(clear);
    actions->addStretch(1);
    actions->addWidget(close);
    layout->addLayout(actions);

    connect(add, &QPushButton::clicked, this,
            [this] { ChooseSource(type_->currentData().toInt()); });
    connect(all, &QPushButton::clicked, this, [this] { ChooseSource(kAllMeasurements); });
    connect(reset, &QPushButton::clicked, this, [this] { ResetStatistics(); });
    connect(remove_, &QPushButton::clicked, this, [this] { RemoveSelected(); });
    connect(list_, &QListWidget::currentRowChanged, this,
            [this](int row) { remove_->setEnabled(row >= 0); });
    // A command the full queue did not take has put its own message on the screen.
    connect(clear, &QPushButton::clicked, this,
            [] { static_cast<void>(OxPost(oxcmd::group::kMeasure, oxcmd::measure::kClear)); });
    connect(close, &QPushButton::clicked, this, [this] { Close(); });
    connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
}

MeasurePanel::~MeasurePanel() {
    measurer_.SetWanted(oxmeasure::Measurer::Reader::Panel, false);
}

bool MeasurePanel::ShowsReadoutsOf(Kind kind) const {
    if (!isVisible()) return false;
    switch (kind) {
    case ReadoutPanel::Kind::Measurement:
        return list_->count() > 0;
    case ReadoutPanel::Kind::Cursor:
        return !cursors_->text().isEmpty();
    case ReadoutPanel::Kind::Math:
    case ReadoutPanel::Kind::Reference:
        return false;
    }
    return false;
}

void MeasurePanel::Open() {
    if (!placed_) Place();
    show();
    raise();
    Refresh();
}

// Beside the main window the first time, covering none of it; where the screen has no room
// beside it, over its picture rather than its controls.
void MeasurePanel::Place() {
    QWidget* window = parentWidget();
    if (window == nullptr || window->screen() == nullptr) return;
    const QRect picture = picture_ != nullptr
                              ? QRect(picture_->mapToGlobal(QPoint()), picture_->size())
                              : window->frameGeometry();
    move(BesideWindow(window->frameGeometry(), picture, sizeHint(),
                      window->screen()->availableGeometry(), kBesideGap)
             .topLeft());
    placed_ = true;
}

void MeasurePanel::Follow(const _OX_SETUP& setup) {
    std::vector<Entry> chosen = oxmeasure::ChosenMeasurements(setup);
    const bool added = std::ranges::any_of(chosen, [this](const Entry& entry) {
        return std::find(followed_.begin(), followed_.end(), entry) == followed_.end();
    });
    followed_ = std::move(chosen);
    if (added && !isVisible()) Open();
}

void MeasurePanel::Close() {
    hide();
}

void MeasurePanel::showEvent(QShowEvent* event) {
    measurer_.SetWanted(oxmeasure::Measurer::Reader::Panel, true);
    refresh_.start(kRefreshMs);
    QWidget::showEvent(event);
}

void MeasurePanel::hideEvent(QHideEvent* event) {
    refresh_.stop();
    measurer_.SetWanted(oxmeasure::Measurer::Reader::Panel, false);
    QWidget::hideEvent(event);
}

void MeasurePanel::ChooseSource(int code) {
    records_.Refresh(*view_);
    static_cast<void>(RunMeasureSourceDialog(this, code, view_->setup));
}

void MeasurePanel::RemoveSelected() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(entries_.size())) return;
    const Entry entry = entries_[static_cast<std::size_t>(row)];
    static_cast<void>(
        OxPostInt(oxcmd::group::kMeasure, oxcmd::measure::kRemove, entry.channel, entry.code));
}

void MeasurePanel::OpenAllMeasurement() {
    Open();
    ChooseSource(kAllMeasurements);
}

void MeasurePanel::ResetStatistics() {
    stats_.clear();
    Refresh();
}

void MeasurePanel::Accumulate(const std::vector<Entry>& entries) {
    std::map<Entry, ReadingStats> kept;
    for (const Entry& entry : entries) {
        ReadingStats& stats = kept[entry];
        if (const auto found = stats_.find(entry); found != stats_.end()) stats = found->second;
        if (measured_.sequence == accumulated_) continue;
        if (oxmeasure::MeasureReadable(view_->setup, measured_, entry)) {
            const auto m = static_cast<gauger::Measure>(entry.code);
            stats.Add(measured_.result.channel[entry.channel][m].value);
        }
    }
    stats_ = std::move(kept); // an entry no longer chosen forgets its statistics
    accumulated_ = measured_.sequence;
}

// A statistic shown as the reading is: "1.98V", "<10.00us".
std::string MeasurePanel::StatisticText(const Entry& entry, double value) const {
    const gauger::ChannelResult& result = measured_.result.channel[entry.channel];
    return gauger::MeasureValueText(static_cast<gauger::Measure>(entry.code), value,
                                    result.secondsPerSample,
                                    oxmeasure::ChannelUnit(view_->setup, entry.channel));
}

// "CH1 Vmax 2.00V  min 1.98V  max 2.00V  mean 1.99V  n 12"
QString MeasurePanel::EntryText(const Entry& entry) const {
    std::string text = "CH" + std::to_string(entry.channel + 1) + " " +
                       gauger::GetMeasureInfo(entry.code)->name + " " +
                       oxmeasure::MeasureValue(view_->setup, measured_, entry);
    const auto found = stats_.find(entry);
    if (found != stats_.end() && found->second.count > 0) {
        const ReadingStats& s = found->second;
        text += "  min " + StatisticText(entry, s.min) + "  max " + StatisticText(entry, s.max) +
                "  mean " + StatisticText(entry, s.sum / static_cast<double>(s.count)) + "  n " +
                std::to_string(s.count);
    }
    return QString::fromStdString(text);
}

void MeasurePanel::Refresh() {
    records_.Refresh(*view_);
    measurer_.Refresh(measured_);
    const std::vector<Entry> entries = oxmeasure::ChosenMeasurements(view_->setup);
    Accumulate(entries);
    entries_ = entries;
    while (list_->count() > static_cast<int>(entries.size()))
        delete list_->takeItem(list_->count() - 1);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const QString text = EntryText(entries[i]);
        if (static_cast<int>(i) < list_->count()) {
            if (list_->item(static_cast<int>(i))->text() != text)
                list_->item(static_cast<int>(i))->setText(text);
        } else {
            list_->addItem(text);
        }
    }
    QStringList lines;
    for (const std::string& line : oxmeasure::CursorLines(view_->setup, measured_)) {
        lines << QString::fromStdString(line);
    }
    cursors_->setText(lines.join('\n'));
}

} // namespace oxapp
