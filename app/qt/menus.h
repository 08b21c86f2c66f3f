// Qt menus built from the command table: the item texts with their shortcut
// texts, and the pop-up menus of the main window.
#pragma once

#include <functional>

#include <QMenu>
#include <QString>

#include "app/shell/command_table.h"
#include "app/shell/popup_menus.h"

namespace kestrel
{

// The item text with the shortcut text after a tab, which Qt shows
// right-aligned.
QString MenuItemLabel(const MenuCommand &command);

// A pop-up menu (object name "Popup0-LRWindow" ...) whose items call
// command with their ids; null for PopupMenu::None. The caller owns it.
QMenu *BuildPopupMenu(PopupMenu menu, QWidget *parent, const std::function<void(int)> &command);

} // namespace kestrel
