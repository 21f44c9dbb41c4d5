#include "measurepanel.h"

#include "measuredialog.h"
#include "ox_queue.h"
#include "oxbowui.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

namespace oxapp {
namespace {

constexpr int kRefreshMs = 200;
constexpr int kWheelNotch = 120;
constexpr int kShownEntries = 8;
constexpr int kBesideGap = 8;

// A statistic of the reading as the read-out would print it: "Min=1.000ms", "Max<10.00us".
std::string StatText(const char* name, gauger::Measure m, gauger::ChannelResult result,
                     double value, const std::string& unit) {
    result[m] = {value, true};
    result.clipped = false;
    std::string line;
    gauger::GetMeasureText(line, m, result, true, unit);
    const std::size_t label = std::strlen(gauger::GetMeasureInfo(static_cast<int>(m))->label);
    return name + line.substr(label);
}

QPushButton* Button(const char* text, const char* objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

} // namespace

EntryList::EntryList(QWidget* parent) : QListWidget(parent) {
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::NoSelection);
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
        type_->addItem(gauger::GetMeasureInfo(code)->longName, code);
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
    auto* clear = Button("Clear", "MEASURE_CLEAR", this);
    auto* close = Button("Close", "MEASURE_CLOSE", this);
    actions->addWidget(reset);
    actions->addWidget(clear);
    actions->addStretch(1);
    actions->addWidget(close);
    layout->addLayout(actions);

    connect(add, &QPushButton::clicked, this,
            [this] { ChooseSource(type_->currentData().toInt()); });
    connect(all, &QPushButton::clicked, this, [this] { ChooseSource(kAllMeasurements); });
    connect(reset, &QPushButton::clicked, this, [this] { ResetStatistics(); });
    connect(clear, &QPushButton::clicked, this, [this] {
        allSource_.reset();
        (void)OxPost(oxcmd::group::kMeasure, oxcmd::measure::kClear);
    });
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
    if (!placed_ && parentWidget() != nullptr) {
        // Beside the main window the first time, so that it covers none of the picture,
        // kept on the screen.
        const QRect main = parentWidget()->frameGeometry();
        QPoint at = main.topRight() + QPoint(kBesideGap, 0);
        if (const QScreen* screen = parentWidget()->screen()) {
            const QRect room = screen->availableGeometry();
            const QSize size = sizeHint();
            at.setX(std::max(room.left(), std::min(at.x(), room.right() - size.width())));
            if (at.x() < main.right())
                at.setY(std::min(main.bottom() + kBesideGap, room.bottom() - size.height()));
        }
        move(at);
        placed_ = true;
    }
    show();
    raise();
    Refresh();
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
    const std::optional<int> source = RunMeasureSourceDialog(this, code, view_->setup);
    if (source && code == kAllMeasurements) allSource_ = source;
}

void MeasurePanel::OpenAllMeasurement() {
    Open();
    ChooseSource(kAllMeasurements);
}

void MeasurePanel::ResetStatistics() {
    stats_.clear();
    Refresh();
}

std::vector<MeasurePanel::Entry> MeasurePanel::ChosenEntries() const {
    const _OX_SETUP& setup = view_->setup;
    std::vector<Entry> entries;
    const int count =
        std::clamp(setup.nMeasureCount, 0, static_cast<int>(std::size(setup.nMeasureItem)));
    for (int i = 0; i < count; ++i) {
        const Entry entry{setup.nMeasureItem[i], setup.nMeasureSource[i]};
        if (gauger::GetMeasureInfo(entry.first) != nullptr &&
            (entry.second == 0 || entry.second == 1))
            entries.push_back(entry);
    }
    if (allSource_) {
        for (int code = 1; code <= gauger::kMeasureCount; ++code) {
            const Entry entry{code, *allSource_};
            if (std::find(entries.begin(), entries.end(), entry) == entries.end())
                entries.push_back(entry);
        }
    }
    return entries;
}

void MeasurePanel::Accumulate(const std::vector<Entry>& entries) {
    std::map<Entry, ReadingStats> kept;
    for (const Entry& entry : entries) {
        ReadingStats& stats = kept[entry];
        if (const auto found = stats_.find(entry); found != stats_.end()) stats = found->second;
        if (measured_.sequence == accumulated_) continue;
        const auto m = static_cast<gauger::Measure>(entry.first);
        const gauger::ChannelResult& result = measured_.result.channel[entry.second];
        const bool voltage =
            gauger::GetMeasureInfo(entry.first)->quantity == gauger::Quantity::Voltage;
        const bool readable = measured_.measured[entry.second] && result[m].valid &&
                              !(voltage && result.clipped) &&
                              view_->setup.bChanDisplay[entry.second];
        if (readable) stats.Add(result[m].value);
    }
    stats_ = std::move(kept); // an entry no longer chosen forgets its statistics
    accumulated_ = measured_.sequence;
}

QString MeasurePanel::EntryText(const Entry& entry) const {
    const _OX_SETUP& setup = view_->setup;
    std::string text = "CH" + std::to_string(entry.second + 1) + " " +
                       oxmeasure::MeasureLine(setup, measured_, entry.first, entry.second);
    const auto found = stats_.find(entry);
    if (found != stats_.end() && found->second.count > 0) {
        const ReadingStats& s = found->second;
        const auto m = static_cast<gauger::Measure>(entry.first);
        const gauger::ChannelResult& result = measured_.result.channel[entry.second];
        const std::string unit = oxmeasure::ChannelUnit(setup, entry.second);
        text += "  " + StatText("Min", m, result, s.min, unit) + "  " +
                StatText("Max", m, result, s.max, unit) + "  " +
                StatText("Avg", m, result, s.sum / static_cast<double>(s.count), unit) +
                "  n=" + std::to_string(s.count);
    }
    return QString::fromStdString(text);
}

void MeasurePanel::Refresh() {
    records_.Refresh(*view_);
    measurer_.Refresh(measured_);
    const std::vector<Entry> entries = ChosenEntries();
    Accumulate(entries);
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
