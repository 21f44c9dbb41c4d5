// Turns the action table into Qt: one QAction per row (caption, shortcut, tooltip, checked
// state), the menus of the rows that have one, and a panel button for the rows that have
// one. Every trigger ends in one handler with the row's id.
#pragma once

#include "fancyctl.h"
#include "oxactions.h"

#include <QObject>

#include <functional>
#include <map>

class QAction;
class QMenuBar;
class QWidget;

namespace oxapp {

class ActionBinder : public QObject {
public:
    using Handler = std::function<void(oxact::ActionId)>;

    // Creates the actions (shortcuts scoped to `window`) and the buttons, children of `window`.
    ActionBinder(QWidget& window, Handler handler);

    // The menu bar: the rows with a menu, menus in the order of their first row.
    QMenuBar* BuildMenuBar(QWidget* parent);
    // The panel button of a row that has one (null for a row without).
    CButtonST* Button(oxact::ActionId id) const;
    QAction* Action(oxact::ActionId id) const;
    // Enabled and checked states from the UI thread's copy of the setup.
    void Refresh(const _OX_SETUP& state);

private:
    QAction* MakeAction(const oxact::ActionRow& row, QWidget& window);
    CButtonST* MakeButton(const oxact::ActionRow& row, QAction* action, QWidget& window);

    Handler handler_;
    std::map<oxact::ActionId, QAction*> actions_;
    std::map<oxact::ActionId, CButtonST*> buttons_;
};

} // namespace oxapp
