#include <algorithm>
#include <set>

#include "app/shell/command_table.h"
#include "app/shell/popup_menus.h"
#include "app/tests/shell/shell_fixture.h"

namespace kestrel::testing
{
namespace
{

struct Expected {
    int id;
    ActionKind kind;
    int value;
    PaneOperation operation;
};

constexpr PaneOperation kNoOp = PaneOperation::Information;

// What each id must do, written out independently of the table.
const Expected kExpected[] = {
    {40052, ActionKind::ChooseLocation, 0, kNoOp},
    {40054, ActionKind::OpenRecent, 1, kNoOp},
    {40056, ActionKind::OpenRecent, 3, kNoOp},
    {40058, ActionKind::OpenRecent, 5, kNoOp},
    {40063, ActionKind::Key, 0x8052, kNoOp},
    {40064, ActionKind::Key, 0x8055, kNoOp},
    {40042, ActionKind::Operation, 0, PaneOperation::ReadCf7VolumeList},
    {40043, ActionKind::Operation, 0, PaneOperation::InitializeCf7Volume},
    {40065, ActionKind::Operation, 0, PaneOperation::MountCf7Volumes},
    {40037, ActionKind::Operation, 0, PaneOperation::CreateDskImage},
    {40081, ActionKind::Operation, 0, PaneOperation::CreateHdImage},
    {40006, ActionKind::Key, 0x71, kNoOp},
    {40013, ActionKind::Key, 0x0D, kNoOp},
    {40071, ActionKind::Key, 0x800D, kNoOp},
    {40012, ActionKind::Key, 0x72, kNoOp},
    {40080, ActionKind::Key, 0x4072, kNoOp},
    {40004, ActionKind::Key, 0x73, kNoOp},
    {40060, ActionKind::Key, 0x77, kNoOp},
    {40061, ActionKind::Key, 0x4077, kNoOp},
    {40002, ActionKind::Key, 0x78, kNoOp},
    {40059, ActionKind::Key, 0x4078, kNoOp},
    {40015, ActionKind::Operation, 0, PaneOperation::DirectoryReport},
    {40017, ActionKind::Exit, 0, kNoOp},
    {40009, ActionKind::Operation, 0, PaneOperation::ConvertTiToPc},
    {40053, ActionKind::Operation, 0, PaneOperation::ConvertPcToTi},
    {40084, ActionKind::Operation, 0, PaneOperation::ConvertTextToBasic},
    {40010, ActionKind::Operation, 0, PaneOperation::ToV9t9},
    {40011, ActionKind::Operation, 0, PaneOperation::ToTifiles},
    {40008, ActionKind::Operation, 0, PaneOperation::Pc99ToDsk},
    {40016, ActionKind::Operation, 0, PaneOperation::Pc99Layout},
    {40068, ActionKind::Operation, 0, PaneOperation::ExtractAll},
    {40069, ActionKind::Operation, 0, PaneOperation::ArcToDsk},
    {40090, ActionKind::Operation, 0, PaneOperation::PackArchive},
    {40067, ActionKind::Operation, 0, PaneOperation::InspectStructure},
    {40034, ActionKind::Operation, 0, PaneOperation::BackupDisk},
    {40035, ActionKind::Operation, 0, PaneOperation::RestoreDisk},
    {40091, ActionKind::Operation, 0, PaneOperation::CheckDisk},
    {40038, ActionKind::Key, 0x6B, kNoOp},
    {40039, ActionKind::Key, 0x6D, kNoOp},
    {40040, ActionKind::Key, 0x806B, kNoOp},
    {40041, ActionKind::Key, 0x806D, kNoOp},
    {40051, ActionKind::Key, 0x74, kNoOp},
    {40045, ActionKind::Key, 0x75, kNoOp},
    {40044, ActionKind::Key, 0x76, kNoOp},
    {40046, ActionKind::Key, 0x2E, kNoOp},
    {40066, ActionKind::Operation, 0, PaneOperation::SetAttributes},
    {40050, ActionKind::Operation, 0, PaneOperation::Options},
    {40049, ActionKind::Operation, 0, PaneOperation::HelpIndex},
    {40001, ActionKind::Operation, 0, PaneOperation::About},
    // toolbar
    {1009, ActionKind::Key, 0x71, kNoOp},
    {1010, ActionKind::Key, 0x72, kNoOp},
    {1011, ActionKind::None, 0, kNoOp},
    {1012, ActionKind::Operation, 0, PaneOperation::ConvertTiToPc},
    {1007, ActionKind::Key, 0x8052, kNoOp},
    {1008, ActionKind::Key, 0x8055, kNoOp},
    {1013, ActionKind::GotoRoot, 0, kNoOp},
    {1014, ActionKind::GotoUpperDirectory, 0, kNoOp},
};

TEST(CommandTable, EveryIdCarriesItsActionAndOthersDoNothing)
{
    for (const Expected &e : kExpected) {
        SCOPED_TRACE(e.id);
        CommandAction a = CommandActionOf(e.id);
        EXPECT_EQ(a.kind, e.kind);
        if (e.kind == ActionKind::Key || e.kind == ActionKind::OpenRecent) {
            EXPECT_EQ(a.value, e.value);
        }
        if (e.kind == ActionKind::Operation) {
            EXPECT_EQ(a.operation, e.operation);
        }
    }
    // 49 menu commands of the original menus, each id once; commands added
    // since take ids from 40090 on.
    std::set<int> ids;
    for (const MenuCommand &c : MenuCommands()) {
        EXPECT_TRUE(ids.insert(c.id).second) << c.id;
        EXPECT_GE(c.id, 40001);
        EXPECT_TRUE(c.id <= 40084 || c.id >= 40090) << c.id;
    }
    EXPECT_EQ(std::count_if(ids.begin(), ids.end(), [](int id) { return id <= 40084; }), 49);
    EXPECT_EQ(CommandActionOf(kCmdHfeToDsk).operation, PaneOperation::HfeToDsk);
    EXPECT_EQ(CommandActionOf(kCmdDskToHfe).operation, PaneOperation::DskToHfe);
    for (int id : {0, 1000, 1006, 1015, 40000, 40003, 40014, 40062, 40070, 40085, 40018})
        EXPECT_EQ(CommandActionOf(id).kind, ActionKind::None) << id;
}

TEST(CommandTable, TextsShortcutsAndTooltipsAsTheUserSeesThem)
{
    auto text = [](int id) { return std::string(FindMenuCommand(id)->text); };
    auto shortcut = [](int id) { return std::string(FindMenuCommand(id)->shortcut); };
    EXPECT_EQ(text(40041), "UnMark all TI files");
    EXPECT_EQ(shortcut(40041), "Ctrl+Num-, Ctrl+Ins");
    EXPECT_EQ(shortcut(40038), "Num+");
    EXPECT_EQ(shortcut(40040), "Ctrl+Num+");
    EXPECT_EQ(text(40010), "Convert TIFILES file to V9T9 file…");
    // Ctrl+F7 does nothing in the panes; the header conversions have no key.
    EXPECT_EQ(shortcut(40010), "");
    EXPECT_EQ(shortcut(40011), "");
    EXPECT_EQ(text(40013), "&View directory, archive, .DSK, .IMG or .CF7");
    EXPECT_EQ(shortcut(40013), "Enter");
    EXPECT_EQ(shortcut(40012), "F3");
    EXPECT_EQ(shortcut(40063), "Ctrl+R");
    EXPECT_EQ(shortcut(40046), "Del");
    EXPECT_EQ(shortcut(40049), "F1");
    EXPECT_EQ(text(40052), "Select another directory…");
    EXPECT_EQ(shortcut(40052), "");
    EXPECT_EQ(text(40050), "Options…");
    EXPECT_EQ(text(40017), "E&xit");

    EXPECT_EQ(ToolbarTooltip(1013), "Goto root");
    EXPECT_EQ(ToolbarTooltip(1011), "Extract file from DSK or IMG");
    EXPECT_EQ(ToolbarTooltip(1007), "Reread directory");
    EXPECT_EQ(ToolbarTooltip(0), "Que?");
    EXPECT_EQ(ToolbarTooltip(40063), "Que?");
    // Eight buttons with images 0 to 7, three separators after the fourth.
    std::vector<int> images;
    for (const ToolbarButton &b : ToolbarButtons())
        images.push_back(b.image);
    EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3, -1, -1, -1, 4, 5, 6, 7}));

    EXPECT_EQ(RecentItemText(3, "/ti/games"), "&3 /ti/games");
}

