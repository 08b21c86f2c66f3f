// The figures of a hard-disk image for the image information dialog.
#pragma once

#include <cstdint>
#include <string>

#include "drives/hd_recognizer.h"
#include "tifs/catalog_entry.h"
#include "tifs/ui.h"

namespace kestrel
{

// Fills up to four records and returns how many volumes were recognised
// (0 when none). An entry with a base offset is one partition; otherwise
// sector 0 decides: a single volume, or partitions 1 to 4 of the table in
// turn, stopping at the first that cannot be read. image is the file's path.
int HdImageInfo(const std::string &image, const CatalogEntry &entry, HdVolumeInfo results[4]);

// The zero bits of the volume's 31 bitmap sectors; -1 when they cannot be read.
long HdFreeAus(const std::string &image, uint32_t firstSector);

} // namespace kestrel
