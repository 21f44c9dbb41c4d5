// The skinned controls every window is built from: the frameless dialog with its painted
// skin, the skinned push button, the coloured edit/label, the combo box of coloured
// items and the menu whose sub-menus are reached by position.
#pragma once

#include "cwnd.h"

#include <QComboBox>
#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include <array>
#include <vector>

// A borderless dialog painted with a background bitmap (SetFile) or, without one, with
// the instrument skin: a dark body under a title band that shows the window title and
// its buttons (a close mark; a main window adds Minimize and Maximize/Restore). A button
// acts when the left button is released over it, as on the desktop. Dragging the dialog
// anywhere off its controls moves it. Layouts placed on it sit below the title band.
class CCommonDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTitleHeight = 24;
    enum TitleButton : unsigned {
        kNoTitleButton = 0,
        kCloseButton = 1,
        kMinimizeButton = 2,
        kMaximizeButton = 4,
    };

    explicit CCommonDlg(int templateId, QWidget* parent = nullptr);

    // Background bitmap resource id; 0 for the painted skin.
    void SetFile(int bitmapId);
    int TemplateId() const { return m_templateId; }
    // The title buttons shown, TitleButton flags (the close mark alone by default).
    void SetTitleButtons(unsigned buttons);
    // Where a title button sits; empty when it is not shown.
    QRect TitleButtonRect(TitleButton button) const;
    QRect CloseMarkRect() const { return TitleButtonRect(kCloseButton); }
    // "Minimize", "Maximize" or "Restore" (as the window stands), "Close".
    QString TitleButtonTip(TitleButton button) const;
    // A resizable dialog is resized by dragging its edges and corners (the outer
    // kResizeBorder pixels): by the window manager where there is one, else by itself.
    static constexpr int kResizeBorder = 6;
    void SetResizable(bool resizable);
    // The edges a press at `point` resizes (none for an unresizable dialog).
    Qt::Edges ResizeEdgesAt(const QPoint& point) const;

protected:
    // Runs once, just before the dialog is first shown. Derived dialogs call the base first.
    virtual bool OnInitDialog() { return true; }
    // The title buttons. Close rejects the dialog.
    virtual void OnMinimizeButton() { showMinimized(); }
    virtual void OnMaximizeButton();
    // True while the Maximize button shows Restore: by default while the window is full
    // screen or maximised.
    virtual bool ShowsRestore() const { return isFullScreen() || isMaximized(); }

    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintSkin(QPainter& painter);
    void PaintTitleButtons(QPainter& painter);
    TitleButton TitleButtonAt(const QPoint& point) const;
    void PressTitleButton(TitleButton button);

    int m_templateId;
    int m_bitmapId = 0;
    unsigned m_titleButtons = kCloseButton;
    TitleButton m_pressedButton = kNoTitleButton;
    bool m_initialised = false;
    bool m_dragging = false;
    QPoint m_dragOffset;
    bool m_resizable = false;
    Qt::Edges m_resizing;   // the edges a resize without a window manager moves
    QPoint m_resizeFrom;    // where that resize started (global)
    QRect m_resizeGeometry; // the geometry it started from
};

// A push button drawn with its own colours, an optional bitmap or icon, optionally
// without border, optionally draggable within its parent, optionally opening a
// drop-down menu of checkable items, and optionally sending a window message to a
// parent window when pressed.
class CButtonST : public QPushButton {
    Q_OBJECT
public:
    enum ColorRole {
        BTNST_COLOR_BK_IN, // background under the mouse
        BTNST_COLOR_FG_IN,
        BTNST_COLOR_BK_OUT, // background at rest
        BTNST_COLOR_FG_OUT,
        BTNST_COLOR_BK_FOCUS, // background with the keyboard focus
        BTNST_COLOR_FG_FOCUS,
        BTNST_MAX_COLORS
    };
    enum BtnType {
        BTNST_PUSH,  // a plain push button
        BTNST_CHECK, // stays down while checked
        BTNST_MENU,  // a press opens the drop-down menu
    };