TEST(CommandTable, MenuBarHoldsEveryCommandOnceButThePopupOnlyOne)
{
    std::multiset<int> inBar;
    for (const MenuBarMenu &menu : MenuBarLayout())
        for (int id : menu.items)
            if (id != 0)
                inBar.insert(id);
    for (const MenuCommand &c : MenuCommands())
        EXPECT_EQ(inBar.count(c.id), c.id == kCmdViewInOtherPane ? 0u : 1u) << c.id;
    EXPECT_EQ(inBar.size(), MenuCommands().size() - 1);
}

TEST_F(ShellTest, RereadFromTheMenuAndTheToolbarIsCtrlR)
{
    locations.AddFiles("/a", 3);
    Start("/a", "/a", 20);
    Left().cursor = 2;
    locations.tree["/a"].pop_back(); // a file vanished behind the pane's back
    int opens = locations.opens;
    RunCommandAction(shell, host, CommandActionOf(kCmdReread));
    EXPECT_EQ(locations.opens, opens + 1);
    EXPECT_EQ(Left().Count(), 2);
    EXPECT_EQ(Left().cursor, 1); // beyond the end: onto the last entry

    // The same steps by key and by the toolbar give the same pane.
    locations.AddFiles("/b", 3);
    Right().location.path = "/b";
    shell.SetActiveSide(1);
    shell.Key(kKeyCtrl | kKeyR);
    ASSERT_EQ(Right().Count(), 3);
    Right().cursor = 2;
    locations.tree["/b"].pop_back();
    shell.Key(kKeyCtrl | kKeyR);
    EXPECT_EQ(Right().Count(), 2);
    EXPECT_EQ(Right().cursor, 1);
    locations.tree["/b"].pop_back();
    RunCommandAction(shell, host, CommandActionOf(kTbReread));
    EXPECT_EQ(Right().Count(), 1);
}

