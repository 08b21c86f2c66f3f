// The pop-up menus of the main window: which one a right click shows, and
// their items. A click on the active pane's path line offers the location
// commands; a click in the active pane's list offers the commands that suit
// the cursor entry, whichever row was clicked, as long as the cursor row is
// on screen. The pop-up items are never greyed.
#pragma once

#include <string>
#include <vector>

#include "app/shell/pane.h"

namespace kestrel
{

enum class PopupMenu : int {
    None = -1,
    LRWindow = 0, // the path line: location commands
    TiFiles = 1,  // files and everything that is neither a directory nor an image
    Dsks = 2,     // floppy, PC99, hard-disk and CF7A+ images and volumes
    Dir = 3,      // subdirectories and ".."
};

enum class PopupPlace {
    ActivePathLine, // the path line of the active pane
    ActiveList,     // the list window of the active pane
    Elsewhere,      // the other pane, the toolbar, the bars between
};

PopupMenu ChoosePopupMenu(const Pane &active, PopupPlace place);

// "Popup0-LRWindow" ... "Popup3-DIR"; "" for None.
const char *PopupMenuName(PopupMenu menu);

struct PopupItem {
    int id;
    std::string text; // mnemonic and "\t" + shortcut included
};

// The items in order; none for PopupMenu::None.
std::vector<PopupItem> PopupMenuItems(PopupMenu menu);

} // namespace kestrel