    explicit CButtonST(QWidget* parent = nullptr);
    CButtonST(const QString& text, QWidget* parent = nullptr);

    // Bitmap resources: `in` under the mouse, `out` at rest (0: `in` for both).
    void SetBitmaps(int in, int out = 0);
    void SetIcon(const QIcon& in, const QIcon& out = QIcon());
    void SetColor(ColorRole role, const QColor& colour, bool repaint = true);
    QColor GetColor(ColorRole role) const { return m_colours[role]; }
    // Shades the colour of `role` by `offset` on each component (clamped to 0..255).
    void OffsetColor(ColorRole role, int offset, bool repaint = true);
    void SetForeTextColor(const QColor& colour);
    void DrawBorder(bool draw = true);
    void SetTooltipText(const QString& text);
    void SetMoveable(bool moveable = true) { m_moveable = moveable; }
    void SetBtnType(BtnType type);

    // The drop-down menu: item texts, their count, the id each reports, check marks, and
    // the part of the button that opens it (a press there opens it whatever the type).
    void SetMenu(const QStringList& items);
    void SetMenuNum(int count);
    void SetMenuItemID(int index, int id);
    void SetMenuItemCheck(int index, bool checked);
    bool MenuItemChecked(int index) const;
    void SetMenuRect(const QRect& rect) { m_menuRect = rect; }
    QMenu* Menu() const { return m_menu; }

    // Pressing sends `message` with (wParam, lParam) to the parent window; choosing a
    // menu item sends `message` with the item's id as wParam.
    void SetMessageID(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SetParentWnd(CWnd* parent) { m_parentWnd = CWndRef::Of(parent); }

signals:
    void MenuItemChosen(int id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Init();
    void SendToParent(WPARAM wParam);
    void OpenMenu();
    QColor BackColour() const;
    QColor ForeColour() const;

    std::array<QColor, BTNST_MAX_COLORS> m_colours;
    QImage m_bitmapIn;
    QImage m_bitmapOut;
    QIcon m_iconIn;
    QIcon m_iconOut;
    bool m_border = true;
    bool m_moveable = false;
    bool m_dragged = false;
    QPoint m_dragStart;
    BtnType m_type = BTNST_PUSH;
    QMenu* m_menu = nullptr;
    std::vector<int> m_menuIds;
    QRect m_menuRect;
    UINT m_message = 0;
    WPARAM m_wParam = 0;
    LPARAM m_lParam = 0;
    CWndRef m_parentWnd;
};

// A text field (or, read-only, a label) with its own text and background colours, its
// own mouse cursor and an optional background bitmap.
class CColorEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CColorEdit(QWidget* parent = nullptr);

    void SetForeColor(const QColor& colour);
    void SetBackColor(const QColor& colour);
    void SetEditCursor(Qt::CursorShape shape) { setCursor(shape); }
    void SetBitmap(int bitmapId);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_bitmap;
};

// A drop-down list of coloured text items.
class CBitmapComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CBitmapComboBox(QWidget* parent = nullptr);

    // Appends an item drawn in `colour`; returns its index.
    int AddCTString(const QColor& colour, const QString& text);
    // The width of the drop-down list.
    void SetWidth(int width);

private:
    void ShowCurrentColour();
};

// A menu whose items may carry bitmaps and whose sub-menus are reached by position.
class BCMenu : public QMenu {
    Q_OBJECT
public:
    explicit BCMenu(QWidget* parent = nullptr) : QMenu(parent) {}
    explicit BCMenu(const QString& title, QWidget* parent = nullptr) : QMenu(title, parent) {}

    // An item reporting `id` (QAction::data), with bitmap resource `bitmapId` when not 0.
    QAction* AppendItem(const QString& text, int id, int bitmapId = 0);
    BCMenu* AppendSubMenu(const QString& title);
    // The sub-menu at `position` (separators count); null when that entry has none.
    QMenu* GetSubMenu(int position) const;
};