TEST_F(ShellTest, CommandsReachKeysNavigationAndTheHost)
{
    locations.AddFiles("/a", 4);
    locations.AddFiles("/b", 2);
    Start("/a", "/a", 20);
    host.recent = {"/b"};

    RunCommandAction(shell, host, CommandActionOf(kCmdMarkAll));
    EXPECT_EQ(Marked(Left()).size(), 4u);
    RunCommandAction(shell, host, CommandActionOf(kCmdUnmark)); // cursor entry, then down
    EXPECT_EQ(Marked(Left()), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Left().cursor, 1);

    RunCommandAction(shell, host, CommandActionOf(kCmdAttributes));
    RunCommandAction(shell, host, CommandActionOf(kTbConvert));
    RunCommandAction(shell, host, CommandActionOf(kCmdExit));   // the window's business
    RunCommandAction(shell, host, CommandActionOf(kTbExtract)); // inert
    RunCommandAction(shell, host, CommandActionOf(40070));      // not a command
    EXPECT_EQ(host.operations, (std::vector<PaneOperation>{PaneOperation::SetAttributes,
                                                           PaneOperation::ConvertTiToPc}));

    RunCommandAction(shell, host, CommandActionOf(40054)); // recent 1
    EXPECT_EQ(Left().location.path, "/b");
    EXPECT_EQ(Left().Count(), 2);
    RunCommandAction(shell, host, CommandActionOf(40055)); // empty slot
    EXPECT_EQ(Left().location.path, "/b");

    // Into /b/F000 as if it were a folder; up again by the toolbar, twice.
    locations.tree["/b/F000"] = {{"..", kKindUpDir, 0}, {"X", kKindDisVar, 80}};
    Left().Entry(0)->ti.kind = kKindSubdir;
    shell.OpenEntry(0, 0);
    ASSERT_EQ(Left().location.path, "/b/F000");
    RunCommandAction(shell, host, CommandActionOf(kTbUpper));
    EXPECT_EQ(Left().location.path, "/b");
    RunCommandAction(shell, host, CommandActionOf(kTbUpper)); // no ".." here: nothing
    EXPECT_EQ(Left().location.path, "/b");
    Left().Entry(0)->ti.kind = kKindSubdir;
    shell.OpenEntry(0, 0);
    ASSERT_EQ(Left().location.path, "/b/F000");
    RunCommandAction(shell, host, CommandActionOf(kTbRoot));
    EXPECT_EQ(Left().location.path, "/b");
    EXPECT_EQ(Left().Count(), 2);

    shell.SetActiveSide(1);
    RunCommandAction(shell, host, CommandActionOf(kCmdDelete));
    EXPECT_EQ(host.operations.back(), PaneOperation::Delete);
}

