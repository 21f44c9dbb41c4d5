#include "plugindlg.h"

#include "entrydialogs.h"
#include "instrumentstyle.h"
#include "ox_queue.h"
#include "ox_records.h"
#include "oxcommon.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <set>

namespace oxbow::ui {

namespace {

using oxcmd::refusal::kNotAvailable;

constexpr int kSpacing = 4;
constexpr int kStripMargin = 2;
constexpr int kValueChars = 10;
constexpr int kTextChars = 16;
constexpr int kTitleRoom = 40; // beside the title: the close mark and a gap

class QtSpinTimer final : public SpinTimer {
public:
    QtSpinTimer() {
        timer_.setInterval(CPluginDlg::kSpinRepeatMs);
        timer_.setTimerType(Qt::PreciseTimer);
    }
    void Start(std::function<void()> tick) override {
        QObject::disconnect(&timer_, nullptr, nullptr, nullptr);
        QObject::connect(&timer_, &QTimer::timeout, std::move(tick));
        timer_.start();
    }
    void Stop() override { timer_.stop(); }
    bool Active() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

NumericEntry& InstalledEntry() {
    static NumericEntry entry;
    return entry;
}

SpinTimerMaker& InstalledTimer() {
    static SpinTimerMaker maker;
    return maker;
}

bool RunEntry(double& value, double current, const Entry& entry, QWidget* parent) {
    if (const NumericEntry& scripted = InstalledEntry())
        return scripted(value, current, entry, parent);
    return ShowOptionDlg(value, current, entry.digits, entry.decimals, entry.finest, QString(),
                         parent);
}

void SetTextColour(QWidget& widget, const QColor& colour) {
    QPalette colours = widget.palette();
    colours.setColor(QPalette::WindowText, colour);
    widget.setPalette(colours);
}

int CharsWide(const QWidget& widget, int chars) {
    return widget.fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12;
}

// A small arrow or digit button is square; a captioned one as wide as its text.
void SizeButton(CButtonST& button) {
    const QString text = button.text();
    const int high = button.sizeHint().height();
    const int wide = button.fontMetrics().horizontalAdvance(text) + 16;
    button.setMinimumWidth(0);
    if (text.size() <= 2)
        button.setFixedWidth(std::max(high, wide));
    else
        button.setMinimumWidth(wide);
}

template <class W, class V>
void SetIfChanged(W& widget, const V& now, V (W::*get)() const, void (W::*set)(const V&)) {
    if ((widget.*get)() != now) (widget.*set)(now);
}

bool Selected(const Row& row, double current) {
    return row.kind == Kind::Check ? current != 0 : current == row.option;
}

std::string Named(const Row& row) {
    return "control " + std::to_string(row.id);
}

// What a row of each kind cannot do without.
std::optional<std::string> MissingPart(const Row& row) {
    switch (row.kind) {
    case Kind::Label:
        if (row.caption == nullptr && row.text == nullptr) return "a caption or a text";
        break;
    case Kind::Value:
        if (row.text == nullptr && !row.HasTarget()) return "a text or a setting";
        break;
    case Kind::Push:
    case Kind::Spin:
        if (!row.HasTarget() || row.value == nullptr) return "a setting and a value";
        break;
    case Kind::Check:
    case Kind::Option:
        if (!row.HasTarget()) return "a setting";
        break;
    case Kind::List:
        if (!row.HasTarget() || row.items == nullptr) return "a setting and items";
        break;
    case Kind::Text:
        if (row.text == nullptr || row.maxLength <= 0) return "a text and a length limit";
        break;
    case Kind::Address:
        if (row.text == nullptr) return "a text";
        break;
    case Kind::Slider:
        if (!row.HasTarget() || row.low >= row.high) return "a setting and a range";
        break;
    case Kind::Progress:
        if (row.low >= row.high) return "a range";
        break;
    case Kind::Picture:
        if (row.picture == nullptr) return "a picture";
        break;
    }
    if (row.cell.line < 0 || row.cell.column < 0 || row.cell.lines < 1 || row.cell.columns < 1)
        return "a cell inside its grid";
    return std::nullopt;
}

} // namespace

// ---- the table ----------------------------------------------------------------------------

std::vector<std::string> LayoutProblems(const DialogLayout& layout) {
    std::vector<std::string> problems;
    std::set<int> shared; // the ids of the boxes, the tabs and the rows outside the pages
    const auto unique = [&](std::set<int>& ids, int id, const std::string& what) {
        if (!ids.insert(id).second)
            problems.push_back(what + ": id " + std::to_string(id) + " is not unique");
    };
    std::set<int> boxes;
    for (const Box& box : layout.boxes) {
        unique(shared, box.id, "box");
        boxes.insert(box.id);
    }
    for (const Page& page : layout.pages)
        unique(shared, page.id, "tab");
    const auto check = [&](const Row& row, bool inPage) {
        if (const auto missing = MissingPart(row))
            problems.push_back(Named(row) + " lacks " + *missing);
        if (row.box != kNoBox && (inPage || boxes.count(row.box) == 0))
            problems.push_back(Named(row) + " names box " + std::to_string(row.box) +
                               ", which its grid has not");
    };
    for (const Row& row : layout.rows) {
        unique(shared, row.id, "row");
        check(row, false);
    }
    for (const Page& page : layout.pages) {
        std::set<int> ids = shared;
        for (const Row& row : page.rows) {
            unique(ids, row.id, std::string("page ") + (page.caption ? page.caption : ""));
            check(row, true);
        }
    }
    return problems;
}

std::vector<Row> Rows(std::initializer_list<std::vector<Row>> parts) {
    std::vector<Row> rows;
    for (const std::vector<Row>& part : parts)
        rows.insert(rows.end(), part.begin(), part.end());
    return rows;
}

QString EngineeringText(double value, const char* unit) {
    std::string printed;
    GetValidDataStr(printed, value, 3, -1, 0);
    return QString::fromStdString(printed) + QString::fromUtf8(unit);
}

double StepTimeOffset(double offset, double scale, bool up) {
    const double pixel = 0.02 * scale;
    const double stepped = StepIndouble(offset, -9, up, 1, -2);
    return up ? std::max(stepped, offset + pixel) : std::min(stepped, offset - pixel);
}

// ---- the dialog -----------------------------------------------------------------------

CPluginDlg::CPluginDlg(const PluginContext& context, const DialogLayout& layout)
    : CCommonDlg(0, context.parent), m_context(context), m_layout(layout) {
    // Stated outright, so that a control in a (bold) group box keeps the body font.
    m_context.normalFont.setBold(false);
    m_context.boldFont.setBold(true);
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(context.normalFont);
    SetTitleButtons(context.closeRequest != 0 ? kCloseButton : kNoTitleButton);
    if (*layout.title == '\0')
        setContentsMargins(kStripMargin, kStripMargin, kStripMargin, kStripMargin);
    if (const SpinTimerMaker& maker = InstalledTimer()) m_repeat = maker();
    if (m_repeat == nullptr) m_repeat = std::make_unique<QtSpinTimer>();
    Build();
}

CPluginDlg::~CPluginDlg() {
    Unregister(); // no completion message reaches a dialog being taken apart
}

void CPluginDlg::SetNumericEntry(NumericEntry entry) {
    InstalledEntry() = std::move(entry);
}

void CPluginDlg::SetSpinTimer(SpinTimerMaker maker) {
    InstalledTimer() = std::move(maker);
}

void CPluginDlg::Destroy() {
    Unregister();
    m_closing = true;
    hide();
    deleteLater();
}

CWnd* ShowPluginDialog(const PluginContext& context, const DialogLayout& layout) {
    return ShowPluginDialog<CPluginDlg>(context, layout);
}

void RefreshPluginDialog(CWnd* window) {
    if (auto* dialog = dynamic_cast<CPluginDlg*>(window)) dialog->Refresh();
}

void DestroyPluginDialog(CWnd* window) {
    if (auto* dialog = dynamic_cast<CPluginDlg*>(window))
        dialog->Destroy();
    else
        delete window;
}

QWidget* CPluginDlg::Control(int id) const {
    for (const int page : {-1, m_page}) {
        for (const Built& c : m_controls)
            if (c.row->id == id && c.page == page) return c.widget;
    }
    for (std::size_t p = 0; p < m_tabs.size(); ++p)
        if (m_layout.pages[p].id == id) return m_tabs[p];
    for (const auto& [box, frame] : m_boxes)
        if (box->id == id) return frame;
    for (const Built& c : m_controls)
        if (c.row->id == id) return c.widget;
    return nullptr;
}

DialogView CPluginDlg::View(long index) const {
    return DialogView{*m_context.setup, *m_context.region, index};
}

void CPluginDlg::UpdateContext() {
    if (m_context.refresh) m_context.refresh();
}

// ---- building ------------------------------------------------------------------------

void CPluginDlg::Build() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(kSpacing);
    std::vector<QGridLayout*> boxGrids;
    for (const Box& box : m_layout.boxes) {
        auto* frame = new QGroupBox(QString::fromUtf8(box.caption ? box.caption : ""), this);
        frame->setObjectName(QStringLiteral("b%1").arg(box.id));
        frame->setFont(m_context.boldFont);
        SetTextColour(*frame, PluginColours::Heading);
        auto* inner = new QGridLayout(frame);
        inner->setSpacing(kSpacing);
        grid->addWidget(frame, box.cell.line, box.cell.column, box.cell.lines, box.cell.columns);
        boxGrids.push_back(inner);
        m_boxes.emplace_back(&box, frame);
    }
    BuildRows(m_layout.rows, *grid, -1, kNoIndex, boxGrids);
    if (!m_layout.pages.empty()) BuildPages(*grid);
}

void CPluginDlg::BuildRows(std::span<const Row> rows, QGridLayout& grid, int page, long index,
                           const std::vector<QGridLayout*>& boxes) {
    for (const Row& row : rows) {
        m_controls.push_back({&row, nullptr, index != kNoIndex ? index : row.target.index, page});
        Built& control = m_controls.back();
        control.widget = Make(control);
        control.widget->setObjectName(QStringLiteral("c%1").arg(row.id));
        if (row.tip != nullptr) control.widget->setToolTip(QString::fromUtf8(row.tip));
        QGridLayout* into = &grid;
        for (std::size_t b = 0; b < m_layout.boxes.size(); ++b)
            if (row.box != kNoBox && m_layout.boxes[b].id == row.box && b < boxes.size())
                into = boxes[b];
        into->addWidget(control.widget, row.cell.line, row.cell.column, row.cell.lines,
                        row.cell.columns);
    }
}

void CPluginDlg::BuildPages(QGridLayout& grid) {
    auto* column = new QVBoxLayout;
    column->setSpacing(kSpacing);
    auto* tabs = new QHBoxLayout;
    auto* stack = new QStackedWidget(this);
    for (std::size_t p = 0; p < m_layout.pages.size(); ++p) {
        const oxbow::ui::Page& page = m_layout.pages[p];
        auto* tab = new CButtonST(QString::fromUtf8(page.caption ? page.caption : ""), this);
        tab->setObjectName(QStringLiteral("c%1").arg(page.id));
        tab->setFont(m_context.normalFont);
        tab->setFocusPolicy(Qt::NoFocus);
        tab->SetBtnType(CButtonST::BTNST_CHECK);
        SizeButton(*tab);
        connect(tab, &QPushButton::clicked, this, [this, p] { ShowPage(static_cast<int>(p)); });
        tabs->addWidget(tab);
        m_tabs.push_back(tab);
        auto* sheet = new QWidget(stack);
        auto* sheetGrid = new QGridLayout(sheet);
        sheetGrid->setContentsMargins(0, 0, 0, 0);
        sheetGrid->setSpacing(kSpacing);
        BuildRows(page.rows, *sheetGrid, static_cast<int>(p), page.index, {});
        stack->addWidget(sheet);
    }
    tabs->addStretch(1);
    column->addLayout(tabs);
    column->addWidget(stack);
    m_pages = stack;
    const Cell& at = m_layout.pagesCell;
    grid.addLayout(column, at.line, at.column, at.lines, at.columns);
}

QWidget* CPluginDlg::Make(const Built& control) {
    const Row& row = *control.row;
    const QString caption = row.caption ? QString::fromUtf8(row.caption) : QString();
    const Built* c = &control;
    switch (row.kind) {
    case Kind::Label: {
        auto* label = new QLabel(caption, this);
        label->setFont(m_context.normalFont);
        SetTextColour(*label, InstrumentColours::Text);
        return label;
    }
    case Kind::Value: {
        auto* field = new CColorEdit(this);
        field->setFont(m_context.normalFont);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setAlignment(Qt::AlignCenter);
        field->SetForeColor(PluginColours::Value);
        field->SetBackColor(PluginColours::ValueBack);
        field->SetEditCursor(Qt::PointingHandCursor);
        field->setMinimumWidth(CharsWide(*field, row.chars > 0 ? row.chars : kValueChars));
        field->installEventFilter(this);
        return field;
    }
    case Kind::Text:
    case Kind::Address: {
        auto* entry = new CColorEdit(this);
        entry->setFont(m_context.normalFont);
        entry->SetForeColor(PluginColours::Value);
        entry->SetBackColor(PluginColours::ValueBack);
        if (row.kind == Kind::Text) {
            entry->setMaxLength(row.maxLength);
        } else {
            static const QRegularExpression address(
                R"(^((25[0-5]|2[0-4]\d|1?\d?\d)\.){3}(25[0-5]|2[0-4]\d|1?\d?\d)$)");
            entry->setValidator(new QRegularExpressionValidator(address, entry));
            entry->setMaxLength(15);
        }
        entry->setMinimumWidth(CharsWide(*entry, row.chars > 0 ? row.chars : kTextChars));
        // Once per edit: Return and then leaving the field finish the same one.
        connect(entry, &QLineEdit::editingFinished, this, [this, c, entry] {
            if (!entry->isModified()) return;
            entry->setModified(false);
            if (!Refused(View(c->index))) OnText(c->row->id, entry->text());
        });
        return entry;
    }
    case Kind::List: {
        auto* list = new CBitmapComboBox(this);
        list->setFont(m_context.normalFont);
        list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        if (row.chars > 0) list->setMinimumWidth(CharsWide(*list, row.chars));
        connect(list, &QComboBox::activated, this, [this, c](int index) { Chosen(*c, index); });
        return list;
    }
    case Kind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setRange(row.low, row.high);
        slider->setTracking(false); // a drag posts once, where it ends
        connect(slider, &QSlider::valueChanged, this, [this, c](int position) {
            UpdateContext();
            if ((c->row->acts == nullptr || c->row->acts(View(c->index))) &&
                position != static_cast<int>(std::lround(Current(*c))))
                PostValue(*c, position, true);
            RefreshOne(*c);
        });
        return slider;
    }
    case Kind::Progress: {
        auto* bar = new QProgressBar(this);
        bar->setRange(row.low, row.high);
        bar->setValue(row.low);
        return bar;
    }
    case Kind::Picture: {
        auto* picture = new QLabel(this);
        picture->setPixmap(QPixmap(QString::fromUtf8(row.picture)));
        return picture;
    }
    default:
        break;
    }
    auto* button = new CButtonST(caption, this);
    button->setFont(m_context.normalFont);
    button->setFocusPolicy(Qt::NoFocus);
    SizeButton(*button);
    if (row.kind == Kind::Check || row.kind == Kind::Option)
        button->SetBtnType(CButtonST::BTNST_CHECK);
    if (row.kind == Kind::Spin) {
        button->installEventFilter(this);
        connect(button, &QPushButton::pressed, this, [this, c] { SpinPressed(*c); });
        connect(button, &QPushButton::released, this, &CPluginDlg::StopRepeat);
    } else {
        // A checkable button shows the stored state, not its own toggling.
        connect(button, &QPushButton::clicked, this, [this, c] {
            Activate(*c);
            RefreshOne(*c);
        });
    }
    return button;
}

