#include "app/shell/cursor_history.h"

#include <algorithm>

namespace kestrel
{

namespace
{

int SetCursorIfInside(Pane &pane, int index)
{
    if (index < 0 || index >= pane.Count())
        return -1;
    pane.cursor = index;
    return index;
}

} // namespace

int PlaceCursorAtPixel(Pane &pane, int y, int lineHeight)
{
    if (y < 0 || lineHeight <= 0)
        return -1;
    return SetCursorIfInside(pane, y / lineHeight + pane.firstDrawn);
}

int PushCursor(Pane &pane)
{
    CursorHistory &h = pane.history;
    if (h.depth >= 0 && h.depth < kHistorySize)
        h.indices[h.depth++] = pane.cursor;
    return SetCursorIfInside(pane, pane.firstDrawn);
}

int PopCursor(Pane &pane)
{
    CursorHistory &h = pane.history;
    int target = pane.firstDrawn;
    if (h.depth >= 1 && h.depth <= kHistorySize) {
        int saved = h.indices[--h.depth];
        if (saved < pane.Count()) {
            pane.top = std::max(0, std::min(pane.Count() - pane.rowsPerPage, saved));
            UpdateDrawnRange(pane);
            target = saved < 0 ? pane.firstDrawn : saved;
        }
    }
    return SetCursorIfInside(pane, target);
}

void DropCursor(Pane &pane)
{
    if (pane.history.depth > 0)
        --pane.history.depth;
}

} // namespace kestrel
