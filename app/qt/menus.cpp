#include "app/qt/menus.h"

namespace kestrel
{

QString MenuItemLabel(const MenuCommand &command)
{
    QString text = QString::fromUtf8(command.text);
    if (command.shortcut[0] != '\0')
        text += '\t' + QString::fromUtf8(command.shortcut);
    return text;
}

QMenu *BuildPopupMenu(PopupMenu menu, QWidget *parent, const std::function<void(int)> &command)
{
    if (menu == PopupMenu::None)
        return nullptr;
    auto *popup = new QMenu(parent);
    popup->setObjectName(PopupMenuName(menu));
    for (const PopupItem &item : PopupMenuItems(menu)) {
        QAction *action = popup->addAction(QString::fromStdString(item.text));
        action->setData(item.id);
        action->setObjectName(QString::number(item.id));
        const int id = item.id;
        QObject::connect(action, &QAction::triggered, popup, [command, id] { command(id); });
    }
    return popup;
}

} // namespace kestrel
