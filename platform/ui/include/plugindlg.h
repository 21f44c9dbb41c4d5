// CPluginDlg: the one way a plug-in dialog is written.
//
// A dialog is a table: group boxes and rows, each row a control in a grid cell naming the
// typed setting it shows and sets (oxcmd::Setting, ox_settings.h). The base class builds the
// widgets and the layout, sizes the window from it, and carries out everything the rows
// describe:
// - a modeless, skinned, frameless window with its title, moved by dragging its free surface
//   (when the dialog is draggable);
// - the close mark, Escape and the window manager's close post the close request the host
//   gave in the context (from its dialog table); the host then destroys the dialog;
// - every control change is one typed post naming the dialog as its window, preceded by the
//   undo request when the setting is undoable; the dialog never writes a record;
// - value fields open numeric entry with the row's settings; a cancelled entry posts nothing;
// - spin buttons step once on the press and at every tick of the repeat (200 ms) while held;
//   the undo request goes out once per press; the repeat stops on release, when the button
//   loses the mouse grab and when the dialog hides or closes;
// - while a record is played back every control refuses with "Function not available";
// - whenever the UI thread's copy of the records is new, whoever changed them, the host calls
//   Refresh and every control re-reads its setting. Window messages are left for real
//   notices (OnMessage).
//
// Rows that vary by a channel, trace, slot, line or cursor carry it as their `index` (the
// setting's index and the post's value); pages are sub-tables shown one at a time under tab
// buttons, and a page may hand its index to its rows, so four traces are one table.
#pragma once

#include "cwnd.h"
#include "fancyctl.h"
#include "ox_settings.h"
#include "oxplugin.h"

#include <QColor>
#include <QPointer>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

class QGridLayout;
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

// What a control reads: the UI thread's copy of the records and the index of its row.
struct DialogView {
    const _OX_SETUP& setup;
    const _OX_RGN_SETUP& region;
    long index = 0;
};

// A grid cell: line and column, and how many of each the control spans.
struct Cell {
    int line = 0;
    int column = 0;
    int columns = 1;
    int lines = 1;
};

enum class Kind {
    Label,    // `caption`, or `text`
    Value,    // a value field showing `text` (default: the value with an engineering prefix
              // and `unit`); a click opens numeric entry
    Push,     // posts value(view, current)
    Spin,     // posts value(view, held) on the press and at every repeat tick
    Check,    // posts !current
    Option,   // chosen while current == option; a press on another choice posts option
    List,     // a drop-down list of `items`, the selection the current value
    Text,     // a text entry of at most `maxLength` characters showing `text`
    Address,  // an IPv4 address entry ("192.168.1.20") showing `text`
    Slider,   // from `low` to `high` at the current value; a move posts the position
    Progress, // a bar from `low` to `high` the dialog sets (SetProgress)
    Picture,  // the picture `picture` (a resource path or file)
};

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

// A setting at an index: what a control shows and sets.
struct Target {
    oxcmd::AnySetting setting;
    long index = 0;
};
template <class T> Target TargetOf(const oxcmd::Setting<T>& setting, long index = 0) {
    return {oxcmd::Erased(setting), index};
}

inline constexpr int kNoBox = -1;
inline constexpr long kNoIndex = -1;

struct Row {
    int id = 0; // the dialog's control id (its enum class); unique in its page
    Kind kind = Kind::Label;
    Cell cell;
    int box = kNoBox; // the group box whose grid the cell is in
    const char* caption = nullptr;
    const char* tip = nullptr;
    Target target{};                                 // the setting shown and set (none: a read-out)
    Target (*targetIn)(const DialogView&) = nullptr; // or the setting the state chooses
    Entry entry{};
    const char* unit = "";
    double option = 0; // Option: the choice
    // The value the control stands for, from the setting's (a cursor's position shown in
    // its source's units); null: the setting's value itself. Entry starts from it.
    double (*shows)(const DialogView&, double current) = nullptr;
    // The value posted from the current one (entered, held, the option's); nullopt posts
    // nothing. Null: the current value itself.
    std::optional<double> (*value)(const DialogView&, double current) = nullptr;
    // What a field, label, entry or button shows, from the setting's value.
    QString (*text)(const DialogView&, double current) = nullptr;
    bool (*shown)(const DialogView&) = nullptr; // null: always shown
    bool (*acts)(const DialogView&) = nullptr;  // null: always acts; false posts nothing
    QColor (*colour)(const DialogView&) = nullptr;
    QStringList (*items)(const DialogView&) = nullptr;
    int maxLength = 0; // Text
    int low = 0;       // Slider, Progress
    int high = 100;    // Slider, Progress
    const char* picture = nullptr;
    int chars = 0; // the width of a field, list or entry in characters (0: its kind's own)

