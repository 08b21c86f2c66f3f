// Location-state helpers of the navigation operations.
#pragma once

#include "tifs/location.h"

namespace kestrel
{

// Copies every field of the location state except the catalog.
void CopyLocationState(Location &to, const Location &from);

// Back to the start location at the top level: every depth counter and
// container flag reset, the catalog emptied. The sort order stays.
void ResetToStartLocation(Location &location);

} // namespace kestrel
