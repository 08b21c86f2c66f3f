// Listing a pane's location again after an operation changed it, as the
// pane would: a PC directory, a floppy image (root or subdirectory) or a
// CF7A+ volume, then sorted in the pane's order. Hard-disk locations are
// listed again by their own operations.
#pragma once

#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// False after a reported failure.
bool RelistLocation(Location &location, Ui &ui);

} // namespace kestrel