TEST_F(ShellTest, PopupFollowsTheCursorEntryNotTheClickedRow)
{
    locations.tree["/a"] = {{"..", kKindUpDir, 0},     {"SUB", kKindSubdir, 0},
                            {"DISK", kKindDsk, 0},     {"CARD", kKindCf7ImageVolume, 0},
                            {"PROG", kKindProgram, 0}, {"PCFILE", kKindDos, 0},
                            {"ODD", kKindUnknown, 0}};
    Start("/a", "/a", 3, 5); // scan order, three rows
    Pane &p = Left();
    UpdateDrawnRange(p);
    auto at = [&](int cursor) {
        p.cursor = cursor;
        return ChoosePopupMenu(p, PopupPlace::ActiveList);
    };
    EXPECT_EQ(at(0), PopupMenu::Dir);
    EXPECT_EQ(at(1), PopupMenu::Dir);
    EXPECT_EQ(at(2), PopupMenu::Dsks);
    // Rows 3 onwards are not drawn: no menu, whatever their kind.
    EXPECT_EQ(at(3), PopupMenu::None);
    p.top = 3;
    UpdateDrawnRange(p);
    EXPECT_EQ(at(3), PopupMenu::Dsks);
    EXPECT_EQ(at(4), PopupMenu::TiFiles);
    EXPECT_EQ(at(5), PopupMenu::TiFiles);
    EXPECT_EQ(at(1), PopupMenu::None);
    EXPECT_EQ(ChoosePopupMenu(p, PopupPlace::ActivePathLine), PopupMenu::LRWindow);
    EXPECT_EQ(ChoosePopupMenu(p, PopupPlace::Elsewhere), PopupMenu::None);
    p.top = 6;
    UpdateDrawnRange(p);
    EXPECT_EQ(at(6), PopupMenu::TiFiles); // kind 8

    Pane empty;
    EXPECT_EQ(ChoosePopupMenu(empty, PopupPlace::ActiveList), PopupMenu::None);
    EXPECT_EQ(ChoosePopupMenu(empty, PopupPlace::ActivePathLine), PopupMenu::LRWindow);
}

TEST(CommandTable, NoShortcutTextOnTwoItemsAndDialogsEndInAnEllipsis)
{
    std::multiset<std::string> shortcuts;
    for (const MenuCommand &c : MenuCommands())
        if (c.shortcut[0] != '\0')
            shortcuts.insert(c.shortcut);
    for (const std::string &s : shortcuts)
        EXPECT_EQ(shortcuts.count(s), 1u) << s;
    // The commands that ask in a dialog before they act.
    for (int id : {40052, 40043, 40065, 40037, 40081, 40006, 40009, 40053, 40084, 40010, 40011,
                   40008, 40068, 40069, 40034, 40035, 40051, 40045, 40044, 40046, 40066, 40050}) {
        const std::string text = FindMenuCommand(id)->text;
        EXPECT_EQ(text.substr(text.size() - 3), "…") << id;
    }
    // Those that show their result at once have none.
    for (int id : {40063, 40064, 40012, 40004, 40015, 40016, 40038, 40017}) {
        const std::string text = FindMenuCommand(id)->text;
        EXPECT_EQ(text.find("…"), std::string::npos) << id;
    }
    // No text keeps trailing blanks.
    for (const MenuCommand &c : MenuCommands())
        EXPECT_NE(std::string(c.text).back(), ' ') << c.id;
}

TEST(PopupMenus, ItemsInTheirOrder)
{
    auto ids = [](PopupMenu m) {
        std::vector<int> out;
        for (const PopupItem &i : PopupMenuItems(m))
            out.push_back(i.id);
        return out;
    };
    EXPECT_EQ(ids(PopupMenu::LRWindow),
              (std::vector<int>{40052, 40054, 40055, 40056, 40057, 40058, 40042, 40015}));
    EXPECT_EQ(ids(PopupMenu::Dir), (std::vector<int>{40013, 40071}));
    EXPECT_EQ(ids(PopupMenu::Dsks),
              (std::vector<int>{40051, 40006, 40013, 40071, 40068, 40043, 40065}));
    EXPECT_EQ(ids(PopupMenu::TiFiles),
              (std::vector<int>{40051, 40045, 40044, 40046, 40066, 40006, 40012, 40080, 40004,
                                40060, 40061, 40002, 40059}));
    EXPECT_TRUE(ids(PopupMenu::None).empty());
    EXPECT_EQ(PopupMenuItems(PopupMenu::Dir)[1].text, "View directory (in opposite window)");
    EXPECT_EQ(PopupMenuItems(PopupMenu::TiFiles)[4].text, "Set file attributes…");
    EXPECT_EQ(PopupMenuItems(PopupMenu::TiFiles)[0].text, "Copy file(s)…\tF5");
    EXPECT_EQ(PopupMenuItems(PopupMenu::LRWindow)[1].text, "&1");
    EXPECT_STREQ(PopupMenuName(PopupMenu::Dsks), "Popup2-DSKS");
    EXPECT_STREQ(PopupMenuName(PopupMenu::Dir), "Popup3-DIR");
}

} // namespace
} // namespace kestrel::testing
