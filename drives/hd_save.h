// Saving a file of a hard-disk image as a PC file with a TIFILES header.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel {

// Reads the entry's FDR at image sector base + own AU x sectors per AU
// (container words 1 and 3, base offset) and its 4-byte data chain, and
// writes header and data sectors to target. Messages 1, 2, 6 and 7 on
// failure (false); a damaged chain stops before anything outside it is read.
bool SaveHdEntryAsTiFile(const Location& location, const CatalogEntry& entry,
                         const std::string& target, Ui& ui);

} // namespace kestrel