bool CPluginDlg::OnInitDialog() {
    CCommonDlg::OnInitDialog();
    UpdateContext();
    Refresh();
    return true;
}

// ---- refresh ---------------------------------------------------------------------------

Target CPluginDlg::TargetOf(const Built& control, const DialogView& view) const {
    if (control.row->targetIn != nullptr) return control.row->targetIn(view);
    return {control.row->target.setting, control.index};
}

double CPluginDlg::Current(const Built& control) const {
    const Target target = TargetOf(control, View(control.index));
    return target.setting.read ? target.setting.Read(*m_context.setup, target.index) : 0.0;
}

double CPluginDlg::Shown(const Built& control) const {
    const double current = Current(control);
    return control.row->shows ? control.row->shows(View(control.index), current) : current;
}

void CPluginDlg::Refresh() {
    if (m_closing || m_refreshing) return;
    m_refreshing = true;
    for (const Built& control : m_controls)
        RefreshOne(control);
    for (const auto& [box, frame] : m_boxes) {
        const DialogView view = View();
        frame->setVisible(box->shown == nullptr || box->shown(view));
        if (box->title != nullptr) {
            auto* group = static_cast<QGroupBox*>(frame);
            const QString title = box->title(view);
            if (group->title() != title) group->setTitle(title);
        }
    }
    for (std::size_t p = 0; p < m_tabs.size(); ++p) {
        auto* tab = static_cast<CButtonST*>(m_tabs[p]);
        const bool shown = static_cast<int>(p) == m_page;
        tab->setChecked(shown);
        tab->SetForeTextColor(shown ? PluginColours::Value : InstrumentColours::Text);
    }
    OnRefreshed();
    ApplySize();
    update();
    m_refreshing = false;
}

