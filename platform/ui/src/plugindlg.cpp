#include "plugindlg.h"

#include "entrydialogs.h"
#include "instrumentstyle.h"
#include "ox_commands.h"
#include "ox_queue.h"
#include "ox_records.h"
#include "oxcommon.h"

#include <QCloseEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>
#include <cmath>

namespace oxbow::ui {

namespace {

using oxcmd::refusal::kNotAvailable;

NumericEntry& InstalledEntry() {
    static NumericEntry entry;
    return entry;
}

bool RunEntry(double& value, double current, const Entry& entry, QWidget* parent) {
    if (const NumericEntry& scripted = InstalledEntry())
        return scripted(value, current, entry, parent);
    return ShowOptionDlg(value, current, entry.digits, entry.decimals, entry.finest, QString(),
                         parent);
}

bool Selected(const ControlRow& row, const DialogView& view, int page) {
    switch (row.widget) {
    case Widget::Check:
        return row.field != nullptr && row.field(view) != 0;
    case Widget::Option:
        return row.field != nullptr && row.field(view) == row.option;
    case Widget::Tab:
        return page == static_cast<int>(row.option);
    default:
        return false;
    }
}

} // namespace

CPluginDlg::CPluginDlg(const PluginContext& context, const DialogLayout& layout)
    : CCommonDlg(layout.templateId, context.parent), m_context(context), m_layout(layout) {
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(QString::fromUtf8(layout.title));
    setFont(context.normalFont);
    resize(layout.size);
    m_repeat.setInterval(kSpinRepeatMs);
    m_repeat.setTimerType(Qt::PreciseTimer);
    connect(&m_repeat, &QTimer::timeout, this, &CPluginDlg::SpinTick);
    Build();
}

CPluginDlg::~CPluginDlg() {
    Unregister(); // no completion message reaches a dialog being taken apart
}

void CPluginDlg::SetNumericEntry(NumericEntry entry) {
    InstalledEntry() = std::move(entry);
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
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [id](const Built& c) { return c.row->id == id; });
    return found == m_controls.end() ? nullptr : found->widget;
}

DialogView CPluginDlg::View() const {
    return DialogView{*m_context.setup, *m_context.region, m_page};
}

// ---- building ------------------------------------------------------------------------

void CPluginDlg::Build() {
    for (const ControlRow& row : m_layout.controls) {
        if (row.widget == Widget::Title) continue; // painted in the title band
        QWidget* widget = Make(row);
        widget->setObjectName(QStringLiteral("c%1").arg(row.id));
        widget->setGeometry(row.rect);
        if (row.tip != nullptr) widget->setToolTip(QString::fromUtf8(row.tip));
        m_controls.push_back({&row, widget});
    }
    if (m_layout.closeSub != 0) {
        auto* close = new CButtonST(QStringLiteral("\u00d7"), this);
        close->setObjectName(QStringLiteral("close"));
        close->DrawBorder(false);
        close->SetTooltipText(QStringLiteral("Close"));
        close->setGeometry(CloseMarkRect().adjusted(3, 3, -3, -3));
        close->setFocusPolicy(Qt::NoFocus);
        connect(close, &QPushButton::clicked, this, &CPluginDlg::reject);
    }
}