    [[nodiscard]] bool HasTarget() const { return targetIn != nullptr || target.setting.read; }
};

// A group box: a titled frame with a grid of its own at `cell` of the dialog's grid.
struct Box {
    int id = 0;
    Cell cell;
    const char* caption = nullptr;
    QString (*title)(const DialogView&) = nullptr; // a caption the state chooses
    bool (*shown)(const DialogView&) = nullptr;
};

// A page: a sub-table shown while its tab is chosen. Rows that name no index take the
// page's (kNoIndex: 0).
struct Page {
    int id = 0; // the id of its tab button
    const char* caption = nullptr;
    std::span<const Row> rows;
    long index = kNoIndex;
};

struct DialogLayout {
    const char* title = ""; // the title band's text; empty: no title band (a strip)
    std::span<const Box> boxes;
    std::span<const Row> rows;
    std::span<const Page> pages;
    Cell pagesCell{}; // where the tab buttons and the page shown sit
    bool draggable = true;
};

// What is wrong with a table (empty when it is sound): ids not unique, a row without the
// parts its kind needs, a box a row names that is not there.
[[nodiscard]] std::vector<std::string> LayoutProblems(const DialogLayout& layout);

// Numeric entry: value out, current value, settings, parent; true when confirmed.
using NumericEntry = std::function<bool(double&, double, const Entry&, QWidget*)>;

// The spin buttons' repeat: `tick` every kSpinRepeatMs from Start until Stop. Tests install
// one they tick themselves.
class SpinTimer {
public:
    virtual ~SpinTimer() = default;
    virtual void Start(std::function<void()> tick) = 0;
    virtual void Stop() = 0;
    [[nodiscard]] virtual bool Active() const = 0;
};
using SpinTimerMaker = std::function<std::unique_ptr<SpinTimer>()>;

class CPluginDlg : public CCommonDlg, public CWnd {
    Q_OBJECT
public:
    static constexpr int kSpinRepeatMs = 200;

    CPluginDlg(const PluginContext& context, const DialogLayout& layout);
    ~CPluginDlg() override;

    // The control of row, tab or box `id`, on the page shown first (null when the table has
    // none).
    [[nodiscard]] QWidget* Control(int id) const;
    template <class Id>
    requires std::is_enum_v<Id>
    [[nodiscard]] QWidget* Control(Id id) const { return Control(static_cast<int>(id)); }
    [[nodiscard]] int Page() const { return m_page; }
    void ShowPage(int page);
    [[nodiscard]] bool SpinRepeating() const { return m_repeat->Active(); }
    [[nodiscard]] const DialogLayout& Layout() const { return m_layout; }
    [[nodiscard]] oxcmd::Sub CloseRequest() const { return m_context.closeRequest; }

    // Every control re-reads the records' copy (which the host has brought up to date).
    void Refresh();
    // The level a progress bar shows.
    void SetProgress(int id, int level);

    // Replace the numeric entry and the spin timer of every dialog opened from now on
    // (tests script them); empty restores ShowOptionDlg and the 200 ms timer.
    static void SetNumericEntry(NumericEntry entry);
    static void SetSpinTimer(SpinTimerMaker maker);

    void reject() override; // Escape and the close mark: the close request
    // Unregisters the window (no message reaches it any more), hides it and deletes it
    // once control is back in the event loop.
    void Destroy();

protected:
    [[nodiscard]] DialogView View(long index = 0) const;
    // After every refresh of the controls (a re-shape, a re-placement).
    virtual void OnRefreshed() {}
    // A window message: a completion of a command that named the dialog, or a notice.
    virtual void OnMessage(oxcmd::Group, oxcmd::Sub, long) {}
    // A text or address entry was edited (Return or focus out).
    virtual void OnText(int /*id*/, const QString& /*text*/) {}

    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    const PluginContext& Context() const { return m_context; }

private:
    struct Built {
        const Row* row;
        QWidget* widget;
        long index;    // the row's own, or its page's
        int page = -1; // -1: on every page
    };
    void Build();
    void BuildRows(std::span<const Row> rows, QGridLayout& grid, int page, long index,
                   const std::vector<QGridLayout*>& boxes);
    void BuildPages(QGridLayout& grid);
    QWidget* Make(const Built& control);
    [[nodiscard]] Target TargetOf(const Built& control, const DialogView& view) const;
    // The setting's value, and what the control shows for it.
    [[nodiscard]] double Current(const Built& control) const;
    [[nodiscard]] double Shown(const Built& control) const;
    void RefreshOne(const Built& control);
    void ApplySize();
    void Activate(const Built& control);
    void OpenEntry(const Built& control);
    void Chosen(const Built& control, int index);
    void SpinPressed(const Built& control);
    void SpinTick();
    void StopRepeat();
    [[nodiscard]] bool Refused(const DialogView& view);
    bool PostValue(const Built& control, double value, bool undo);
    [[nodiscard]] const Built* Find(const QWidget* widget) const;
    void UpdateContext();

