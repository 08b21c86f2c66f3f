#include "app/tests/shell/shell_fixture.h"

namespace kestrel::testing
{
namespace
{

// Rows are 10 pixels high in the fixture: row n is at y = n * 10 + 5.
int Row(int n)
{
    return n * 10 + 5;
}

TEST_F(ShellTest, ShiftClickMarksTheRangeAndUnmarksTheRest)
{
    locations.AddFiles("/a", 12);
    Start("/a", "/a", 20);
    Left().Entry(10)->marked = true;
    shell.Click(0, Row(3), false, false);
    EXPECT_EQ(Left().cursor, 3);
    EXPECT_TRUE(Marked(Left()).empty());
    shell.Click(0, Row(7), false, true);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(Left().cursor, 7);
    // Shift-click again: same anchor, the range shrinks.
    shell.Click(0, Row(5), false, true);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{3, 4, 5}));
    // Upwards from the anchor as well.
    shell.Click(0, Row(1), false, true);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{1, 2, 3}));
}

TEST_F(ShellTest, CtrlClickTogglesAndKeepsOtherMarks)
{
    locations.tree["/a"] = {{"..", kKindUpDir, 0},
                            {"A", kKindDisVar, 80},
                            {"B", kKindDisVar, 80},
                            {"C", kKindDisVar, 80}};
    Start("/a", "/a", 20, 5);
    shell.Click(0, Row(1), true, false);
    shell.Click(0, Row(3), true, false);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{1, 3}));
    shell.Click(0, Row(1), true, false);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{3}));
    shell.Click(0, Row(0), true, false); // ".." cannot be marked
    EXPECT_EQ(Marked(Left()), (std::vector<int>{3}));
    // Ctrl keeps the anchor; a Shift-click then ranges from it, ".." left out.
    shell.Click(0, Row(2), false, false);
    shell.Click(0, Row(0), false, true);
    EXPECT_EQ(Marked(Left()), (std::vector<int>{1, 2}));
    // A click below the last entry leaves the cursor and unmarks all.
    shell.Click(0, Row(15), false, false);
    EXPECT_EQ(Left().cursor, 0);
    EXPECT_TRUE(Marked(Left()).empty());
}

TEST_F(ShellTest, ClickMakesItsPaneActive)
{
    locations.AddFiles("/a", 3);
    Start("/a", "/a", 20);
    shell.Click(1, Row(2), false, false);
    EXPECT_EQ(shell.ActiveSide(), 1);
    EXPECT_EQ(Right().cursor, 2);
    EXPECT_EQ(Left().cursor, 0);
    shell.ClickPathLine(0);
    EXPECT_EQ(shell.ActiveSide(), 0);
}

TEST_F(ShellTest, DoubleClickViewsTextAndProgramsOpensTheRest)
{
    locations.tree["/a"] = {{"DV80", kKindDisVar, 80},
                            {"PROG", kKindProgram, 0},
                            {"DV40", kKindDisVar, 40},
                            {"SUB", kKindSubdir, 0}};
    locations.AddFiles("/a/SUB", 1, true);
    Start("/a", "/a", 20, 5);
    Left().Entry(2)->marked = true;
    shell.DoubleClick(0, Row(0), true, false); // with Ctrl: only unmarks all
    EXPECT_TRUE(host.views.empty());
    EXPECT_TRUE(Marked(Left()).empty());
    shell.DoubleClick(0, Row(0), false, false);
    shell.DoubleClick(0, Row(1), false, false);
    ASSERT_EQ(host.views.size(), 2u);
    EXPECT_EQ(host.views[0].name, "DV80");
    EXPECT_EQ(host.views[1].name, "PROG");
    shell.DoubleClick(0, Row(2), false, false); // another file: Open entry, which does nothing
    EXPECT_EQ(host.views.size(), 2u);
    shell.DoubleClick(0, Row(3), true, false); // Ctrl: in the other pane
    EXPECT_EQ(Right().location.path, "/a/SUB");
    EXPECT_EQ(Left().location.path, "/a");
    shell.DoubleClick(0, Row(3), false, false);
    EXPECT_EQ(Left().location.path, "/a/SUB");
}

TEST_F(ShellTest, WheelOnlyWhenSwitchedOnAndScrollBarLimits)
{
    locations.AddFiles("/a", 30);
    Start("/a", "/a", 10);
    EXPECT_FALSE(shell.Wheel(120));
    shell.SetMouseWheel(true);
    EXPECT_TRUE(shell.Wheel(-120));
    EXPECT_EQ(Left().top, 2);
    EXPECT_TRUE(shell.Wheel(0)); // zero counts as down
    EXPECT_EQ(Left().top, 4);
    shell.Wheel(120);
    shell.Wheel(120);
    shell.Wheel(120);
    EXPECT_EQ(Left().top, 0);
    EXPECT_EQ(Left().cursor, 0); // scrolling never moves the cursor

    shell.Scroll(0, ScrollAction::PageDown);
    shell.Scroll(0, ScrollAction::PageDown);
    shell.Scroll(0, ScrollAction::PageDown);
    EXPECT_EQ(Left().top, 20);
    shell.Scroll(0, ScrollAction::LineDown);
    EXPECT_EQ(Left().top, 20);
    shell.Scroll(0, ScrollAction::ThumbTrack, 500);
    EXPECT_EQ(Left().top, 20);
    shell.Scroll(0, ScrollAction::LineUp);
    EXPECT_EQ(Left().top, 19);
    shell.Scroll(0, ScrollAction::PageUp);
    shell.Scroll(0, ScrollAction::PageUp);
    shell.Scroll(0, ScrollAction::LineUp);
    EXPECT_EQ(Left().top, 0);
    shell.Scroll(0, ScrollAction::Other);
    EXPECT_EQ(Left().top, 0);
}

TEST_F(ShellTest, NothingBreaksOnEmptyOneAndHugeLists)
{
    const int sizes[] = {0, 1, 10000};
    const int keys[] = {kKeyTab,
                        kKeyEnter,
                        kKeyPageUp,
                        kKeyPageDown,
                        kKeyEnd,
                        kKeyHome,
                        kKeyUp,
                        kKeyDown,
                        kKeyInsert,
                        kKeyGrayPlus,
                        kKeyGrayMinus,
                        kKeyCtrl | kKeyGrayPlus,
                        kKeyShift | kKeyUp,
                        kKeyShift | kKeyDown,
                        kKeyR,
                        kKeyF2,
                        kKeyF3,
                        kKeyF4,
                        kKeyF8,
                        kKeyF9,
                        kKeyU};
    for (int size : sizes) {
        const std::string path = "/n" + std::to_string(size);
        locations.AddFiles(path, size);
        Start(path, path, 7);
        for (int round = 0; round < 3; ++round)
            for (int key : keys) {
                shell.Key(key);
                shell.Key(key | kKeyCtrl);
                shell.Click(shell.ActiveSide(), Row(round * 3), round == 1, round == 2);
                shell.DoubleClick(1 - shell.ActiveSide(), Row(9), false, false);
                shell.Scroll(0, ScrollAction::PageDown);
                for (int side = 0; side < 2; ++side) {
                    const Pane &p = shell.GetPane(side);
                    EXPECT_GE(p.top, 0);
                    EXPECT_LE(p.top, std::max(0, p.Count() - p.rowsPerPage));
                    if (p.Count() > 0) {
                        EXPECT_GE(p.cursor, 0);
                    }
                }
            }
    }
}

} // namespace
} // namespace kestrel::testing
