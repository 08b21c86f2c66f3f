// Location-state helpers of the navigation operations.
#pragma once

#include "tifs/location.h"

namespace kestrel
{

// Back to the start location at the top level: every depth counter and
// container flag reset, the catalog emptied. The sort order stays.
void ResetToStartLocation(Location &location);

} // namespace kestrel
