// The data sector of an open file in its slot, and the FDR fields that follow it.
#pragma once

#include "hdlib/volume.h"

namespace kestrel::hdlib
{

constexpr uint16_t kNoSector = 0xFFFF;

bool SectorLoaded(const FileSlot &slot);
// Forgets the loaded sector: the next access starts at file-relative sector 0.
void RewindSlot(FileSlot &slot);

// Writes the data sector back when it changed; 0 or 192.
int32_t FlushDataSector(FileSlot &slot);
// Loads file-relative sector n (writing back a changed one first); 192 beyond the chain.
int32_t LoadDataSector(FileSlot &slot, uint32_t n);
// Makes file-relative sector n the data sector as a fresh zero sector, allocating as needed;
// it is written back when the slot moves on or closes.
int32_t StartDataSector(FileSlot &slot, uint32_t n);

uint16_t FdrSectors(const FileSlot &slot);
uint16_t FdrLevel3(const FileSlot &slot);
void SetFdrSectors(FileSlot &slot, uint16_t sectors);
void SetFdrLevel3(FileSlot &slot, uint16_t count);
void SetFdrEndOfFile(FileSlot &slot, uint8_t offset);

// Request offsets 7, 8, 24, 28, 32 and 36 from the slot's FDR.
void FillRequestFromFdr(FileRequest *request, const FileSlot &slot);

} // namespace kestrel::hdlib
