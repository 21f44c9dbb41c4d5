#include "actionbinder.h"

#include "oxmenus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace oxapp {

namespace {

// The accelerator text of an item: its shortcut, or what its caption shows after the tab
// ("Ctrl+1/2" for a menu item whose keys are rows of their own).
QString Accelerator(const oxact::ActionRow& row) {
    if (row.shortcut != nullptr) return QString::fromUtf8(row.shortcut);
    const QString caption = QString::fromUtf8(row.caption != nullptr ? row.caption : "");
    const qsizetype tab = caption.indexOf('\t');
    return tab < 0 ? QString() : caption.mid(tab + 1);
}

QString ToolTip(const oxact::ActionRow& row) {
    QString tip = QString::fromUtf8(row.tip);
    const QString keys = Accelerator(row);
    if (!keys.isEmpty()) tip += QString(" (%1)").arg(keys);
    return tip;
}

QString ActionText(const oxact::ActionRow& row) {
    if (row.caption != nullptr) return QString::fromUtf8(row.caption);
    return QString::fromUtf8(row.button != nullptr ? row.button : row.objectName);
}

// The menu of the bar or the submenu of it that an item goes in, made when first needed.
QMenu* MenuFor(QMenu* menu, const oxact::MenuPlace& place, std::map<QString, QMenu*>& submenus) {
    if (place.submenu == nullptr) return menu;
    const QString title = QString::fromUtf8(place.submenu);
    QMenu*& submenu = submenus[menu->title() + '/' + title];
    if (submenu == nullptr) submenu = menu->addMenu(title);
    return submenu;
}

} // namespace

ActionBinder::ActionBinder(QWidget& window, Handler handler)
    : QObject(&window), handler_(std::move(handler)) {
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        QAction* action = MakeAction(row, window);
        actions_[row.id] = action;
        if (row.button != nullptr) buttons_[row.id] = MakeButton(row, action, window);
    }
    BuildPopMenu(window);
    BuildSourceMenu(window);
}

QAction* ActionBinder::MakeAction(const oxact::ActionRow& row, QWidget& window) {
    auto* action = new QAction(ActionText(row), &window);
    action->setObjectName(QString::fromUtf8(row.objectName));
    action->setToolTip(ToolTip(row));
    action->setCheckable(row.checked != nullptr);
    if (row.shortcut != nullptr) {
        action->setShortcut(QKeySequence(QString::fromUtf8(row.shortcut)));
        // From every window of Oxbow (the control dialogs, the floating views, the
        // measurement panel), not only the main one. A focused text field still keeps its
        // own editing keys (select all, undo, arrows): it claims them before any shortcut,
        // and a modal question or entry blocks the main window's keys while it is up.
        action->setShortcutContext(Qt::ApplicationShortcut);
    }
    // Shortcuts of rows without a menu work too: the window holds every action.
    window.addAction(action);
    const oxact::ActionId id = row.id;
    connect(action, &QAction::triggered, this, [this, id, action] {
        // A check mark follows the instrument, not the click: the next refresh sets it.
        if (action->isCheckable()) action->setChecked(!action->isChecked());
        Trigger(id);
    });
    return action;
}

CButtonST* ActionBinder::MakeButton(const oxact::ActionRow& row, QAction* action, QWidget& window) {
    auto* button = new CButtonST(QString::fromUtf8(row.button), &window);
    button->setObjectName(QString::fromUtf8(row.objectName));
    button->setToolTip(ToolTip(row));
    connect(button, &QPushButton::clicked, action, [action] { action->trigger(); });
    return button;
}

void ActionBinder::Trigger(oxact::ActionId id) {
    const std::optional<int> code = oxact::MeasureCode(id);
    if (code && bothChannelsShown_) {
        pendingMeasure_ = *code;
        sourceMenu_->popup(QCursor::pos());
        return;
    }
    handler_(id);
}

QMenuBar* ActionBinder::BuildMenuBar(QWidget* parent) {
    auto* bar = new QMenuBar(parent);
    for (const char* title : oxact::kMenuBar) {
        QMenu* menu = bar->addMenu(QString::fromUtf8(title));
        std::map<QString, QMenu*> submenus;
        for (const oxact::ActionRow& row : oxact::ActionTable()) {
            if (row.menu == nullptr || std::string_view(row.menu) != title) continue;
            const oxact::MenuPlace place = oxact::PlaceOf(row.id);
            if (place.separatorBefore && !menu->isEmpty()) menu->addSeparator();
            MenuFor(menu, place, submenus)->addAction(actions_.at(row.id));
        }
    }
    return bar;
}

void ActionBinder::BuildPopMenu(QWidget& window) {
    popMenu_ = new QMenu(&window);
    popMenu_->setObjectName("PopMenu");
    for (const oxact::PopItem& item : oxact::PopMenu()) {
        if (item.separatorBefore) popMenu_->addSeparator();
        popMenu_->addAction(actions_.at(item.id));
    }
}

void ActionBinder::BuildSourceMenu(QWidget& window) {
    sourceMenu_ = new QMenu(&window);
    sourceMenu_->setObjectName("MeasureSource");
    const char* const names[] = {"CH1", "CH2"};
    for (int channel = 0; channel < 2; ++channel) {
        QAction* source = sourceMenu_->addAction(names[channel]);
        source->setObjectName(QString("MEASURE_SOURCE_%1").arg(names[channel]));
        connect(source, &QAction::triggered, this, [this, channel] {
            // A command the full queue did not take has put its own message on the screen.
            static_cast<void>(
                oxact::Perform(oxact::MeasurePlan(pendingMeasure_, channel), nullptr));
        });
    }
}

void ActionBinder::ShowPopMenu(const QPoint& globalPos) {
    popMenu_->popup(globalPos);
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
    bothChannelsShown_ = oxact::MeasureAsksSource(state);
}

void ActionBinder::Refresh(const oxacq::RecordView& view) {
    Refresh(view.setup);
    for (const oxact::ActionRow& row : oxact::ActionTable()) {
        if (!oxact::EnabledInView(row.id, view)) actions_.at(row.id)->setEnabled(false);
    }
}

} // namespace oxapp