void CPluginDlg::RefreshOne(const Built& control) {
    const Row& row = *control.row;
    QWidget* widget = control.widget;
    const DialogView view = View(control.index);
    const bool shown = row.shown == nullptr || row.shown(view);
    if (widget->isHidden() == shown) widget->setVisible(shown);
    if (m_held == &control && !shown) StopRepeat();
    const double current = Current(control);
    const auto text = [&] {
        if (row.text != nullptr) return row.text(view, current);
        return row.HasTarget() ? EngineeringText(Shown(control), row.unit) : QString();
    };
    switch (row.kind) {
    case Kind::Value: {
        auto* field = static_cast<CColorEdit*>(widget);
        SetIfChanged<QLineEdit, QString>(*field, text(), &QLineEdit::text, &QLineEdit::setText);
        field->SetForeColor(row.colour ? row.colour(view) : PluginColours::Value);
        break;
    }
    case Kind::Text:
    case Kind::Address: {
        auto* entry = static_cast<QLineEdit*>(widget);
        if (!entry->hasFocus())
            SetIfChanged<QLineEdit, QString>(*entry, text(), &QLineEdit::text, &QLineEdit::setText);
        break;
    }
    case Kind::Label:
        if (row.text != nullptr)
            SetIfChanged<QLabel, QString>(*static_cast<QLabel*>(widget), text(), &QLabel::text,
                                          &QLabel::setText);
        break;
    case Kind::List: {
        auto* list = static_cast<CBitmapComboBox*>(widget);
        const QStringList items = row.items(view);
        const QSignalBlocker quiet(list);
        bool same = list->count() == items.size();
        for (int i = 0; same && i < items.size(); ++i)
            same = list->itemText(i) == items[i];
        if (!same) {
            list->clear();
            for (const QString& item : items)
                list->AddCTString(PluginColours::Value, item);
        }
        const int selected = std::clamp(static_cast<int>(current), 0,
                                        std::max(0, static_cast<int>(items.size()) - 1));
        if (list->currentIndex() != selected) list->setCurrentIndex(selected);
        break;
    }
    case Kind::Slider: {
        auto* slider = static_cast<QSlider*>(widget);
        const QSignalBlocker quiet(slider);
        slider->setValue(static_cast<int>(std::lround(current)));
        break;
    }
    case Kind::Check:
    case Kind::Option: {
        // The stored choice stands out: pressed in, in the value colour.
        auto* button = static_cast<CButtonST*>(widget);
        const bool selected = Selected(row, current);
        if (button->isChecked() != selected) button->setChecked(selected);
        button->SetForeTextColor(selected ? PluginColours::Value : InstrumentColours::Text);
        break;
    }
    case Kind::Push:
    case Kind::Spin:
        if (row.text != nullptr)
            SetIfChanged<QPushButton, QString>(*static_cast<QPushButton*>(widget), text(),
                                               &QPushButton::text, &QPushButton::setText);
        break;
    case Kind::Progress:
    case Kind::Picture:
        break;
    }
}

