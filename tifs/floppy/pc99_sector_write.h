// Writing one logical sector into a PC99 track image: the data field of the
// record that the sector search finds is overwritten in place, and its CRC
// is renewed when the image carries one (when the two bytes after the data
// held the CRC of the old data); an image written without CRCs keeps none.
#pragma once

#include <cstdint>
#include <string>

#include "tifs/disk_summary.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/ui.h"

namespace kestrel
{

// The CRC of a data field: CCITT, from 0xFFFF, over the sync bytes that
// precede the mark in double density (three 0xA1), the mark and the data.
uint16_t Pc99DataCrc(uint16_t imageKind, uint8_t mark, const uint8_t *data);

// False after "Can't read sector <%d> from <%s>" (no such record) or
// "Can't write sector <%d> to <%s>".
bool WritePc99Sector(ImageAccess &image, const DiskSummary &summary, uint32_t sector,
                     const uint8_t *data, Ui &ui, const std::string &path);

} // namespace kestrel
