#include "app/shell/cursor_history.h"
#include "app/tests/shell/shell_fixture.h"

namespace kestrel::testing
{
namespace
{

TEST(CursorHistory, PushPopAndDrop)
{
    Pane p;
    for (int i = 0; i < 30; ++i)
        AddEntry(p.location.entries);
    p.rowsPerPage = 10;
    p.cursor = 12;
    EXPECT_EQ(PushCursor(p), 0);
    EXPECT_EQ(p.history.depth, 1);
    EXPECT_EQ(p.cursor, 0);
    p.cursor = 25;
    PushCursor(p);
    EXPECT_EQ(p.history.depth, 2);
    DropCursor(p);
    EXPECT_EQ(p.history.depth, 1);
    // Back up: the list scrolls so that entry 12 is shown, and it is the cursor.
    EXPECT_EQ(PopCursor(p), 12);
    EXPECT_EQ(p.cursor, 12);
    EXPECT_EQ(p.top, 12);
    EXPECT_EQ(p.history.depth, 0);
    // An empty history puts the cursor on the first drawn row.
    EXPECT_EQ(PopCursor(p), 12);
    DropCursor(p);
    EXPECT_EQ(p.history.depth, 0);

    // Near the end the top stops at count - rows per page.
    p.top = 0;
    UpdateDrawnRange(p);
    p.cursor = 28;
    PushCursor(p);
    EXPECT_EQ(PopCursor(p), 28);
    EXPECT_EQ(p.top, 20);

    // A saved index beyond a shorter list goes to the first drawn row.
    p.cursor = 29;
    PushCursor(p);
    p.location.entries.resize(5);
    p.top = 0;
    UpdateDrawnRange(p);
    EXPECT_EQ(PopCursor(p), 0);
    // An empty list keeps the cursor and answers -1.
    PushCursor(p);
    p.location.entries.clear();
    p.cursor = 3;
    EXPECT_EQ(PopCursor(p), -1);
    EXPECT_EQ(p.cursor, 3);
}

TEST(CursorHistory, ElevenNestedLevelsRecordTen)
{
    Pane p;
    for (int i = 0; i < 20; ++i)
        AddEntry(p.location.entries);
    p.rowsPerPage = 30;
    for (int level = 0; level < 11; ++level) {
        p.cursor = level + 1;
        PushCursor(p);
    }
    EXPECT_EQ(p.history.depth, 10);
    EXPECT_EQ(p.history.indices[9], 10); // the eleventh position (11) was not kept
    EXPECT_EQ(PopCursor(p), 10);
}

TEST(CursorHistory, PixelRowPlacesCursor)
{
    Pane p;
    for (int i = 0; i < 30; ++i)
        AddEntry(p.location.entries);
    p.rowsPerPage = 10;
    p.top = 5;
    UpdateDrawnRange(p);
    EXPECT_EQ(PlaceCursorAtPixel(p, 25, 10), 7);
    EXPECT_EQ(p.cursor, 7);
    p.top = 25;
    UpdateDrawnRange(p);
    EXPECT_EQ(PlaceCursorAtPixel(p, 95, 10), -1); // row 34 is past the end
    EXPECT_EQ(p.cursor, 7);
}

TEST_F(ShellTest, EnteringAnImageFromEntry12AndGoingUpRestoresTheCursor)
{
    locations.AddFiles("/a", 20);
    locations.tree["/a"][12] = {"GAMES", kKindDsk, 0};
    locations.AddFiles("/a/GAMES", 3, true);
    Start("/a", "/a", 10, 5);
    for (int i = 0; i < 12; ++i)
        shell.Key(kKeyDown);
    ASSERT_EQ(Left().cursor, 12);
    ASSERT_EQ(Left().top, 3);
    shell.Key(kKeyEnter);
    EXPECT_EQ(Left().location.path, "/a/GAMES");
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_EQ(Left().top, 0);
    EXPECT_EQ(Left().history.depth, 1);
    EXPECT_GT(host.waits, 0);
    shell.GotoUpperDirectory(0); // the first entry is ".."
    EXPECT_EQ(Left().location.path, "/a");
    EXPECT_EQ(Left().cursor, 12);
    EXPECT_EQ(Left().top, 10);
    EXPECT_EQ(Left().history.depth, 0);
    // Without a ".." first, Goto upper directory does nothing.
    shell.GotoUpperDirectory(0);
    EXPECT_EQ(Left().location.path, "/a");
}

TEST_F(ShellTest, EnterOnAPlainFileChangesNothing)
{
    locations.AddFiles("/a", 30);
    Start("/a", "/a", 10);
    shell.Key(kKeyEnd);
    int opens = locations.opens;
    shell.Key(kKeyEnter);
    EXPECT_EQ(locations.opens, opens);
    EXPECT_EQ(Left().top, 20); // the view stays where the cursor is
    EXPECT_EQ(Left().cursor, 29);
    // A subdirectory that cannot be listed: one message, the view stays.
    locations.tree["/a"].back() = {"GONE", kKindSubdir, 0};
    Left().Entry(29)->ti.kind = kKindSubdir;
    Left().Entry(29)->pcName = "GONE";
    shell.Key(kKeyEnter);
    EXPECT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(Left().location.path, "/a");
    EXPECT_EQ(Left().top, 20);
    EXPECT_EQ(Left().history.depth, 0);
}

TEST_F(ShellTest, UninitializedCardVolumeIsNotEntered)
{
    locations.tree["/card"] = {{"VOL1", kKindCf7ImageVolume, 0}};
    Start("/card", "/card", 10);
    shell.Key(kKeyEnter);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "DSK is not initialized");
    EXPECT_EQ(Left().location.path, "/card");
}

TEST_F(ShellTest, CtrlEnterOpensInTheOtherPaneAndKeepsTheActiveOne)
{
    locations.tree["/a"] = {{"F1", kKindDisVar, 80}, {"SUB", kKindSubdir, 0}};
    locations.AddFiles("/a/SUB", 4, true);
    locations.AddFiles("/b", 2);
    Start("/a", "/b", 10, 5);
    shell.Key(kKeyDown);
    shell.Key(kKeyCtrl | kKeyEnter);
    EXPECT_EQ(shell.ActiveSide(), 0);
    EXPECT_EQ(Left().location.path, "/a");
    EXPECT_EQ(Left().Count(), 2);
    EXPECT_EQ(Right().location.path, "/a/SUB");
    EXPECT_EQ(Right().Count(), 5);
    EXPECT_EQ(Right().location.startPath, "/a");
    // The other pane took the cursor history too: going up there returns to entry 1.
    shell.Key(kKeyTab);
    shell.Key(kKeyEnter);
    EXPECT_EQ(Right().location.path, "/a");
    EXPECT_EQ(Right().cursor, 1);
}

TEST_F(ShellTest, DescriptionHeaderKeepsOrderButMovesCursorToFirstVisibleRow)
{
    locations.tree["/a"] = {{"C", kKindDisVar, 80}, {"A", kKindDisVar, 80}, {"B", kKindDisVar, 80}};
    Start("/a", "/a", 10, 5);
    shell.Key(kKeyEnd);
    shell.SortAndShow(0, 5);
    EXPECT_EQ(Left().Entry(0)->pcName, "C");
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_EQ(Left().location.sortOrder, 5);
    shell.SortAndShow(0, 1);
    EXPECT_EQ(Left().Entry(0)->pcName, "A");
    shell.SortAndShow(0, -1); // nothing
    EXPECT_EQ(Left().location.sortOrder, 1);
}

TEST_F(ShellTest, ChooseLocationAddsRecentUnlessAnotherMessageCame)
{
    locations.AddFiles("/a", 2);
    locations.AddFiles("/b", 3);
    Start("/a", "/a", 10);
    shell.ChooseLocation(0); // cancelled
    EXPECT_EQ(host.browseStart, "/a");
    EXPECT_TRUE(host.recent.empty());

    host.browseAnswers = {"/b", "/nowhere"};
    shell.ChooseLocation(0);
    EXPECT_EQ(Left().location.startPath, "/b");
    EXPECT_EQ(Left().Count(), 3);
    // A folder that fails to list shows message 0, which still counts as no failure.
    shell.ChooseLocation(0);
    EXPECT_EQ(Left().Count(), 0);
    EXPECT_EQ(host.recent, (std::vector<std::string>{"/nowhere", "/b"}));

    ui.SetLastMessage(7);
    shell.OpenRecent(0, 2);
    EXPECT_EQ(Left().location.path, "/b");
    EXPECT_EQ(Left().Count(), 3);
    shell.OpenRecent(0, 5); // empty slot
    EXPECT_EQ(Left().location.path, "/b");
}

TEST_F(ShellTest, GotoRootReturnsToTheStartLocation)
{
    locations.tree["/a"] = {{"SUB", kKindSubdir, 0}};
    locations.AddFiles("/a/SUB", 20, true);
    Start("/a", "/a", 10);
    shell.Key(kKeyEnter);
    shell.Key(kKeyEnd);
    ASSERT_EQ(Left().location.path, "/a/SUB");
    shell.GotoRoot(0);
    EXPECT_EQ(Left().location.path, "/a");
    EXPECT_EQ(Left().location.containerDepth, 0);
    EXPECT_EQ(Left().history.depth, 0);
    EXPECT_EQ(Left().top, 0);
    EXPECT_EQ(Left().cursor, 0);
}

TEST_F(ShellTest, FirstListingSortsBothPanesAndSetsCursors)
{
    locations.tree["/a"] = {{"Z", kKindDisVar, 80}, {"M", kKindDisVar, 80}};
    Start("/a", "/a", 10, 1);
    EXPECT_EQ(Left().Entry(0)->pcName, "M");
    EXPECT_EQ(Right().Entry(0)->pcName, "M");
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_EQ(Right().cursor, 0);
    EXPECT_GE(host.fullRepaints, 1);
}

TEST_F(ShellTest, InputArrivingWhileAListingPumpsEventsIsDropped)
{
    locations.tree["/a"] = {{"SUB", kKindSubdir, 0}, {"F", kKindDisVar, 80}};
    locations.AddFiles("/a/SUB", 3, true);
    Start("/a", "/a", 10);
    int nested = 0;
    locations.whileListing = [&] {
        ++nested;
        EXPECT_TRUE(shell.Busy());
        shell.Key(kKeyDown);
        shell.Key(kKeyU);
        shell.Key(kKeyEnter);
        shell.Click(1, 5, false, false);
        shell.GotoRoot(1);
    };
    Left().cursor = 1; // "SUB" sorts after "F"
    shell.Key(kKeyEnter);
    EXPECT_EQ(nested, 1);
    EXPECT_FALSE(shell.Busy());
    EXPECT_EQ(Left().location.path, "/a/SUB");
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_EQ(shell.ActiveSide(), 0);
    EXPECT_EQ(Right().location.path, "/a");
    locations.whileListing = nullptr;
    shell.Key(kKeyDown);
    EXPECT_EQ(Left().cursor, 1);
}

} // namespace
} // namespace kestrel::testing
