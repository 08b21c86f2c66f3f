// Converting between HFE track images and DSK sector dumps.
#pragma once

#include <string>

#include "tifs/ui.h"

namespace kestrel
{

// Writes the sector dump an HFE image holds to target: as many sectors as
// its VIB says (every sector of its tracks when the VIB cannot be read).
// Refuses to convert a file onto itself. A sector that cannot be read ends
// the conversion after its message (CRC error, sector not found); an
// existing target is replaced only by a complete conversion. Progress runs
// over the sectors. True when every sector was written.
bool ConvertHfeToDsk(const std::string &source, const std::string &target, Ui &ui);

// Writes the DSK image at source as an HFE image at target, with standard TI
// tracks for the geometry its VIB gives (FM for single density, MFM for
// double; 1 or 2 sides). A disk whose geometry has no standard track layout
// reports "The disk <%s> has no HFE track layout: %d sectors per track,
// density %d". Progress runs over the cylinders. True when written.
bool ConvertDskToHfe(const std::string &source, const std::string &target, Ui &ui);

} // namespace kestrel
