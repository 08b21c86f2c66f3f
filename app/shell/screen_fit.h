// Where a top-level window goes so that the user sees all of it: pure
// rectangle arithmetic over the screens' work areas (outer frames, in
// desktop coordinates).
#pragma once

#include <vector>

#include "app/shell/layout.h"

namespace kestrel
{

// frame unchanged when one screen holds it whole. Otherwise it goes onto the
// screen it overlaps most (the first screen when it overlaps none), made no
// larger than that screen and moved the least distance that puts it inside.
// No screens: frame unchanged.
LayoutRect FitOnScreens(const LayoutRect &frame, const std::vector<LayoutRect> &screens);

// Top-left of a new window cascaded from its owner's frame: one step right and
// down per window the owner already has open, starting over after eight so
// that the windows do not creep off the screen.
constexpr int kCascadeStep = 28;
constexpr int kCascadeCycle = 8;
LayoutRect CascadeFrom(const LayoutRect &owner, int openWindows, int width, int height);

// The client size that shows both panes with all six columns (columnsWidth is
// the sum of the widths) and rows list rows each, for the layout's metrics.
void DefaultClientSize(const LayoutInput &in, int columnsWidth, int rows, int &width, int &height);

} // namespace kestrel