    PluginContext m_context;
    DialogLayout m_layout;
    std::deque<Built> m_controls; // stays in place as it grows: handlers hold its rows
    std::vector<std::pair<const Box*, QWidget*>> m_boxes;
    std::vector<QWidget*> m_tabs;
    QWidget* m_pages = nullptr; // the stack of pages
    int m_page = 0;
    bool m_closing = false;
    bool m_refreshing = false;
    std::unique_ptr<SpinTimer> m_repeat;
    const Built* m_held = nullptr;
    double m_heldValue = 0;
};

// Offset step of a spin button: at least a fiftieth of a division (one screen pixel) of
// the timebase's scale, up or down.
[[nodiscard]] double StepTimeOffset(double offset, double scale, bool up);

// A value printed with 3 significant digits and an engineering prefix, then `unit`.
[[nodiscard]] QString EngineeringText(double value, const char* unit);

// ---- Builders for the usual rows ------------------------------------------------------

template <class Id> constexpr int IdOf(Id id) {
    return static_cast<int>(id);
}

template <class Id> Row Label(Id id, Cell cell, const char* caption, int box = kNoBox) {
    return {.id = IdOf(id), .kind = Kind::Label, .cell = cell, .box = box, .caption = caption};
}

// A value field of `setting` at `index`, entered with `entry`, shown by `text` (default:
// engineering prefix and `unit`).
template <class Id, class T>
Row ValueField(Id id, Cell cell, const oxcmd::Setting<T>& setting, Entry entry, int box = kNoBox,
               QString (*text)(const DialogView&, double) = nullptr, const char* unit = "",
               long index = 0) {
    return {.id = IdOf(id),
            .kind = Kind::Value,
            .cell = cell,
            .box = box,
            .target = oxbow::ui::TargetOf(setting, index),
            .entry = entry,
            .unit = unit,
            .text = text};
}

// A check button showing and toggling a bool setting.
template <class Id>
Row CheckButton(Id id, Cell cell, const char* caption, const oxcmd::Setting<bool>& setting,
                int box = kNoBox, long index = 0) {
    return {.id = IdOf(id),
            .kind = Kind::Check,
            .cell = cell,
            .box = box,
            .caption = caption,
            .target = oxbow::ui::TargetOf(setting, index)};
}

// A drop-down list of `items` choosing the setting's value (0, 1, ...).
template <class Id>
Row ListBox(Id id, Cell cell, const oxcmd::Setting<int>& setting,
            QStringList (*items)(const DialogView&), int box = kNoBox, long index = 0) {
    return {.id = IdOf(id),
            .kind = Kind::List,
            .cell = cell,
            .box = box,
            .target = oxbow::ui::TargetOf(setting, index),
            .items = items};
}

// One option button per choice, side by side from `first` on: each chooses its value.
struct Choice {
    int id;
    const char* caption;
    double option;
};
template <class T>
std::vector<Row> OptionGroup(const oxcmd::Setting<T>& setting, Cell first,
                             std::initializer_list<Choice> choices, int box = kNoBox,
                             std::optional<double> (*value)(const DialogView&, double) = nullptr) {
    std::vector<Row> rows;
    Cell cell = first;
    for (const Choice& c : choices) {
        rows.push_back({.id = c.id,
                        .kind = Kind::Option,
                        .cell = cell,
                        .box = box,
                        .caption = c.caption,
                        .target = oxbow::ui::TargetOf(setting),
                        .option = c.option,
                        .value = value});
        cell.column += cell.columns;
    }
    return rows;
}

// A pair of buttons stepping the value down and up with `step` (Spin: held, it repeats),
// in the cells left and right of `field`.
template <class Id>
std::vector<Row> StepPair(Id down, Id up, Cell field, Kind kind, Target target,
                          std::optional<double> (*stepDown)(const DialogView&, double),
                          std::optional<double> (*stepUp)(const DialogView&, double),
                          int box = kNoBox, const char* downCaption = "\u25bc",
                          const char* upCaption = "\u25b2") {
    const Cell left{field.line, field.column - 1};
    const Cell right{field.line, field.column + field.columns};
    return {{.id = IdOf(down),
             .kind = kind,
             .cell = left,
             .box = box,
             .caption = downCaption,
             .target = target,
             .value = stepDown},
            {.id = IdOf(up),
             .kind = kind,
             .cell = right,
             .box = box,
             .caption = upCaption,
             .target = target,
             .value = stepUp}};
}

// Joins row tables.
std::vector<Row> Rows(std::initializer_list<std::vector<Row>> parts);

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
