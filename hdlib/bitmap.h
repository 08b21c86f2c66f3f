// The allocation bitmap: volume sectors 1 to 31, 2048 bits each, most significant bit of
// byte 0 first; a set bit means the AU is in use.
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

constexpr uint32_t kBitmapFirstSector = 1;
constexpr uint32_t kBitmapSectors = 31;
constexpr uint32_t kAusPerBitmapSector = 2048;
constexpr uint32_t kMaxBitmapAus = kBitmapSectors * kAusPerBitmapSector; // 63488

inline bool BitmapBit(const uint8_t *sector, uint32_t bit)
{
    return (sector[bit / 8] & (0x80 >> (bit % 8))) != 0;
}

inline void SetBitmapBit(uint8_t *sector, uint32_t bit, bool used)
{
    const uint8_t mask = static_cast<uint8_t>(0x80 >> (bit % 8));
    if (used)
        sector[bit / 8] |= mask;
    else
        sector[bit / 8] &= static_cast<uint8_t>(~mask);
}

// The AUs that the bitmap may hand out on the current volume: from the first AU after the
// root file index up to (not including) the volume's total or the bitmap's reach. The AUs
// below hold the VIB, the bitmap, its copy and the root file index, so they count as used
// whatever a damaged bitmap says.
uint32_t FirstAllocatableAu();
uint32_t AllocatableLimit();

// Free AUs of the current volume; 192 in result on a read failure.
int32_t CountFreeAus(uint32_t &freeAus);

} // namespace kestrel::hdlib