// The window is as large as its layout asks (and wide enough for its title).
void CPluginDlg::ApplySize() {
    if (QLayout* grid = layout()) grid->activate();
    QSize wanted = sizeHint();
    if (*m_layout.title != '\0') {
        QFont bold = font();
        bold.setBold(true);
        const int title = QFontMetrics(bold).horizontalAdvance(windowTitle()) + kTitleRoom;
        wanted.setWidth(std::max(wanted.width(), title));
    }
    if (size() != wanted) setFixedSize(wanted);
}

void CPluginDlg::SetProgress(int id, int level) {
    for (const Built& c : m_controls)
        if (c.row->id == id && c.row->kind == Kind::Progress)
            static_cast<QProgressBar*>(c.widget)->setValue(level);
}

void CPluginDlg::ShowPage(int page) {
    StopRepeat();
    m_page = page;
    if (auto* stack = qobject_cast<QStackedWidget*>(m_pages)) stack->setCurrentIndex(page);
    Refresh();
}

LRESULT CPluginDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_closing) return 0;
    OnMessage(static_cast<oxcmd::Group>(message), static_cast<oxcmd::Sub>(wParam),
              static_cast<long>(lParam));
    return 0;
}

// ---- acting --------------------------------------------------------------------------

bool CPluginDlg::Refused(const DialogView& view) {
    if (view.setup.nRecordState != oxcmd::code::kPlaying) return false;
    PostSystemError(kNotAvailable);
    static_cast<void>(oxcmd::Post(oxcmd::cmd::run::kShowError, {}));
    return true;
}

