// Sector access bounded by the current volume. Every transfer is one whole 256-byte sector;
// a sector at or beyond the volume's end, a failed seek or a short transfer answers 192
// without touching the file. Every write reaches the file before the call returns.
#pragma once

#include "hdlib/volume.h"

namespace kestrel::hdlib
{

// Image sector n without volume bounds (sector 0 and partition VIBs while opening).
int32_t ReadImageSector(uint32_t imageSector, uint8_t *data);

int32_t ReadVolumeSector(SectorBuffer &buffer, uint32_t volumeSector);
// Writes buffer.data to the sector given (which also becomes the buffer's address).
int32_t WriteVolumeSector(SectorBuffer &buffer, uint32_t volumeSector);
// Writes the buffer back to the sector it came from.
int32_t WriteBack(SectorBuffer &buffer);

// Size of the open image file in bytes (0 when none or unknown).
uint64_t ImageFileSize();

} // namespace kestrel::hdlib