QWidget* CPluginDlg::Make(const ControlRow& row) {
    const QString caption = row.caption ? QString::fromUtf8(row.caption) : QString();
    switch (row.widget) {
    case Widget::Heading:
    case Widget::Label: {
        auto* label = new QLabel(caption, this);
        const bool heading = row.widget == Widget::Heading;
        label->setFont(heading ? m_context.boldFont : m_context.normalFont);
        QPalette colours = label->palette();
        colours.setColor(QPalette::WindowText,
                         heading ? PluginColours::Heading : InstrumentColours::Text);
        label->setPalette(colours);
        return label;
    }
    case Widget::Value: {
        auto* field = new CColorEdit(this);
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setAlignment(Qt::AlignCenter);
        field->SetForeColor(PluginColours::Value);
        field->SetBackColor(PluginColours::ValueBack);
        field->SetEditCursor(Qt::PointingHandCursor);
        field->installEventFilter(this);
        return field;
    }
    case Widget::List: {
        auto* list = new CBitmapComboBox(this);
        list->setFont(m_context.normalFont);
        connect(list, &QComboBox::activated, this, [this, &row, list](int index) {
            if (m_context.refresh) m_context.refresh();
            const DialogView view = View();
            const bool acts = row.acts == nullptr || row.acts(view);
            const bool changed = index >= 0 && index != static_cast<int>(row.field(view));
            // A choice that was not posted goes back to the stored one.
            if (!acts || !changed || !PostValue(row, view, index, true))
                RefreshOne({&row, list}, view);
        });
        return list;
    }
    default:
        break;
    }
    auto* button = new CButtonST(caption, this);
    button->setFont(m_context.normalFont);
    button->setFocusPolicy(Qt::NoFocus);
    if (row.widget == Widget::Check || row.widget == Widget::Option || row.widget == Widget::Tab)
        button->SetBtnType(CButtonST::BTNST_CHECK);
    if (row.widget == Widget::Spin) {
        button->installEventFilter(this);
        connect(button, &QPushButton::pressed, this, [this, &row] { SpinPressed(row); });
        connect(button, &QPushButton::released, this, &CPluginDlg::StopRepeat);
    } else {
        // A checkable button shows the stored state, not its own toggling.
        connect(button, &QPushButton::clicked, this, [this, &row, button] {
            Activate(row);
            RefreshOne({&row, button}, View());
        });
    }
    return button;
}

bool CPluginDlg::OnInitDialog() {
    CCommonDlg::OnInitDialog();
    RefreshControls();
    return true;
}

// ---- refresh ---------------------------------------------------------------------------

void CPluginDlg::RefreshControls() {
    if (m_context.refresh) m_context.refresh();
    Refresh();
}

void CPluginDlg::Refresh() {
    if (m_closing) return;
    const DialogView view = View();
    for (const Built& control : m_controls)
        RefreshOne(control, view);
    OnRefreshed();
    update();
}

void CPluginDlg::RefreshOne(const Built& control, const DialogView& view) {
    const ControlRow& row = *control.row;
    QWidget* widget = control.widget;
    const bool shown = row.shown == nullptr || row.shown(view);
    widget->setVisible(shown);
    if (m_held == &row && !shown) StopRepeat();
    const QString text = row.text ? row.text(view) : QString();
    if (auto* field = qobject_cast<CColorEdit*>(widget)) {
        field->setText(text);
        field->SetForeColor(row.colour ? row.colour(view) : PluginColours::Value);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (row.text) label->setText(text);
    } else if (auto* list = qobject_cast<CBitmapComboBox*>(widget)) {
        const QStringList items = row.items ? row.items(view) : QStringList();
        const QSignalBlocker quiet(list);
        if (list->count() != items.size() ||
            (items.size() > 0 && list->itemText(0) != items.front())) {
            list->clear();
            for (const QString& item : items)
                list->AddCTString(PluginColours::Value, item);
        }
        const int selected = static_cast<int>(row.field(view));
        list->setCurrentIndex(std::clamp(selected, 0, static_cast<int>(items.size()) - 1));
    } else if (auto* button = qobject_cast<CButtonST*>(widget)) {
        if (button->isCheckable()) {
            // The stored choice stands out: pressed in, in the value colour.
            const bool selected = Selected(row, view, m_page);
            button->setChecked(selected);
            button->SetForeTextColor(selected ? PluginColours::Value : InstrumentColours::Text);
        }
        if (row.text) button->setText(text);
    }
}

LRESULT CPluginDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_closing) return 0;
    const auto group = static_cast<oxcmd::Group>(message);
    const auto sub = static_cast<oxcmd::Sub>(wParam);
    OnMessage(group, sub, static_cast<long>(lParam));
    return 0;
}

void CPluginDlg::ShowPage(int page) {
    StopRepeat();
    m_page = page;
    RefreshControls();
}

// ---- acting --------------------------------------------------------------------------

bool CPluginDlg::Refused(const DialogView& view) {
    if (view.setup.nRecordState != oxcmd::code::kPlaying) return false;
    PostSystemError(kNotAvailable);
    static_cast<void>(OxPost(oxcmd::group::kRunControl, oxcmd::run::kShowError));
    return true;
}

