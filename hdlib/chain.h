// The data chain of a file: finding a file-relative sector and growing the chain from newly
// allocated runs.
#pragma once

#include "hdlib/volume.h"

namespace kestrel::hdlib
{

// AUs the chain covers, counted over its entries up to the first empty or damaged one.
uint32_t ChainAus(const uint8_t *fdr);

// Finds file-relative sector n in the slot's FDR chain and records the chain position, AU and
// sector in AU in the slot; 192 when n lies beyond the chain.
int32_t LocateFileSector(FileSlot &slot, uint32_t n, uint32_t &volumeSector);

// Adds the run (first, length) to the chain: raises the last entry when the run continues
// it, else starts a new entry. 128 when the 54th entry is already in use. Adds length to the
// FDR's AU count and marks the FDR changed.
int32_t ExtendChain(FileSlot &slot, uint16_t first, uint16_t length);

// Allocates runs until the chain covers at least wantedAus AUs (the first data AUs from AU
// 2048, later ones from the last AU of the last entry). A run that cannot be chained is
// released again, so a full chain never leaks AUs.
int32_t AllocateDataAus(FileSlot &slot, uint32_t wantedAus);

// Preallocates a file of s sectors.
int32_t PreallocateSectors(FileSlot &slot, uint32_t sectors);

// Makes sure file-relative sector n has an AU, growing by 16 / (sectors per AU) AUs at once.
int32_t EnsureSectorAllocated(FileSlot &slot, uint32_t n);

} // namespace kestrel::hdlib
