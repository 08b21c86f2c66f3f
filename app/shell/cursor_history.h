// Cursor placement: by a pixel row of the list, and the history of cursor
// positions that entering and leaving containers pushes and pops.
#pragma once

#include "app/shell/pane.h"

namespace kestrel
{

// Puts the cursor on the row at pixel y (>= 0) of the list. Returns the row,
// or -1 (cursor unchanged) when y lies below the last entry.
int PlaceCursorAtPixel(Pane &pane, int y, int lineHeight);

// Saves the cursor (a full history of ten ignores it) and puts the cursor on
// the first drawn row. Returns the new cursor, or -1 when the list has no row
// there (the cursor then stays).
int PushCursor(Pane &pane);

// Takes back the newest saved position: when it is inside the list, the list
// scrolls to show it and the cursor goes there; otherwise, or with an empty
// history, the cursor goes to the first drawn row. Returns the new cursor,
// or -1 (cursor unchanged) when the list has no such row.
int PopCursor(Pane &pane);

// Forgets the newest saved position.
void DropCursor(Pane &pane);

} // namespace kestrel
