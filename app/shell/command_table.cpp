#include "app/shell/command_table.h"

#include "app/shell/key_codes.h"
#include "app/shell/shell.h"

namespace kestrel
{

namespace
{

constexpr CommandAction Key(int code)
{
    return {ActionKind::Key, code, PaneOperation::Information};
}

constexpr CommandAction Op(PaneOperation operation)
{
    return {ActionKind::Operation, 0, operation};
}

constexpr CommandAction Do(ActionKind kind, int value = 0)
{
    return {kind, value, PaneOperation::Information};
}

} // namespace

// The texts are those a desktop user of this system reads: "…" after every
// item that asks something in a dialog, shortcut texts in the platform's
// terms and each shortcut on one item only.
const std::vector<MenuCommand> &MenuCommands()
{
    static const std::vector<MenuCommand> table = {
        {kCmdSelectDirectory, "Select another directory…", "", Do(ActionKind::ChooseLocation)},
        {40054, "&1", "", Do(ActionKind::OpenRecent, 1)},
        {40055, "&2", "", Do(ActionKind::OpenRecent, 2)},
        {40056, "&3", "", Do(ActionKind::OpenRecent, 3)},
        {40057, "&4", "", Do(ActionKind::OpenRecent, 4)},
        {40058, "&5", "", Do(ActionKind::OpenRecent, 5)},
        {kCmdReread, "Reread directory", "Ctrl+R", Key(kKeyCtrl | kKeyR)},
        {kCmdSwap, "Swap file list windows", "Ctrl+U", Key(kKeyCtrl | kKeyU)},
        {kCmdReadCf7List, "Read CF7A+ Volume list", "", Op(PaneOperation::ReadCf7VolumeList)},
        {kCmdInitializeCf7, "Initialize CF7A+ Volume…", "", Op(PaneOperation::InitializeCf7Volume)},
        {kCmdMountCf7, "Mount CF7A+ Volumes…", "", Op(PaneOperation::MountCf7Volumes)},
        {kCmdNewDskImage, "Create new DSK image…", "", Op(PaneOperation::CreateDskImage)},
        {kCmdNewHdImage, "Create new IDE or SCS image…", "", Op(PaneOperation::CreateHdImage)},
        {kCmdInformation, "View TI file, .DSK or .IMG info…", "F2", Key(kKeyF2)},
        {kCmdViewDirectory, "&View directory, archive, .DSK, .IMG or .CF7", "Enter",
         Key(kKeyEnter)},
        {kCmdViewInOtherPane, "View directory, .DSK, .IMG or .CF7 (in opposite window)",
         "Ctrl+Enter", Key(kKeyCtrl | kKeyEnter)},
        {kCmdViewFile, "&View file", "F3", Key(kKeyF3)},
        {kCmdForth, "View Forth blocks", "Shift+F3", Key(kKeyShift | kKeyF3)},
        {kCmdViewHex, "View file &hexadecimal", "F4", Key(kKeyF4)},
        {kCmdMyart256, "View Myart 256x212 picture", "F8", Key(kKeyF8)},
        {kCmdMyart512, "View Myart 512x212 picture", "Shift+F8", Key(kKeyShift | kKeyF8)},
        {kCmdViewPicture, "View Ti Artist or GIF picture", "F9", Key(kKeyF9)},
        {kCmdCharset, "View characterset", "Shift+F9", Key(kKeyShift | kKeyF9)},
        {kCmdDirectoryReport, "&Feed filelist to edit window", "",
         Op(PaneOperation::DirectoryReport)},
        {kCmdExit, "E&xit", "", Do(ActionKind::Exit)},
        {kCmdTiToPc, "Convert TI file to PC file…", "Ctrl+F6", Op(PaneOperation::ConvertTiToPc)},
        {kCmdPcToTi, "Convert PC file to TI file…", "", Op(PaneOperation::ConvertPcToTi)},
        {kCmdTextToBasic, "Convert PC file to TI (Extended) Basic file…", "",
         Op(PaneOperation::ConvertTextToBasic)},
        {kCmdToV9t9, "Convert TIFILES file to V9T9 file…", "", Op(PaneOperation::ToV9t9)},
        {kCmdToTifiles, "Convert V9T9 file to TIFILES file…", "", Op(PaneOperation::ToTifiles)},
        {kCmdPc99ToDsk, "Convert PC99 DSK-image to V9T9 DSK-image…", "",
         Op(PaneOperation::Pc99ToDsk)},
        {kCmdPc99Layout, "Show PC99 DSK-image track and sector layout", "",
         Op(PaneOperation::Pc99Layout)},
        {kCmdHfeToDsk, "Convert HFE image to V9T9 DSK-image…", "", Op(PaneOperation::HfeToDsk)},
        {kCmdDskToHfe, "Convert V9T9 DSK-image to HFE image…", "", Op(PaneOperation::DskToHfe)},
        {kCmdExtractAll, "Extract all files from ARC-file or DSK-image…", "",
         Op(PaneOperation::ExtractAll)},
        {kCmdArcToDsk, "Convert ARC-file to V9T9 DSK-image…", "", Op(PaneOperation::ArcToDsk)},
        {kCmdPackArchive, "Pack to archive…", "", Op(PaneOperation::PackArchive)},
        {kCmdInspect, "Show image VIB, DDR, FDIR or FDR", "", Op(PaneOperation::InspectStructure)},
        {kCmdCheckDisk, "Check disk…", "", Op(PaneOperation::CheckDisk)},
        {kCmdBackup, "Backup TI formatted SCS / IDE / WDS or CF7A+ disk image…", "",
         Op(PaneOperation::BackupDisk)},
        {kCmdRestore, "Restore TI formatted SCS / IDE / WDS or CF7A+ disk image…", "",
         Op(PaneOperation::RestoreDisk)},
        {kCmdMark, "Mark TI file", "Num+", Key(kKeyGrayPlus)},
        {kCmdUnmark, "UnMark TI file", "Num-", Key(kKeyGrayMinus)},
        {kCmdMarkAll, "Mark all TI files", "Ctrl+Num+", Key(kKeyCtrl | kKeyGrayPlus)},
        {kCmdUnmarkAll, "UnMark all TI files", "Ctrl+Num-, Ctrl+Ins",
         Key(kKeyCtrl | kKeyGrayMinus)},
        {kCmdCopy, "Copy file(s)…", "F5", Key(kKeyF5)},
        {kCmdRename, "Rename file or directory…", "F6", Key(kKeyF6)},
        {kCmdNewDirectory, "Create new directory…", "F7", Key(kKeyF7)},
        {kCmdDelete, "Delete file or directory…", "Del", Key(kKeyDelete)},
        {kCmdAttributes, "Set file attributes…", "", Op(PaneOperation::SetAttributes)},
        {kCmdOptions, "Options…", "", Op(PaneOperation::Options)},
        {kCmdHelpIndex, "&Index", "F1", Op(PaneOperation::HelpIndex)},
        {kCmdAbout, "&About", "", Op(PaneOperation::About)},
    };
    return table;
}

const MenuCommand *FindMenuCommand(int id)
{
    for (const MenuCommand &command : MenuCommands())
        if (command.id == id)
            return &command;
    return nullptr;
}

const std::vector<ToolbarButton> &ToolbarButtons()
{
    static const std::vector<ToolbarButton> buttons = {
        {0, kTbInfo, 4, "View file, DSK or IMG info", Key(kKeyF2)},
        {1, kTbContents, 5, "View file, DSK or IMG contents", Key(kKeyF3)},
        // Extraction of single files has no command behind it; the button
        // stays, as inert as it always was.
        {2, kTbExtract, 6, "Extract file from DSK or IMG", Do(ActionKind::None)},
        {3, kTbConvert, 7, "Convert TI-file to PC text file", Op(PaneOperation::ConvertTiToPc)},
        {-1, 0, 0, "", Do(ActionKind::None)},
        {-1, 0, 0, "", Do(ActionKind::None)},
        {-1, 0, 0, "", Do(ActionKind::None)},
        {4, kTbReread, 10, "Reread directory", Key(kKeyCtrl | kKeyR)},
        {5, kTbSwap, 11, "Swap file list windows", Key(kKeyCtrl | kKeyU)},
        {6, kTbRoot, 8, "Goto root", Do(ActionKind::GotoRoot)},
        {7, kTbUpper, 9, "Goto upper directory", Do(ActionKind::GotoUpperDirectory)},
    };
    return buttons;
}

std::string ToolbarTooltip(int id)
{
    for (const ToolbarButton &button : ToolbarButtons())
        if (button.id != 0 && button.id == id)
            return button.tooltip;
    return "Que?";
}

CommandAction CommandActionOf(int id)
{
    if (const MenuCommand *command = FindMenuCommand(id))
        return command->action;
    for (const ToolbarButton &button : ToolbarButtons())
        if (button.id != 0 && button.id == id)
            return button.action;
    return {};
}

void RunCommandAction(Shell &shell, ShellHost &host, const CommandAction &action)
{
    if (shell.Busy())
        return;
    const int side = shell.ActiveSide();
    switch (action.kind) {
    case ActionKind::Key:
        shell.Key(action.value);
        break;
    case ActionKind::ChooseLocation:
        shell.ChooseLocation(side);
        break;
    case ActionKind::OpenRecent:
        shell.OpenRecent(side, action.value);
        break;
    case ActionKind::GotoRoot:
        shell.GotoRoot(side);
        break;
    case ActionKind::GotoUpperDirectory:
        shell.GotoUpperDirectory(side);
        break;
    case ActionKind::Operation:
        host.RunOperation(side, action.operation);
        break;
    case ActionKind::None:
    case ActionKind::Exit:
        break;
    }
}

const std::vector<MenuBarMenu> &MenuBarLayout()
{
    static const std::vector<MenuBarMenu> menus = {
        {"&File",
         {kCmdSelectDirectory, 40054, 40055, 40056, 40057, 40058, 0, kCmdReread, kCmdSwap, 0,
          kCmdDirectoryReport, 0, kCmdExit}},
        {"&View",
         {kCmdInformation, kCmdViewDirectory, kCmdViewFile, kCmdForth, kCmdViewHex, 0, kCmdMyart256,
          kCmdMyart512, kCmdViewPicture, kCmdCharset}},
        {"&Convert",
         {kCmdTiToPc, kCmdPcToTi, kCmdTextToBasic, 0, kCmdToV9t9, kCmdToTifiles, 0, kCmdPc99ToDsk,
          kCmdPc99Layout, kCmdHfeToDsk, kCmdDskToHfe, 0, kCmdExtractAll, kCmdArcToDsk,
          kCmdPackArchive}},
        {"&Disk",
         {kCmdReadCf7List, kCmdInitializeCf7, kCmdMountCf7, 0, kCmdNewDskImage, kCmdNewHdImage, 0,
          kCmdInspect, kCmdCheckDisk, 0, kCmdBackup, kCmdRestore}},
        {"&Mark", {kCmdMark, kCmdUnmark, kCmdMarkAll, kCmdUnmarkAll}},
        {"&Operations", {kCmdCopy, kCmdRename, kCmdNewDirectory, kCmdDelete, 0, kCmdAttributes}},
        {"&Setup", {kCmdOptions}},
        {"&Help", {kCmdHelpIndex, 0, kCmdAbout}},
    };
    return menus;
}

std::string RecentItemText(int number, const std::string &location)
{
    return "&" + std::to_string(number) + " " + location;
}

} // namespace kestrel
