#include "app/tests/shell/shell_fixture.h"

namespace kestrel::testing
{
namespace
{

TEST_F(ShellTest, PageDownOnShortListKeepsTopAndTakesLastEntry)
{
    locations.AddFiles("/a", 5);
    Start("/a", "/a", 20);
    shell.Key(kKeyPageDown);
    EXPECT_EQ(Left().top, 0);
    EXPECT_EQ(Left().cursor, 4);
}

TEST_F(ShellTest, PagingHomeAndEndOnLongList)
{
    locations.AddFiles("/a", 100);
    Start("/a", "/a", 10);
    shell.Key(kKeyPageDown);
    EXPECT_EQ(Left().top, 10);
    EXPECT_EQ(Left().cursor, 19);
    shell.Key(kKeyPageUp);
    EXPECT_EQ(Left().top, 0);
    EXPECT_EQ(Left().cursor, 0);
    shell.Key(kKeyEnd);
    EXPECT_EQ(Left().cursor, 99);
    EXPECT_EQ(Left().top, 90);
    shell.Key(kKeyPageDown); // already at max top
    EXPECT_EQ(Left().top, 90);
    EXPECT_EQ(Left().cursor, 99);
    shell.Key(kKeyHome);
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_EQ(Left().top, 0);
    shell.Key(kKeyPageUp); // never below 0
    EXPECT_EQ(Left().top, 0);
}

TEST_F(ShellTest, DownScrollsOnlyPastTheLastDrawnRowAndUpAboveTheFirst)
{
    locations.AddFiles("/a", 30);
    Start("/a", "/a", 10);
    for (int i = 0; i < 9; ++i)
        shell.Key(kKeyDown);
    EXPECT_EQ(Left().cursor, 9);
    EXPECT_EQ(Left().top, 0);
    shell.Key(kKeyDown);
    EXPECT_EQ(Left().cursor, 10);
    EXPECT_EQ(Left().top, 1);
    shell.Key(kKeyEnd);
    shell.Key(kKeyDown); // the last entry stays the cursor
    EXPECT_EQ(Left().cursor, 29);
    EXPECT_EQ(Left().top, 20);
    // Scrolled away with the scroll bar, Up brings the list back to the cursor.
    shell.Scroll(0, ScrollAction::ThumbTrack, 0);
    EXPECT_EQ(Left().cursor, 29);
    shell.Key(kKeyUp);
    EXPECT_EQ(Left().cursor, 28);
    EXPECT_EQ(Left().top, 19);
    shell.Key(kKeyHome);
    shell.Key(kKeyUp);
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_EQ(Left().top, 0);
}

TEST_F(ShellTest, MarkingKeysWithAndWithoutCtrl)
{
    locations.tree["/a"] = {{"..", kKindUpDir, 0},
                            {"SUB", kKindSubdir, 0},
                            {"A", kKindDisVar, 80},
                            {"B", kKindProgram, 0},
                            {"C", kKindDos, 0}};
    Start("/a", "/a", 10, 5);
    // Ctrl+Gray + marks every markable entry, not ".." or a subdirectory.
    shell.Key(kKeyCtrl | kKeyGrayPlus);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{2, 3, 4}));
    EXPECT_EQ(Left().cursor, 0);
    // Ctrl+Insert behaves as Ctrl+Gray -.
    shell.Key(kKeyCtrl | kKeyInsert);
    EXPECT_TRUE(Marked(Left()).empty());
    shell.Key(kKeyCtrl | kKeyGrayPlus);
    shell.Key(kKeyCtrl | kKeyGrayMinus);
    EXPECT_TRUE(Marked(Left()).empty());