bool CPluginDlg::PostValue(const Built& control, double value, bool undo) {
    const DialogView view = View(control.index);
    const Target target = TargetOf(control, view);
    if (!target.setting.read || Refused(view)) return false;
    if (undo && target.setting.undoable && !oxcmd::Post(oxcmd::cmd::run::kSaveUndo, {}))
        return false;
    return oxcmd::Post(target.setting.PostOf(value, target.index), this);
}

void CPluginDlg::Activate(const Built& control) {
    UpdateContext();
    const Row& row = *control.row;
    const DialogView view = View(control.index);
    if (row.acts && !row.acts(view)) return;
    double current = Shown(control);
    switch (row.kind) {
    case Kind::Check:
        current = current != 0 ? 0.0 : 1.0;
        break;
    case Kind::Option:
        if (current == row.option) return; // already the stored choice
        current = row.option;
        break;
    default:
        break;
    }
    const std::optional<double> value = row.value ? row.value(view, current) : current;
    if (value) PostValue(control, *value, true);
}

void CPluginDlg::Chosen(const Built& control, int index) {
    UpdateContext();
    const Row& row = *control.row;
    const bool acts = row.acts == nullptr || row.acts(View(control.index));
    const bool changed = index >= 0 && index != static_cast<int>(Current(control));
    // A choice that was not posted goes back to the stored one.
    if (!acts || !changed || !PostValue(control, index, true)) RefreshOne(control);
}

