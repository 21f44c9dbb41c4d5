// CPluginDlg: the one way a plug-in dialog is written.
//
// A dialog declares its controls as a table of ControlRow (widget, the field it shows, the
// command it posts, the argument type, the numeric entry settings) and the completion
// messages it refreshes on; the base class builds the widgets and carries out everything
// the rows describe:
// - a modeless, skinned, frameless window, moved by dragging its free surface (when the
//   dialog is draggable);
// - the close box, Escape and the window manager's close post the dialog's close request
//   (group 3124 with its close sub-command, no window); the host then destroys the dialog;
// - every control change is one posted command naming the dialog as its window, preceded
//   by the undo request (run control kSaveUndo) when the row's command asks for one; the
//   dialog never writes a record;
// - value fields open numeric entry with the row's settings; a cancelled entry posts nothing;
// - spin buttons step once on the press and every 200 ms while held; the undo request goes
//   out once per press; the repeat stops on release, when the button loses the mouse grab and
//   when the dialog hides or closes;
// - while a record is played back every control refuses with "Function not available";
// - whenever the UI thread's copy of the records is new, whoever changed them, the host
//   calls Refresh and every control re-reads its field; window messages are left for real
//   notices (OnMessage).
//
// The command layer sends completion messages to a CWnd it holds by identity, so a message
// for a dialog that was destroyed meanwhile is skipped, never delivered.
#pragma once

#include "cwnd.h"
#include "fancyctl.h"
#include "ox_commands.h"
#include "oxplugin.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <span>
#include <utility>
#include <vector>

class QLabel;
class QWidget;

namespace oxbow::ui {

// The colours of the dialogs' skin.
struct PluginColours {
    static inline const QColor Heading{255, 204, 0};
    static inline const QColor Value{244, 150, 15};
    static inline const QColor ValueBack{0, 0, 0};
    static inline const QColor Channel1{254, 255, 0}; // CH1 values in alternation
    static inline const QColor Channel2{16, 212, 224};
};

// What a control reads: the UI thread's copy of the records and the page the dialog shows.
struct DialogView {
    const _OX_SETUP& setup;
    const _OX_RGN_SETUP& region;
    int page = 0;
};

// Where a control's value goes.
struct Post {
    oxcmd::Group group = 0;
    oxcmd::Sub sub = 0;
    long value = 0;
    bool saveUndo = false; // the undo slot is filled first
};

enum class Widget {
    Title,   // the window title (caption)
    Heading, // a group heading (caption, or `text`)
    Label,   // a label (caption, or `text`)
    Value,   // a value field: shows `text`; a click opens numeric entry on `field`
    Push,    // posts value(view, field)
    Spin,    // posts value(view, held value) on the press and every repeat tick
    Check,   // posts !field
    Option,  // selected while field == option; a press on another choice posts value(option)
    List,    // a drop-down list of `items`, selection = field; a user's choice posts it
    Tab,     // shows page `option` (no post)
};

// The argument a command carries (the unsigned 32-bit ones go as Int: the same bytes).
enum class Arg { None, Int, Bool, Float, Double };

// Numeric entry settings: significant digits, decimals (-1 automatic), finest exponent.
struct Entry {
    int digits = 3;
    int decimals = -1;
    int finest = 0;
};
inline constexpr Entry kTimeScaleEntry{4, -1, -9};
inline constexpr Entry kTimeOffsetEntry{4, 4, -9};
inline constexpr Entry kCountEntry{3, 0, 0};
inline constexpr Entry kValueEntry{3, -1, 0};

struct ControlRow {
    int id = 0; // the control's id (also its object name, "c<id>")
    Widget widget = Widget::Label;
    QRect rect;
    const char* caption = nullptr; // caption; the tool tip of a caption-less button
    const char* tip = nullptr;     // tool tip
    double (*field)(const DialogView&) = nullptr;
    Post (*command)(const DialogView&) = nullptr; // null: posts nothing
    Arg arg = Arg::None;
    Entry entry{};
    // The value posted from the current one (entered, held, or the option's); nullopt posts
    // nothing. Null: the current value itself.
    std::optional<double> (*value)(const DialogView&, double current) = nullptr;
    QString (*text)(const DialogView&) = nullptr;
    bool (*shown)(const DialogView&) = nullptr; // null: always shown
    bool (*acts)(const DialogView&) = nullptr;  // null: always acts; false posts nothing
    QColor (*colour)(const DialogView&) = nullptr;
    QStringList (*items)(const DialogView&) = nullptr;
    double option = 0;
};

struct DialogLayout {
    int templateId = 0;
    QSize size;
    const char* title = "";
    oxcmd::Sub closeSub = 0; // 0: no close box, Escape does nothing
    bool draggable = true;
    std::span<const ControlRow> controls;
};

// Numeric entry: value out, current value, settings, title, parent; true when confirmed.
using NumericEntry = std::function<bool(double&, double, const Entry&, QWidget*)>;

class CPluginDlg : public CCommonDlg, public CWnd {
    Q_OBJECT
public:
    static constexpr int kSpinRepeatMs = 200;

