#include "app/shell/scroll.h"

#include <algorithm>

namespace kestrel
{

bool ScrollPane(Pane &pane, ScrollAction action, int thumb)
{
    int before = pane.top;
    int limit = std::max(0, pane.maxTop);
    switch (action) {
    case ScrollAction::LineUp:
        pane.top = std::max(0, pane.top - 1);
        break;
    case ScrollAction::LineDown:
        pane.top = std::min(pane.top + 1, limit);
        break;
    case ScrollAction::PageUp:
        pane.top = std::max(0, pane.top - pane.rowsPerPage);
        break;
    case ScrollAction::PageDown:
        pane.top = std::min(pane.top + pane.rowsPerPage, limit);
        break;
    case ScrollAction::ThumbTrack:
        pane.top = std::clamp(thumb, 0, limit);
        break;
    case ScrollAction::Other:
        break;
    }
    pane.top = std::max(pane.top, 0);
    return pane.top != before;
}

bool WheelPane(Pane &pane, int delta)
{
    ScrollAction a = delta > 0 ? ScrollAction::LineUp : ScrollAction::LineDown;
    bool first = ScrollPane(pane, a);
    bool second = ScrollPane(pane, a);
    return first || second;
}

} // namespace kestrel