void CPluginDlg::OpenEntry(const Built& control) {
    const Row& row = *control.row;
    if (!row.HasTarget()) return; // a read-out
    UpdateContext();
    if ((row.acts && !row.acts(View(control.index))) || Refused(View(control.index))) return;
    const double current = Shown(control);
    double entered = current;
    const QPointer<CPluginDlg> alive(this);
    if (!RunEntry(entered, current, row.entry, this) || alive.isNull() || m_closing) return;
    UpdateContext();
    const std::optional<double> value =
        row.value ? row.value(View(control.index), entered) : entered;
    if (value) PostValue(control, *value, true);
}

// ---- spin buttons ----------------------------------------------------------------------

void CPluginDlg::SpinPressed(const Built& control) {
    StopRepeat();
    UpdateContext();
    const Row& row = *control.row;
    const DialogView view = View(control.index);
    if ((row.acts && !row.acts(view)) || row.value == nullptr) return;
    const std::optional<double> first = row.value(view, Shown(control));
    if (!first || !PostValue(control, *first, true)) return;
    m_held = &control;
    m_heldValue = *first;
    m_repeat->Start([this] { SpinTick(); });
}

// Each tick steps on from the value posted last, so holding the button keeps moving even
// while the instrument is slow to confirm.
void CPluginDlg::SpinTick() {
    // A release the button never saw (another window took the mouse) ends the hold too.
    const auto* button = m_held ? qobject_cast<const QAbstractButton*>(m_held->widget) : nullptr;
    if (button == nullptr || !button->isDown()) return StopRepeat();
    const std::optional<double> next = m_held->row->value(View(m_held->index), m_heldValue);
    if (!next || !PostValue(*m_held, *next, false)) return StopRepeat();
    m_heldValue = *next;
}

