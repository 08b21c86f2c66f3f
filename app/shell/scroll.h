// Scrolling a pane: the scroll-bar actions and the mouse wheel. Scrolling
// never moves the cursor, and top never goes below 0.
#pragma once

#include "app/shell/pane.h"

namespace kestrel
{

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbTrack, Other };

// Applies one scroll-bar action; thumb is the position for ThumbTrack.
// Returns true when top changed.
bool ScrollPane(Pane &pane, ScrollAction action, int thumb = 0);

// Two lines per wheel message: up for a positive delta, down otherwise.
bool WheelPane(Pane &pane, int delta);

} // namespace kestrel
