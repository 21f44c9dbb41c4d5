#include "actionbinder.h"

#include <QAction>
#include <QMenuBar>
#include <QWidget>

namespace oxapp {

namespace {

QString ToolTip(const oxact::ActionRow& row) {
    QString tip = QString::fromUtf8(row.tip);
    if (row.shortcut != nullptr) tip += QString(" (%1)").arg(row.shortcut);
    return tip;
}

QString ActionText(const oxact::ActionRow& row) {
    if (row.caption != nullptr) return QString::fromUtf8(row.caption);
    return QString::fromUtf8(row.button != nullptr ? row.button : row.objectName);
}

} // namespace

ActionBinder::ActionBinder(QWidget& window, Handler handler)
    : QObject(&window), handler_(std::move(handler)) {
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        QAction* action = MakeAction(row, window);
        actions_[row.id] = action;
        if (row.button != nullptr) buttons_[row.id] = MakeButton(row, action, window);
    }
}

QAction* ActionBinder::MakeAction(const oxact::ActionRow& row, QWidget& window) {
    auto* action = new QAction(ActionText(row), &window);
    action->setObjectName(QString::fromUtf8(row.objectName));
    action->setToolTip(ToolTip(row));
    action->setCheckable(row.checked != nullptr);
    if (row.shortcut != nullptr) {
        action->setShortcut(QKeySequence(QString::fromUtf8(row.shortcut)));
        action->setShortcutContext(Qt::WindowShortcut);
    }
    // Shortcuts of rows without a menu work too: the window holds every action.
    window.addAction(action);
    const oxact::ActionId id = row.id;
    connect(action, &QAction::triggered, this, [this, id] { handler_(id); });
    return action;
}

CButtonST* ActionBinder::MakeButton(const oxact::ActionRow& row, QAction* action, QWidget& window) {
    auto* button = new CButtonST(QString::fromUtf8(row.button), &window);
    button->setObjectName(QString::fromUtf8(row.objectName));
    button->setToolTip(ToolTip(row));
    connect(button, &QPushButton::clicked, action, [action] { action->trigger(); });
    return button;
}

QMenuBar* ActionBinder::BuildMenuBar(QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    std::map<QString, QMenu*> menus;
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        if (row.menu == nullptr) continue;
        const QString title = QString::fromUtf8(row.menu);
        QMenu*& menu = menus[title];
        if (menu == nullptr) menu = bar->addMenu(title);
        menu->addAction(actions_.at(row.id));
    }
    return bar;
}

CButtonST* ActionBinder::Button(oxact::ActionId id) const {
    const auto found = buttons_.find(id);
    return found == buttons_.end() ? nullptr : found->second;
}

QAction* ActionBinder::Action(oxact::ActionId id) const {
    return actions_.at(id);
}

void ActionBinder::Refresh(const _OX_SETUP& state) {
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        QAction* action = actions_.at(row.id);
        const bool enabled = row.enabled == nullptr || row.enabled(state);
        action->setEnabled(enabled);
        if (CButtonST* button = Button(row.id)) button->setEnabled(enabled);
        if (row.checked != nullptr) action->setChecked(row.checked(state));
    }
}

} // namespace oxapp
