#include "hdlib/allocation.h"

#include "hdlib/bitmap.h"
#include "hdlib/dsr.h"
#include "hdlib/sector_io.h"

#include <algorithm>

namespace kestrel::hdlib
{

int32_t AllocateAus(uint32_t hint, uint32_t wanted, uint16_t &first, uint16_t &length)
{
    first = 0;
    length = 0;
    if (!VolumeHasFileSystem())
        return kDsrDeviceError;
    wanted = std::clamp<uint32_t>(wanted, 1, kMaxRun);
    const uint32_t reserved = FirstAllocatableAu();
    const uint32_t limit = AllocatableLimit();
    uint32_t bestStart = 0;
    uint32_t bestLength = 0;
    SectorBuffer buffer;
    for (uint32_t s = hint / kAusPerBitmapSector; s < kBitmapSectors && bestLength < wanted; ++s) {
        const uint32_t base = s * kAusPerBitmapSector;
        if (base >= limit)
            break;
        if (ReadVolumeSector(buffer, kBitmapFirstSector + s) != kDsrOk)
            return kDsrDeviceError;
        uint32_t runStart = 0;
        uint32_t runLength = 0;
        const uint32_t firstBit = base <= hint ? hint - base : 0;
        for (uint32_t bit = firstBit; bit < kAusPerBitmapSector; ++bit) {
            const uint32_t au = base + bit;
            if (au >= limit)
                break;
            const bool used = au < reserved || BitmapBit(buffer.data, bit);
            if (used) {
                runLength = 0;
                continue;
            }
            if (runLength == 0)
                runStart = au;
            ++runLength;
            if (runLength > bestLength) {
                bestStart = runStart;
                bestLength = runLength;
                if (bestLength >= wanted)
                    break;
            }
        }
    }
    if (bestLength == 0)
        return kDsrOutOfSpace;
    const uint32_t take = std::min(bestLength, wanted);
    const uint32_t sector = bestStart / kAusPerBitmapSector;
    if (ReadVolumeSector(buffer, kBitmapFirstSector + sector) != kDsrOk)
        return kDsrDeviceError;
    for (uint32_t au = bestStart; au < bestStart + take; ++au)
        SetBitmapBit(buffer.data, au % kAusPerBitmapSector, true);
    if (WriteBack(buffer) != kDsrOk)
        return kDsrDeviceError;
    first = static_cast<uint16_t>(bestStart);
    length = static_cast<uint16_t>(take);
    return kDsrOk;
}

int32_t ReleaseAus(uint32_t first, uint32_t count)
{
    if (!VolumeHasFileSystem())
        return kDsrDeviceError;
    const uint32_t reserved = FirstAllocatableAu();
    const uint32_t limit = AllocatableLimit();
    const uint64_t end = std::min<uint64_t>(static_cast<uint64_t>(first) + count, limit);
    uint32_t au = std::max(first, reserved);
    SectorBuffer buffer;
    while (au < end) {
        const uint32_t sector = au / kAusPerBitmapSector;
        if (ReadVolumeSector(buffer, kBitmapFirstSector + sector) != kDsrOk)
            return kDsrDeviceError;
        bool changed = false;
        for (; au < end && au / kAusPerBitmapSector == sector; ++au) {
            const uint32_t bit = au % kAusPerBitmapSector;
            if (BitmapBit(buffer.data, bit)) {
                SetBitmapBit(buffer.data, bit, false);
                changed = true;
            }
        }
        if (changed && WriteBack(buffer) != kDsrOk)
            return kDsrDeviceError;
    }
    return kDsrOk;
}

} // namespace kestrel::hdlib