    // Without Ctrl: the cursor entry, then the cursor moves down.
    shell.Key(kKeyInsert); // ".." is not markable, the cursor still moves
    EXPECT_TRUE(Marked(Left()).empty());
    EXPECT_EQ(Left().cursor, 1);
    shell.Key(kKeyDown);
    shell.Key(kKeyInsert);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{2}));
    EXPECT_EQ(Left().cursor, 3);
    shell.Key(kKeyUp);
    shell.Key(kKeyInsert); // toggles back
    EXPECT_TRUE(Marked(Left()).empty());
    shell.Key(kKeyGrayPlus);
    shell.Key(kKeyGrayPlus); // marking twice keeps it marked
    EXPECT_EQ(Marked(Left()), (std::vector<int>{3, 4}));
    shell.Key(kKeyUp);
    shell.Key(kKeyGrayMinus);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{4}));
}

TEST_F(ShellTest, ShiftDownOnMarkedEntryUnmarksAndMoves)
{
    locations.AddFiles("/a", 5);
    Start("/a", "/a", 10);
    shell.Key(kKeyShift | kKeyDown);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{0}));
    shell.Key(kKeyShift | kKeyUp); // marks 1, back to 0
    EXPECT_EQ(Marked(Left()), (std::vector<int>{0, 1}));
    EXPECT_EQ(Left().cursor, 0);
    shell.Key(kKeyShift | kKeyDown);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{1}));
    EXPECT_EQ(Left().cursor, 1);
    // Shift only counts without Ctrl.
    shell.Key(kKeyCtrl | kKeyShift | kKeyDown);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{1}));
    EXPECT_EQ(Left().cursor, 2);
}

TEST_F(ShellTest, TabSwitchesPanesAndUSwapsContentsAndColumns)
{
    locations.AddFiles("/a", 3);
    locations.AddFiles("/b", 8);
    Start("/a", "/b", 10);
    EXPECT_EQ(shell.ActiveSide(), 0);
    shell.Key(kKeyTab);
    EXPECT_EQ(shell.ActiveSide(), 1);
    shell.Key(kKeyTab);
    EXPECT_EQ(shell.ActiveSide(), 0);

    Right().columns[0].width = 40;
    Left().cursor = 2;
    Right().cursor = 7;
    shell.Key(kKeyU);
    EXPECT_EQ(shell.ActiveSide(), 0);
    EXPECT_EQ(Left().location.path, "/b");
    EXPECT_EQ(Left().Count(), 8);
    EXPECT_EQ(Left().columns[0].width, 40);
    EXPECT_EQ(Left().cursor, 7);
    EXPECT_EQ(Right().location.path, "/a");
    EXPECT_EQ(host.columnUpdates, 4); // two at start, two at the swap
    // Ctrl+U swaps back; a cursor past the end of the active list goes to 0.
    Right().cursor = 2;
    Left().cursor = 7;
    Right().location.entries.resize(1);
    shell.Key(kKeyCtrl | kKeyU);
    EXPECT_EQ(Left().location.path, "/a");
    EXPECT_EQ(Left().cursor, 0);
}

TEST_F(ShellTest, EmptyOrFailedPaneIgnoresEverythingButTabAndF7)
{
    locations.tree["/empty"] = {};
    Start("/missing", "/empty", 10);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Can't read file or directory </missing>", 0), 0u);
    for (int side = 0; side < 2; ++side) {
        shell.SetActiveSide(side);
        int opens = locations.opens;
        for (int key : {kKeyEnter, kKeyCtrl | kKeyEnter, kKeyF3, kKeyF4, kKeyF2, kKeyF5, kKeyDelete,
                        kKeyCtrl | kKeyR, kKeyU, kKeyGrayPlus, kKeyF8, kKeyF9})
            shell.Key(key);
        EXPECT_EQ(locations.opens, opens);
        EXPECT_TRUE(host.views.empty());
        EXPECT_TRUE(host.operations.empty());
        EXPECT_EQ(host.beeps, 0);
        EXPECT_EQ(Left().location.path, "/missing"); // no swap happened
        shell.Key(kKeyF7);
        ASSERT_EQ(host.operations.size(), 1u);
        EXPECT_EQ(host.operations[0], PaneOperation::NewDirectory);
        host.operations.clear();
        shell.Key(kKeyShift | kKeyF7); // with Shift: nothing
        shell.Key(kKeyCtrl | kKeyF7);
        EXPECT_TRUE(host.operations.empty());
        int before = shell.ActiveSide();
        shell.Key(kKeyTab);
        EXPECT_NE(shell.ActiveSide(), before);
    }
}

