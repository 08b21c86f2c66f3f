#include <gtest/gtest.h>

#include "app/shell/layout.h"
#include "app/shell/startup.h"

namespace kestrel
{
namespace
{

TEST(MainLayout, DefaultWindowNumbers)
{
    LayoutInput in; // 600 x 232, toolbar, bar 6 wide, header 20, rows 16, scroll bar 16
    in.entryCounts[0] = 3;
    in.entryCounts[1] = 50;
    MainLayout out = ComputeLayout(in);
    EXPECT_EQ(out.toolbar, (LayoutRect{0, 0, 600, 32}));
    EXPECT_EQ(out.centerBar, (LayoutRect{297, 32, 6, 200}));
    const PaneLayout &l = out.panes[0];
    const PaneLayout &r = out.panes[1];
    EXPECT_EQ(l.pathLine, (LayoutRect{0, 36, 297, 20}));
    EXPECT_EQ(l.header, (LayoutRect{0, 56, 297, 20}));
    EXPECT_EQ(l.statusLine, (LayoutRect{0, 212, 297, 20}));
    // The list starts 2 below the header and ends at the status line: 134 high.
    EXPECT_EQ(l.list, (LayoutRect{0, 78, 295, 134}));
    EXPECT_EQ(l.rowsPerPage, 8);
    EXPECT_FALSE(l.scrollBarVisible);
    EXPECT_EQ(r.pathLine.x, 303);
    EXPECT_EQ(r.pathLine.width, 297);
    EXPECT_TRUE(r.scrollBarVisible);
    EXPECT_EQ(r.list, (LayoutRect{303, 78, 279, 134}));
    EXPECT_EQ(r.scrollBar, (LayoutRect{584, 78, 16, 134}));
}

TEST(MainLayout, ScrollBarFromAsManyEntriesAsRowsAndNoToolbar)
{
    LayoutInput in;
    in.toolbar = false;
    in.clientHeight = 120;
    in.lineHeight = 10;
    MainLayout out = ComputeLayout(in);
    EXPECT_EQ(out.toolbar, LayoutRect{});
    EXPECT_EQ(out.panes[0].pathLine.y, 4);
    EXPECT_EQ(out.panes[0].list.y, 46);
    EXPECT_EQ(out.panes[0].rowsPerPage, 5); // (120 - 20 - 46) / 10
    in.entryCounts[0] = 4;
    EXPECT_FALSE(ComputeLayout(in).panes[0].scrollBarVisible);
    in.entryCounts[0] = 5;
    EXPECT_TRUE(ComputeLayout(in).panes[0].scrollBarVisible);
    // A window too small for any row has a list of height 0, not less.
    in.clientHeight = 30;
    EXPECT_EQ(ComputeLayout(in).panes[0].list.height, 0);
    EXPECT_EQ(ComputeLayout(in).panes[0].rowsPerPage, 0);
}

TEST(MainLayout, ClientSizeKeptForTheSettings)
{
    int w = 300, h = 100;
    NormalizeClientSize(w, h, 16);
    EXPECT_EQ(w, 460);
    EXPECT_EQ(h, 112);
    w = 700;
    h = 96;
    NormalizeClientSize(w, h, 16);
    EXPECT_EQ(w, 700);
    EXPECT_EQ(h, 96);
}

TEST(StartLocations, CommandLineWinsOverTheSavedOnes)
{
    bool asked = false;
    auto browse = [&](std::string &) {
        asked = true;
        return true;
    };
    StartLocations s = ChooseStartLocations({"/home/me/My TI"}, "/l", "/r", browse);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.left, "/home/me/My TI");
    EXPECT_EQ(s.right, "/home/me/My TI");
    s = ChooseStartLocations({"/a", "/b/games.dsk"}, "/l", "/r", browse);
    EXPECT_EQ(s.left, "/a");
    EXPECT_EQ(s.right, "/b/games.dsk");
    // An empty first argument is no location: the saved ones stay.
    s = ChooseStartLocations({""}, "/l", "/r", browse);
    EXPECT_EQ(s.left, "/l");
    EXPECT_EQ(s.right, "/r");
    EXPECT_FALSE(asked);
}

TEST(StartLocations, EmptySidesTakeTheOtherAndBothEmptyAsk)
{
    auto never = [](std::string &) -> bool {
        ADD_FAILURE() << "browser shown";
        return false;
    };
    StartLocations s = ChooseStartLocations({}, "", "/r", never);
    EXPECT_EQ(s.left, "/r");
    EXPECT_EQ(s.right, "/r");
    s = ChooseStartLocations({}, "/l", "", never);
    EXPECT_EQ(s.left, "/l");
    EXPECT_EQ(s.right, "/l");

    auto cancel = [](std::string &) { return false; };
    EXPECT_FALSE(ChooseStartLocations({}, "", "", cancel).ok);
    auto choose = [](std::string &out) {
        out = "/chosen";
        return true;
    };
    s = ChooseStartLocations({}, "", "", choose);
    EXPECT_TRUE(s.ok);
    EXPECT_EQ(s.left, "/chosen");
    EXPECT_EQ(s.right, "/chosen");
    EXPECT_EQ(kExitStartFailed, 1);
}

TEST(StartLocations, LongLocationsAreCutTo300)
{
    std::string longPath(400, 'x');
    auto never = [](std::string &) { return false; };
    StartLocations s = ChooseStartLocations({longPath}, "", "", never);
    EXPECT_EQ(s.left.size(), 300u);
    s = ChooseStartLocations({}, longPath, "", never);
    EXPECT_EQ(s.right.size(), 300u);
}

} // namespace
} // namespace kestrel
