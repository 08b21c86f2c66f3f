#include "app/shell/popup_menus.h"

#include "app/shell/command_table.h"

namespace kestrel
{

namespace
{

// The item as the main menu shows it.
PopupItem Item(int id)
{
    const MenuCommand *command = FindMenuCommand(id);
    if (command == nullptr)
        return {id, std::string()};
    std::string text = command->text;
    if (command->shortcut[0] != '\0')
        text += std::string("\t") + command->shortcut;
    return {id, text};
}

} // namespace

PopupMenu ChoosePopupMenu(const Pane &active, PopupPlace place)
{
    if (place == PopupPlace::ActivePathLine)
        return PopupMenu::LRWindow;
    if (place != PopupPlace::ActiveList)
        return PopupMenu::None;
    const CatalogEntry *entry = active.CursorEntry();
    // A cursor scrolled out of sight gives no menu: it would act on an
    // entry the user cannot see.
    if (entry == nullptr || active.cursor < active.firstDrawn ||
        active.cursor >= active.afterLastDrawn)
        return PopupMenu::None;
    const uint16_t kind = entry->ti.kind;
    if (kind == kKindSubdir || kind == kKindUpDir)
        return PopupMenu::Dir;
    if ((kind >= kKindDsk && kind <= kKindCf7ImageVolume) || kind == kKindHfe)
        return PopupMenu::Dsks;
    return PopupMenu::TiFiles;
}

const char *PopupMenuName(PopupMenu menu)
{
    switch (menu) {
    case PopupMenu::LRWindow:
        return "Popup0-LRWindow";
    case PopupMenu::TiFiles:
        return "Popup1-TiFiles";
    case PopupMenu::Dsks:
        return "Popup2-DSKS";
    case PopupMenu::Dir:
        return "Popup3-DIR";
    case PopupMenu::None:
        break;
    }
    return "";
}

std::vector<PopupItem> PopupMenuItems(PopupMenu menu)
{
    switch (menu) {
    case PopupMenu::LRWindow:
        // The recent items keep their bare numbers here: only the main menu
        // is filled in with the stored locations.
        return {Item(kCmdSelectDirectory), Item(40054), Item(40055), Item(40056),
                Item(40057),               Item(40058), Item(kCmdReadCf7List),
                Item(kCmdDirectoryReport)};
    case PopupMenu::TiFiles: {
        PopupItem attributes = Item(kCmdAttributes);
        attributes.text = "Set file attributes…";
        return {Item(kCmdCopy),      Item(kCmdRename),   Item(kCmdNewDirectory),
                Item(kCmdDelete),    attributes,         Item(kCmdInformation),
                Item(kCmdViewFile),  Item(kCmdForth),    Item(kCmdViewHex),
                Item(kCmdMyart256),  Item(kCmdMyart512), Item(kCmdViewPicture),
                Item(kCmdCharset)};
    }
    case PopupMenu::Dsks:
        return {Item(kCmdCopy),         Item(kCmdInformation),   Item(kCmdViewDirectory),
                Item(kCmdViewInOtherPane), Item(kCmdExtractAll), Item(kCmdInitializeCf7),
                Item(kCmdMountCf7)};
    case PopupMenu::Dir:
        return {{kCmdViewDirectory, "View directory (in this window)"},
                {kCmdViewInOtherPane, "View directory (in opposite window)"}};
    case PopupMenu::None:
        break;
    }
    return {};
}

} // namespace kestrel
