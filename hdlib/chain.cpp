#include "hdlib/chain.h"

#include "hdlib/allocation.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "tifs/byte_order.h"

#include <algorithm>

namespace kestrel::hdlib
{

namespace
{

// A file's sector count is a 16-bit field: nothing may grow beyond it.
constexpr uint32_t kMaxFileSectors = 0xFFFF;

} // namespace

uint32_t ChainAus(const uint8_t *fdr)
{
    uint32_t total = 0;
    for (int k = 0; k < kChainEntries; ++k) {
        const ChainEntry entry = GetChainEntry(fdr, k);
        if (entry.first == 0 || entry.last < entry.first)
            break;
        total += entry.last - entry.first + 1u;
    }
    return total;
}

int32_t LocateFileSector(FileSlot &slot, uint32_t n, uint32_t &volumeSector)
{
    const uint32_t spa = CurrentVolume().sectorsPerAu;
    if (spa == 0)
        return kDsrDeviceError;
    uint32_t remaining = n;
    for (int k = 0; k < kChainEntries; ++k) {
        const ChainEntry entry = GetChainEntry(slot.fdr.data, k);
        if (entry.first == 0 || entry.last < entry.first)
            break;
        const uint32_t span = (entry.last - entry.first + 1u) * spa;
        if (remaining < span) {
            const uint32_t au = entry.first + remaining / spa;
            slot.head.chainPosition = slot.fdr.data + kFdrChain + 4 * k;
            slot.head.currentAu = static_cast<uint16_t>(au);
            slot.head.sectorInAu = static_cast<uint16_t>(remaining % spa);
            volumeSector = au * spa + remaining % spa;
            return kDsrOk;
        }
        remaining -= span;
    }
    return kDsrDeviceError;
}

int32_t ExtendChain(FileSlot &slot, uint16_t first, uint16_t length)
{
    uint8_t *fdr = slot.fdr.data;
    const int used = UsedChainEntries(fdr);
    if (used == kChainEntries)
        return kDsrOutOfSpace;
    if (used > 0) {
        ChainEntry last = GetChainEntry(fdr, used - 1);
        if (static_cast<uint32_t>(last.last) + 1 == first) {
            last.last = static_cast<uint16_t>(last.last + length);
            PutChainEntry(fdr, used - 1, last);
        } else {
            PutChainEntry(fdr, used, {first, static_cast<uint16_t>(first + length - 1)});
        }
    } else {
        PutChainEntry(fdr, 0, {first, static_cast<uint16_t>(first + length - 1)});
    }
    PutWordBE(fdr, kFdrAllocatedAus,
              static_cast<uint16_t>(GetWordBE(fdr, kFdrAllocatedAus) + length));
    slot.head.stateFlags |= brackenly::kSlotFdrChanged;
    return kDsrOk;
}

namespace
{

// One allocation of up to want AUs, chained onto the file.
int32_t AllocateOneRun(FileSlot &slot, uint32_t want)
{
    const uint8_t *fdr = slot.fdr.data;
    const int used = UsedChainEntries(fdr);
    // The chain cannot take another run: refuse before the bitmap is touched.
    if (used == kChainEntries)
        return kDsrOutOfSpace;
    const uint32_t hint = used == 0 ? kFirstDataHint : GetChainEntry(fdr, used - 1).last;
    uint16_t first = 0;
    uint16_t length = 0;
    if (const int32_t result = AllocateAus(hint, want, first, length); result != kDsrOk)
        return result;
    if (const int32_t result = ExtendChain(slot, first, length); result != kDsrOk) {
        ReleaseAus(first, length);
        return result;
    }
    return kDsrOk;
}

} // namespace

int32_t AllocateDataAus(FileSlot &slot, uint32_t wantedAus)
{
    while (ChainAus(slot.fdr.data) < wantedAus) {
        if (const int32_t result = AllocateOneRun(slot, wantedAus - ChainAus(slot.fdr.data));
            result != kDsrOk)
            return result;
    }
    return kDsrOk;
}

int32_t PreallocateSectors(FileSlot &slot, uint32_t sectors)
{
    const uint32_t spa = CurrentVolume().sectorsPerAu;
    if (spa == 0)
        return kDsrDeviceError;
    if (sectors > kMaxFileSectors)
        return kDsrOutOfSpace;
    return AllocateDataAus(slot, (sectors + spa - 1) / spa);
}

int32_t EnsureSectorAllocated(FileSlot &slot, uint32_t n)
{
    const uint32_t spa = CurrentVolume().sectorsPerAu;
    if (spa == 0)
        return kDsrDeviceError;
    if (n >= kMaxFileSectors)
        return kDsrOutOfSpace;
    const uint32_t growth = std::max(1u, 16 / spa);
    while (ChainAus(slot.fdr.data) * spa <= n) {
        if (const int32_t result = AllocateOneRun(slot, growth); result != kDsrOk)
            return result;
    }
    return kDsrOk;
}

} // namespace kestrel::hdlib
