#include "app/shell/layout.h"

#include <algorithm>

namespace kestrel
{

MainLayout ComputeLayout(const LayoutInput &in)
{
    MainLayout out;
    const int w = std::max(in.clientWidth, 0);
    const int h = std::max(in.clientHeight, 0);
    const int areaTop = in.toolbar ? kToolbarHeight : 0;
    if (in.toolbar)
        out.toolbar = {0, 0, w, kToolbarHeight};

    const int barX = w / 2 - in.frameWidth / 2;
    out.centerBar = {barX, areaTop, in.frameWidth, std::max(0, h - areaTop)};
    const int paneWidth = std::max(0, barX);
    const int paneLefts[2] = {0, barX + in.frameWidth};

    for (int side = 0; side < 2; ++side) {
        PaneLayout &p = out.panes[side];
        const int x = paneLefts[side];
        const int t = areaTop + 4;
        p.pathLine = {x, t, paneWidth, kPathLineHeight};
        p.header = {x, t + kPathLineHeight, paneWidth, in.headerHeight};
        const int listTop = p.header.y + p.header.height + 2;
        p.statusLine = {x, h - kStatusLineHeight, paneWidth, kStatusLineHeight};
        const int listHeight = std::max(0, h - kStatusLineHeight - listTop);
        p.rowsPerPage = in.lineHeight > 0 ? listHeight / in.lineHeight : 0;
        p.scrollBarVisible = in.entryCounts[side] >= p.rowsPerPage;
        if (p.scrollBarVisible) {
            p.list = {x, listTop, std::max(0, paneWidth - in.scrollBarWidth - 2), listHeight};
            p.scrollBar = {x + paneWidth - in.scrollBarWidth, listTop, in.scrollBarWidth,
                           listHeight};
        } else {
            p.list = {x, listTop, std::max(0, paneWidth - 2), listHeight};
        }
    }
    return out;
}

void NormalizeClientSize(int &width, int &height, int lineHeight)
{
    width = std::max(width, kMinClientWidth);
    if (lineHeight > 0 && height % lineHeight != 0)
        height += lineHeight - height % lineHeight;
}

} // namespace kestrel