    CPluginDlg(const PluginContext& context, const DialogLayout& layout);
    ~CPluginDlg() override;

    // The control of row `id` (null when the table has none).
    [[nodiscard]] QWidget* Control(int id) const;
    [[nodiscard]] int Page() const { return m_page; }
    [[nodiscard]] bool SpinRepeating() const { return m_repeat.isActive(); }

    // Replaces the numeric entry of every dialog (tests script it); empty restores
    // ShowOptionDlg.
    static void SetNumericEntry(NumericEntry entry);

    // Every control re-reads the records' copy (which the host has brought up to date).
    void Refresh();

    void reject() override; // Escape and the close box: the close request
    // Unregisters the window (no message reaches it any more), hides it and deletes it
    // once control is back in the event loop.
    void Destroy();

protected:
    // Re-reads the records' copy and every control from it; then OnRefreshed.
    void RefreshControls();
    [[nodiscard]] DialogView View() const;
    // After every refresh of the controls (re-size, re-place, repaint).
    virtual void OnRefreshed() {}
    // A window message: a completion of a command that named the dialog, or a notice.
    virtual void OnMessage(oxcmd::Group, oxcmd::Sub, long) {}
    void ShowPage(int page);

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    const PluginContext& Context() const { return m_context; }

private:
    struct Built {
        const ControlRow* row;
        QWidget* widget;
    };
    void Build();
    QWidget* Make(const ControlRow& row);
    void RefreshOne(const Built& control, const DialogView& view);
    void Activate(const ControlRow& row);
    void OpenEntry(const ControlRow& row);
    void SpinPressed(const ControlRow& row);
    void SpinTick();
    void StopRepeat();
    [[nodiscard]] bool Refused(const DialogView& view);
    bool PostValue(const ControlRow& row, const DialogView& view, double value, bool undo);

    PluginContext m_context;
    DialogLayout m_layout;
    std::vector<Built> m_controls;
    int m_page = 0;
    bool m_closing = false;
    QTimer m_repeat;
    const ControlRow* m_held = nullptr;
    double m_heldValue = 0;
};

// Offset step of a spin button: at least a fiftieth of a division (one screen pixel) of
// the timebase's scale, up or down.
[[nodiscard]] double StepTimeOffset(double offset, double scale, bool up);

// Opens dialog D on `context` (and D's further constructor arguments), modeless, and returns
// its window; null when the context lacks the records.
template <class D, class... Args>
CWnd* ShowPluginDialog(const PluginContext& context, Args&&... args) {
    if (context.setup == nullptr || context.region == nullptr) return nullptr;
    auto* dialog = new D(context, std::forward<Args>(args)...);
    dialog->show();
    return dialog;
}

// Opens a dialog that is its table alone.
CWnd* ShowPluginDialog(const PluginContext& context, const DialogLayout& layout);

// How the host shows a dialog window it holds the newest copy of the records (nothing for
// a window that is no plug-in dialog).
void RefreshPluginDialog(CWnd* window);

// How the host destroys a dialog window it holds: no message reaches it from here on, and
// the object goes once control is back in the event loop.
void DestroyPluginDialog(CWnd* window);

} // namespace oxbow::ui
