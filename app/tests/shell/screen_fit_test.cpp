#include <gtest/gtest.h>

#include "app/shell/screen_fit.h"

namespace kestrel::testing
{
namespace
{

const LayoutRect kLeftScreen{0, 0, 1600, 1000};
const LayoutRect kRightScreen{1600, 200, 1280, 800}; // lower, and smaller

bool Inside(const LayoutRect &outer, const LayoutRect &inner)
{
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

TEST(FitOnScreens, AWindowOnOneScreenStaysWhereItIs)
{
    const LayoutRect frame{100, 100, 800, 600};
    EXPECT_EQ(FitOnScreens(frame, {kLeftScreen, kRightScreen}), frame);
    const LayoutRect right{1700, 300, 800, 600};
    EXPECT_EQ(FitOnScreens(right, {kLeftScreen, kRightScreen}), right);
}

TEST(FitOnScreens, APlacementOffEveryScreenLandsOnTheFirst)
{
    // A monitor that was unplugged, and the area above the lower screen.
    for (LayoutRect frame : {LayoutRect{-5000, -5000, 800, 600}, LayoutRect{3000, 0, 800, 600},
                             LayoutRect{1700, 0, 800, 150}}) {
        const LayoutRect fit = FitOnScreens(frame, {kLeftScreen, kRightScreen});
        EXPECT_TRUE(Inside(kLeftScreen, fit) || Inside(kRightScreen, fit)) << frame.x;
        EXPECT_EQ(fit.width, frame.width);
        EXPECT_EQ(fit.height, frame.height);
    }
    EXPECT_TRUE(Inside(kLeftScreen, FitOnScreens({-5000, -5000, 800, 600}, {kLeftScreen})));
}

TEST(FitOnScreens, APartlyVisibleWindowMovesTheLeastOntoTheScreenItOverlapsMost)
{
    // The help window that hung off the bottom right of the left screen.
    const LayoutRect fit = FitOnScreens({1200, 700, 700, 600}, {kLeftScreen});
    EXPECT_EQ(fit, (LayoutRect{900, 400, 700, 600}));
    // Title bar above the top: pulled down, not sideways.
    EXPECT_EQ(FitOnScreens({300, -20, 400, 300}, {kLeftScreen}), (LayoutRect{300, 0, 400, 300}));
    // Mostly on the right screen: it goes there.
    const LayoutRect across = FitOnScreens({1500, 300, 600, 400}, {kLeftScreen, kRightScreen});
    EXPECT_TRUE(Inside(kRightScreen, across));
}

TEST(FitOnScreens, ATooLargeWindowIsShrunkToTheScreen)
{
    const LayoutRect fit = FitOnScreens({0, 0, 600, 1400}, {kLeftScreen});
    EXPECT_EQ(fit, (LayoutRect{0, 0, 600, 1000}));
    EXPECT_EQ(FitOnScreens({5, 5, 10, 10}, {}), (LayoutRect{5, 5, 10, 10}));
}

TEST(CascadeFrom, StepsPerOpenWindowAndStartsOver)
{
    const LayoutRect owner{100, 50, 900, 700};
    EXPECT_EQ(CascadeFrom(owner, 0, 300, 200), (LayoutRect{128, 78, 300, 200}));
    EXPECT_EQ(CascadeFrom(owner, 2, 300, 200), (LayoutRect{184, 134, 300, 200}));
    EXPECT_EQ(CascadeFrom(owner, kCascadeCycle, 300, 200), CascadeFrom(owner, 0, 300, 200));
}

TEST(DefaultClientSize, BothPanesShowEveryColumnAndTheRowsAsked)
{
    LayoutInput in;
    in.frameWidth = 6;
    in.headerHeight = 22;
    in.lineHeight = 17;
    in.scrollBarWidth = 16;
    int w = 0, h = 0;
    DefaultClientSize(in, 700, 25, w, h);
    in.clientWidth = w;
    in.clientHeight = h;
    in.entryCounts[0] = in.entryCounts[1] = 100; // scroll bars shown
    const MainLayout out = ComputeLayout(in);
    for (const PaneLayout &pane : out.panes) {
        EXPECT_GE(pane.list.width, 700);
        EXPECT_EQ(pane.rowsPerPage, 25);
    }
    // Never below the window's minimum.
    DefaultClientSize(in, 10, 1, w, h);
    EXPECT_EQ(w, kMinClientWidth);
    EXPECT_EQ(h, kMinClientHeight);
}

} // namespace
} // namespace kestrel::testing