void CPluginDlg::StopRepeat() {
    m_repeat->Stop();
    m_held = nullptr;
}

const CPluginDlg::Built* CPluginDlg::Find(const QWidget* widget) const {
    for (const Built& c : m_controls)
        if (c.widget == widget) return &c;
    return nullptr;
}

bool CPluginDlg::eventFilter(QObject* watched, QEvent* event) {
    if (const Built* control = Find(qobject_cast<QWidget*>(watched))) {
        const Kind kind = control->row->kind;
        if (kind == Kind::Value && event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            OpenEntry(*control);
            return true;
        }
        if (kind == Kind::Spin &&
            (event->type() == QEvent::UngrabMouse || event->type() == QEvent::Hide ||
             event->type() == QEvent::EnabledChange))
            StopRepeat();
    }
    return CCommonDlg::eventFilter(watched, event);
}

// ---- window ----------------------------------------------------------------------------

void CPluginDlg::reject() {
    StopRepeat();
    if (m_context.closeRequest == 0 || m_closing) return;
    m_closing = oxcmd::Post(oxcmd::cmd::panel::Request(m_context.closeRequest), {});
}

void CPluginDlg::hideEvent(QHideEvent* event) {
    StopRepeat();
    CCommonDlg::hideEvent(event);
}

void CPluginDlg::closeEvent(QCloseEvent* event) {
    // The host destroys the dialog; closing it asks the host to.
    event->ignore();
    reject();
}

void CPluginDlg::mousePressEvent(QMouseEvent* event) {
    if (m_layout.draggable) CCommonDlg::mousePressEvent(event);
}

} // namespace oxbow::ui
