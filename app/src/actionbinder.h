// Turns the action table into Qt: one QAction per row (caption, shortcut, tooltip, checked
// state), the menus of the menu bar with their submenus and separators, the context menu,
// and a panel button for the rows that have one. Every trigger ends in one handler with the
// row's id, except a measurement item while both channels are shown: a small source menu
// asks for CH1 or CH2 first and the measurement is posted from it.
#pragma once

#include "fancyctl.h"
#include "oxactions.h"
#include "oxsnapshot.h"

#include <QObject>

#include <functional>
#include <map>

class QAction;
class QMenu;
class QMenuBar;
class QPoint;
class QWidget;

namespace oxapp {

class ActionBinder : public QObject {
public:
    using Handler = std::function<void(oxact::ActionId)>;

    // Creates the actions (their shortcuts work from every window of the program) and the
    // buttons, children of `window`.
    ActionBinder(QWidget& window, Handler handler);

    // The menu bar: the menus in their fixed order, the items in table order.
    QMenuBar* BuildMenuBar(QWidget* parent);
    // The panel button of a row that has one (null for a row without).
    CButtonST* Button(oxact::ActionId id) const;
    QAction* Action(oxact::ActionId id) const;
    // Enabled and checked states from the UI thread's copy of the setup.
    void Refresh(const _OX_SETUP& state);
    // The same, with the states the I/O thread published beside the records (undo, redo).
    void Refresh(const oxacq::RecordView& view);

    // The context menu, opened at a screen position (the window's right button).
    void ShowPopMenu(const QPoint& globalPos);
    QMenu* PopMenu() const { return popMenu_; }
    // The measurement source menu (CH1, CH2), open while a measurement waits for its source.
    QMenu* SourceMenu() const { return sourceMenu_; }

private:
    QAction* MakeAction(const oxact::ActionRow& row, QWidget& window);
    CButtonST* MakeButton(const oxact::ActionRow& row, QAction* action, QWidget& window);
    void BuildPopMenu(QWidget& window);
    void BuildSourceMenu(QWidget& window);
    void Trigger(oxact::ActionId id);

    Handler handler_;
    std::map<oxact::ActionId, QAction*> actions_;
    std::map<oxact::ActionId, CButtonST*> buttons_;
    QMenu* popMenu_ = nullptr;
    QMenu* sourceMenu_ = nullptr;
    bool bothChannelsShown_ = false; // as last refreshed
    int pendingMeasure_ = 0;         // the code waiting for its source
};

} // namespace oxapp
