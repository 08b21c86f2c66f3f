#include "app/shell/screen_fit.h"

#include <algorithm>

namespace kestrel
{

namespace
{

bool Contains(const LayoutRect &outer, const LayoutRect &inner)
{
    return inner.x >= outer.x && inner.y >= outer.y &&
           inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

long long Overlap(const LayoutRect &a, const LayoutRect &b)
{
    const long long w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const long long h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

int Clamp(int value, int low, int high)
{
    return high < low ? low : std::clamp(value, low, high);
}

} // namespace

LayoutRect FitOnScreens(const LayoutRect &frame, const std::vector<LayoutRect> &screens)
{
    if (screens.empty())
        return frame;
    for (const LayoutRect &s : screens)
        if (Contains(s, frame))
            return frame;
    const LayoutRect *best = &screens.front();
    long long bestOverlap = 0;
    for (const LayoutRect &s : screens) {
        const long long o = Overlap(s, frame);
        if (o > bestOverlap) {
            bestOverlap = o;
            best = &s;
        }
    }
    LayoutRect out = frame;
    out.width = std::min(std::max(frame.width, 0), best->width);
    out.height = std::min(std::max(frame.height, 0), best->height);
    out.x = Clamp(frame.x, best->x, best->x + best->width - out.width);
    out.y = Clamp(frame.y, best->y, best->y + best->height - out.height);
    return out;
}

LayoutRect CascadeFrom(const LayoutRect &owner, int openWindows, int width, int height)
{
    const int step = (std::max(openWindows, 0) % kCascadeCycle + 1) * kCascadeStep;
    return {owner.x + step, owner.y + step, width, height};
}

void DefaultClientSize(const LayoutInput &in, int columnsWidth, int rows, int &width, int &height)
{
    // Each pane: its columns, the scroll bar and the list's 2-pixel margin;
    // the bar between the panes once.
    const int paneWidth = std::max(columnsWidth, 0) + in.scrollBarWidth + 2;
    width = std::max(2 * paneWidth + in.frameWidth, kMinClientWidth);
    const int top = (in.toolbar ? kToolbarHeight : 0) + 4 + kPathLineHeight + in.headerHeight + 2;
    height = std::max(top + std::max(rows, 1) * std::max(in.lineHeight, 1) + kStatusLineHeight,
                      kMinClientHeight);
}

} // namespace kestrel