bool CPluginDlg::PostValue(const ControlRow& row, const DialogView& view, double value, bool undo) {
    if (row.command == nullptr || Refused(view)) return false;
    const Post post = row.command(view);
    if (undo && post.saveUndo &&
        !OxPost(oxcmd::group::kRunControl, oxcmd::run::kSaveUndo, 0, nullptr))
        return false;
    switch (row.arg) {
    case Arg::None:
        return OxPost(post.group, post.sub, post.value, this);
    case Arg::Int:
        return OxPostInt(post.group, post.sub, post.value, static_cast<int>(value), this);
    case Arg::Bool:
        return OxPostBool(post.group, post.sub, post.value, value != 0, this);
    case Arg::Float:
        return OxPostFloat(post.group, post.sub, post.value, static_cast<float>(value), this);
    case Arg::Double:
        return OxPostDouble(post.group, post.sub, post.value, value, this);
    }
    return false;
}

void CPluginDlg::Activate(const ControlRow& row) {
    if (m_context.refresh) m_context.refresh();
    const DialogView view = View();
    if (row.widget == Widget::Tab) {
        ShowPage(static_cast<int>(row.option));
        return;
    }
    if (row.acts && !row.acts(view)) return;
    double current = row.field ? row.field(view) : 0.0;
    switch (row.widget) {
    case Widget::Check:
        current = current != 0 ? 0.0 : 1.0;
        break;
    case Widget::Option:
        if (current == row.option) return; // already the stored choice
        current = row.option;
        break;
    default:
        break;
    }
    const std::optional<double> value = row.value ? row.value(view, current) : current;
    if (value) PostValue(row, view, *value, true);
}

void CPluginDlg::OpenEntry(const ControlRow& row) {
    if (row.command == nullptr) return; // a read-out
    if (m_context.refresh) m_context.refresh();
    if (row.acts && !row.acts(View())) return;
    if (Refused(View())) return;
    const double current = row.field ? row.field(View()) : 0.0;
    double entered = current;
    const QPointer<CPluginDlg> alive(this);
    if (!RunEntry(entered, current, row.entry, this) || alive.isNull() || m_closing) return;
    if (m_context.refresh) m_context.refresh();
    const DialogView view = View();
    const std::optional<double> value = row.value ? row.value(view, entered) : entered;
    if (value) PostValue(row, view, *value, true);
}

// ---- spin buttons ----------------------------------------------------------------------

void CPluginDlg::SpinPressed(const ControlRow& row) {
    StopRepeat();
    if (m_context.refresh) m_context.refresh();
    const DialogView view = View();
    if ((row.acts && !row.acts(view)) || row.value == nullptr) return;
    const std::optional<double> first = row.value(view, row.field ? row.field(view) : 0.0);
    if (!first || !PostValue(row, view, *first, true)) return;
    m_held = &row;
    m_heldValue = *first;
    m_repeat.start();
}

// Each tick steps on from the value posted last, so holding the button keeps moving even
// while the instrument is slow to confirm.
void CPluginDlg::SpinTick() {
    // A release the button never saw (another window took the mouse) ends the hold too.
    if (m_held == nullptr || !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        return StopRepeat();
    const DialogView view = View();
    const std::optional<double> next = m_held->value(view, m_heldValue);
    if (!next || !PostValue(*m_held, view, *next, false)) return StopRepeat();
    m_heldValue = *next;
}

void CPluginDlg::StopRepeat() {
    m_repeat.stop();
    m_held = nullptr;
}

bool CPluginDlg::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    const auto found = std::find_if(m_controls.begin(), m_controls.end(),
                                    [widget](const Built& c) { return c.widget == widget; });
    if (found != m_controls.end()) {
        const ControlRow& row = *found->row;
        if (row.widget == Widget::Value && event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            OpenEntry(row);
            return true;
        }
        if (row.widget == Widget::Spin &&
            (event->type() == QEvent::UngrabMouse || event->type() == QEvent::Hide ||
             event->type() == QEvent::EnabledChange))
            StopRepeat();
    }
    return CCommonDlg::eventFilter(watched, event);
}

// ---- window ----------------------------------------------------------------------------

void CPluginDlg::reject() {
    StopRepeat();
    if (m_layout.closeSub == 0 || m_closing) return;
    m_closing = OxPost(oxcmd::group::kPanel, m_layout.closeSub, 0, nullptr);
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

double StepTimeOffset(double offset, double scale, bool up) {
    const double pixel = 0.02 * scale;
    const double stepped = StepIndouble(offset, -9, up, 1, -2);
    return up ? std::max(stepped, offset + pixel) : std::min(stepped, offset - pixel);
}

} // namespace oxbow::ui
