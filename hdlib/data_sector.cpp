#include "hdlib/data_sector.h"

#include "hdlib/chain.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/sector_io.h"
#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

bool SectorLoaded(const FileSlot &slot)
{
    return slot.head.sectorCounter != kNoSector;
}

void RewindSlot(FileSlot &slot)
{
    slot.head.sectorCounter = kNoSector;
    slot.head.bytePosition = 256;
    slot.head.chainPosition = nullptr;
    slot.head.currentAu = 0;
    slot.head.sectorInAu = 0;
}

int32_t FlushDataSector(FileSlot &slot)
{
    if (!(slot.head.stateFlags & brackenly::kSlotDataChanged))
        return kDsrOk;
    slot.head.stateFlags &= static_cast<uint16_t>(~brackenly::kSlotDataChanged);
    return WriteBack(slot.data);
}

int32_t LoadDataSector(FileSlot &slot, uint32_t n)
{
    if (SectorLoaded(slot) && slot.head.sectorCounter == n)
        return kDsrOk;
    if (const int32_t result = FlushDataSector(slot); result != kDsrOk)
        return result;
    uint32_t volumeSector = 0;
    if (n >= kNoSector || LocateFileSector(slot, n, volumeSector) != kDsrOk) {
        RewindSlot(slot);
        return kDsrDeviceError;
    }
    if (ReadVolumeSector(slot.data, volumeSector) != kDsrOk) {
        RewindSlot(slot);
        return kDsrDeviceError;
    }
    slot.head.sectorCounter = static_cast<uint16_t>(n);
    slot.head.bytePosition = 0;
    return kDsrOk;
}

int32_t StartDataSector(FileSlot &slot, uint32_t n)
{
    if (const int32_t result = FlushDataSector(slot); result != kDsrOk)
        return result;
    if (const int32_t result = EnsureSectorAllocated(slot, n); result != kDsrOk)
        return result;
    uint32_t volumeSector = 0;
    if (LocateFileSector(slot, n, volumeSector) != kDsrOk)
        return kDsrDeviceError;
    std::memset(slot.data.data, 0, sizeof slot.data.data);
    slot.data.volumeSector = volumeSector;
    slot.head.sectorCounter = static_cast<uint16_t>(n);
    slot.head.bytePosition = 0;
    slot.head.stateFlags |= brackenly::kSlotDataChanged;
    return kDsrOk;
}

uint16_t FdrSectors(const FileSlot &slot)
{
    return GetWordBE(slot.fdr.data, kFdrSectors);
}

uint16_t FdrLevel3(const FileSlot &slot)
{
    return GetWordLE(slot.fdr.data, kFdrLevel3Count);
}

void SetFdrSectors(FileSlot &slot, uint16_t sectors)
{
    PutWordBE(slot.fdr.data, kFdrSectors, sectors);
    slot.head.stateFlags |= brackenly::kSlotFdrChanged;
}

void SetFdrLevel3(FileSlot &slot, uint16_t count)
{
    PutWordLE(slot.fdr.data, kFdrLevel3Count, count);
    slot.head.stateFlags |= brackenly::kSlotCountChanged;
}

void SetFdrEndOfFile(FileSlot &slot, uint8_t offset)
{
    slot.fdr.data[kFdrEndOfFile] = offset;
    slot.head.stateFlags |= brackenly::kSlotFdrChanged;
}

void FillRequestFromFdr(FileRequest *request, const FileSlot &slot)
{
    const uint8_t *fdr = slot.fdr.data;
    request->flags = fdr[kFdrFlags];
    request->recordLength = fdr[kFdrRecordLength];
    request->sectors = GetWordBE(fdr, kFdrSectors);
    request->endOfFileOffset = fdr[kFdrEndOfFile];
    request->level3Count = GetWordLE(fdr, kFdrLevel3Count);
    request->recordsPerSector = fdr[kFdrRecordsPerSector];
}

} // namespace kestrel::hdlib
