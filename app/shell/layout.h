// The main window's layout as numbers: toolbar, the bar between the panes,
// and each pane's path line, header, list, scroll bar and status line. The
// widgets are moved to these rectangles; rows per page comes from here.
#pragma once

namespace kestrel
{

struct LayoutRect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const LayoutRect &) const = default;
};

constexpr int kToolbarHeight = 32;
constexpr int kPathLineHeight = 20;
constexpr int kStatusLineHeight = 20;
constexpr int kMinClientWidth = 460;
constexpr int kMinClientHeight = 120;
constexpr int kDefaultClientWidth = 600;
constexpr int kDefaultClientHeight = 232;

struct LayoutInput {
    int clientWidth = kDefaultClientWidth;
    int clientHeight = kDefaultClientHeight;
    bool toolbar = true;
    int frameWidth = 6; // width of the bar between the panes
    int headerHeight = 20;
    int lineHeight = 16; // one list row
    int scrollBarWidth = 16;
    int entryCounts[2] = {0, 0};
};

struct PaneLayout {
    LayoutRect pathLine, header, list, scrollBar, statusLine;
    bool scrollBarVisible = false;
    int rowsPerPage = 0;
};

struct MainLayout {
    LayoutRect toolbar;
    LayoutRect centerBar;
    PaneLayout panes[2];
};

MainLayout ComputeLayout(const LayoutInput &in);

// The client size kept for the settings: the width raised to the minimum,
// the height raised to the next whole multiple of the line height.
void NormalizeClientSize(int &width, int &height, int lineHeight);

} // namespace kestrel
