#include "hdlib/bitmap.h"

#include "hdlib/dsr.h"
#include "hdlib/sector_io.h"

#include <algorithm>
#include <bit>

namespace kestrel::hdlib
{

uint32_t FirstAllocatableAu()
{
    const unsigned spa = CurrentVolume().sectorsPerAu;
    return spa == 0 ? kMaxBitmapAus : 64 / spa + 1;
}

uint32_t AllocatableLimit()
{
    return std::min<uint32_t>(CurrentVolume().totalAus, kMaxBitmapAus);
}

int32_t CountFreeAus(uint32_t &freeAus)
{
    freeAus = 0;
    if (!VolumeHasFileSystem())
        return kDsrDeviceError;
    const uint32_t first = FirstAllocatableAu();
    const uint32_t limit = AllocatableLimit();
    SectorBuffer buffer;
    for (uint32_t s = 0; s < kBitmapSectors; ++s) {
        const uint32_t base = s * kAusPerBitmapSector;
        if (base >= limit)
            break;
        if (ReadVolumeSector(buffer, kBitmapFirstSector + s) != kDsrOk)
            return kDsrDeviceError;
        // Whole bytes are counted at once; only the bytes at the reserved start and at the
        // limit are taken bit by bit.
        for (uint32_t byte = 0; byte < kAusPerBitmapSector / 8; ++byte) {
            const uint32_t au = base + 8 * byte;
            if (au >= limit)
                break;
            if (au >= first && au + 8 <= limit) {
                freeAus += 8 - static_cast<uint32_t>(std::popcount(buffer.data[byte]));
                continue;
            }
            for (uint32_t bit = 8 * byte; bit < 8 * byte + 8 && base + bit < limit; ++bit) {
                if (base + bit >= first && !BitmapBit(buffer.data, bit))
                    ++freeAus;
            }
        }
    }
    return kDsrOk;
}

} // namespace kestrel::hdlib