TEST_F(ShellTest, ViewAndPictureKeysByEntryKind)
{
    locations.tree["/a"] = {{"SUB", kKindSubdir, 0},     {"DV80", kKindDisVar, 80},
                            {"DF128", kKindDisFix, 128}, {"PROG", kKindProgram, 0},
                            {"IMG", kKindDsk, 0},        {"IF20", kKindIntFix, 20}};
    locations.tree["/a/SUB"] = {};
    Start("/a", "/a", 10, 5);
    auto at = [&](int index) { Left().cursor = index; };

    at(1);
    shell.Key(kKeyF3);
    shell.Key(kKeyShift | kKeyF3); // Forth view only for DIS/FIX 128
    shell.Key(kKeyF4);
    at(2);
    shell.Key(kKeyShift | kKeyF3);
    shell.Key(kKeyF8);
    shell.Key(kKeyShift | kKeyF8);
    shell.Key(kKeyF9); // DIS/FIX 128: the external GIF viewer
    at(3);
    shell.Key(kKeyF9);
    shell.Key(kKeyShift | kKeyF9);
    ASSERT_EQ(host.views.size(), 8u);
    EXPECT_EQ(host.views[0].mode, kModeText);
    EXPECT_EQ(host.views[1].mode, kModeText);
    EXPECT_EQ(host.views[2].mode, kModeHex);
    EXPECT_EQ(host.views[3].mode, kModeForth);
    EXPECT_EQ(host.views[4].mode, kModeMyart256);
    EXPECT_EQ(host.views[5].mode, kModeMyart512);
    EXPECT_EQ(host.views[6].mode, kModeTiArtist);
    EXPECT_EQ(host.views[7].mode, kModeCharset);
    ASSERT_EQ(host.operations.size(), 1u);
    EXPECT_EQ(host.operations[0], PaneOperation::ShowGifExternal);

    EXPECT_EQ(host.beeps, 0);
    at(4);
    shell.Key(kKeyF4); // a floppy image has no hex view
    at(5);
    shell.Key(kKeyF8);
    shell.Key(kKeyF9);
    shell.Key(kKeyShift | kKeyF9);
    EXPECT_EQ(host.beeps, 4);
    EXPECT_EQ(host.views.size(), 8u);

    // F3 on a subdirectory opens it like Enter.
    at(0);
    shell.Key(kKeyF3);
    EXPECT_EQ(Left().location.path, "/a/SUB");
}

TEST_F(ShellTest, OperationKeysReachTheHost)
{
    locations.AddFiles("/a", 2);
    Start("/a", "/a", 10);
    shell.Key(kKeyF2);
    shell.Key(kKeyF5);
    shell.Key(kKeyF6);
    shell.Key(kKeyCtrl | kKeyF6);
    shell.Key(kKeyDelete);
    EXPECT_EQ(host.operations,
              (std::vector<PaneOperation>{PaneOperation::Information, PaneOperation::Copy,
                                          PaneOperation::Rename, PaneOperation::ConvertTiToPc,
                                          PaneOperation::Delete}));
    // Plain R only redraws; Ctrl+R lists again.
    int opens = locations.opens;
    shell.Key(kKeyR);
    EXPECT_EQ(locations.opens, opens);
    locations.AddFiles("/a", 1);
    Left().cursor = 1;
    shell.Key(kKeyCtrl | kKeyR);
    EXPECT_EQ(Left().Count(), 3);
    // Backspace does nothing.
    shell.Key(kKeyBackspace);
    EXPECT_EQ(Left().location.path, "/a");
}

} // namespace
} // namespace kestrel::testing
