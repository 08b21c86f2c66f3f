// The commands of the main window: every menu item (ids 40001 to 40084) and
// toolbar button (ids 1007 to 1014) with its text and what it does. Most
// commands are key codes for the key interpreter, so a menu item behaves
// exactly like its key; the rest are pane navigation steps or operations
// that the window host carries out. An id that is not in the tables does
// nothing.
#pragma once

#include <string>
#include <vector>

#include "app/shell/shell_host.h"

namespace kestrel
{

class Shell;

enum CommandId : int {
    kCmdAbout = 40001,
    kCmdViewPicture = 40002,
    kCmdViewHex = 40004,
    kCmdInformation = 40006,
    kCmdPc99ToDsk = 40008,
    kCmdTiToPc = 40009,
    kCmdToV9t9 = 40010,
    kCmdToTifiles = 40011,
    kCmdViewFile = 40012,
    kCmdViewDirectory = 40013,
    kCmdDirectoryReport = 40015,
    kCmdPc99Layout = 40016,
    kCmdExit = 40017,
    kCmdBackup = 40034,
    kCmdRestore = 40035,
    kCmdNewDskImage = 40037,
    kCmdMark = 40038,
    kCmdUnmark = 40039,
    kCmdMarkAll = 40040,
    kCmdUnmarkAll = 40041,
    kCmdReadCf7List = 40042,
    kCmdInitializeCf7 = 40043,
    kCmdNewDirectory = 40044,
    kCmdRename = 40045,
    kCmdDelete = 40046,
    kCmdHelpIndex = 40049,
    kCmdOptions = 40050,
    kCmdCopy = 40051,
    kCmdSelectDirectory = 40052,
    kCmdPcToTi = 40053,
    kCmdRecentFirst = 40054,
    kCmdRecentLast = 40058,
    kCmdCharset = 40059,
    kCmdMyart256 = 40060,
    kCmdMyart512 = 40061,
    kCmdReread = 40063,
    kCmdSwap = 40064,
    kCmdMountCf7 = 40065,
    kCmdAttributes = 40066,
    kCmdInspect = 40067,
    kCmdExtractAll = 40068,
    kCmdArcToDsk = 40069,
    kCmdPackArchive = 40090,
    kCmdViewInOtherPane = 40071,
    kCmdForth = 40080,
    kCmdNewHdImage = 40081,
    kCmdTextToBasic = 40084,
    kCmdCheckDisk = 40091,
    kCmdHfeToDsk = 40112,
    kCmdDskToHfe = 40113,
};

enum ToolbarId : int {
    kTbReread = 1007,
    kTbSwap = 1008,
    kTbInfo = 1009,
    kTbContents = 1010,
    kTbExtract = 1011,
    kTbConvert = 1012,
    kTbRoot = 1013,
    kTbUpper = 1014,
};

enum class ActionKind {
    None,               // nothing happens
    Key,                // the key code goes through the key interpreter
    ChooseLocation,     // "Select another directory"
    OpenRecent,         // recent location number (1 to 5)
    GotoRoot,           // back to the pane's start location
    GotoUpperDirectory, // Enter on a leading ".." entry
    Operation,          // a PaneOperation for the host
    Exit,               // the main window closes
};

struct CommandAction {
    ActionKind kind = ActionKind::None;
    int value = 0; // Key: the key code; OpenRecent: the number
    PaneOperation operation = PaneOperation::Information;
};

struct MenuCommand {
    int id;
    const char *text;     // exactly as the menu shows it, mnemonic included
    const char *shortcut; // shown right-aligned after the text, "" for none
    CommandAction action;
};

// Every menu command, in the order of the command table.
const std::vector<MenuCommand> &MenuCommands();
// Null for an id that is not a menu command.
const MenuCommand *FindMenuCommand(int id);

struct ToolbarButton {
    int image;     // index into the toolbar images, -1 for a separator
    int id;        // command id, 0 for a separator
    int tooltipId; // the string resource number the tooltip text had
    const char *tooltip;
    CommandAction action;
};

// The toolbar from left to right, separators included.
const std::vector<ToolbarButton> &ToolbarButtons();
// The tooltip of a button found by its command id; "Que?" for any other id.
std::string ToolbarTooltip(int id);

// What a menu item or toolbar button does; ActionKind::None for any other id.
CommandAction CommandActionOf(int id);

// Carries out an action for the active pane: keys through the interpreter,
// the navigation steps in the shell, operations through host. Exit and None
// do nothing here (closing is the window's business). Ignored while the
// shell is listing a location.
void RunCommandAction(Shell &shell, ShellHost &host, const CommandAction &action);

// One menu of the menu bar: its title and item ids in order, 0 standing for
// a separator.
struct MenuBarMenu {
    const char *title;
    std::vector<int> items;
};

// The menu bar. Every menu command is in it except 40071, which only the
// pop-up menus offer.
const std::vector<MenuBarMenu> &MenuBarLayout();

// "&" + digit + space + the stored location.
std::string RecentItemText(int number, const std::string &location);

} // namespace kestrel
