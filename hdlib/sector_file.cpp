// Whole-sector access to files and volumes (ordinals 29 to 34): the way the program copies a
// file into an image sector by sector.
#include "hdlib/chain.h"
#include "hdlib/data_sector.h"
#include "hdlib/directory_edit.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_slots.h"
#include "hdlib/operations.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"
#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

namespace
{

// Checks shared by ordinals 30 and 32; 0 with the volume sector of file sector n.
int32_t PrepareFileSector(FileSlot &slot, FileRequest *request, const char *directoryPath,
                          uint32_t n, uint32_t &volumeSector)
{
    if (!EndsWithDot(directoryPath, kArgumentPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    if (request->sectors == 0)
        FillRequestFromFdr(request, slot);
    if (n >= request->sectors)
        return kDsrFileError;
    if (const int32_t result = FlushDataSector(slot); result != kDsrOk)
        return result;
    if (LocateFileSector(slot, n, volumeSector) != kDsrOk)
        return kDsrDeviceError;
    return kDsrOk;
}

} // namespace

int32_t OpenSectorFile(FileRequest *request, const char *directoryPath, const char *name)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    request->cleared42 = 0;
    if (!EndsWithDot(directoryPath, kArgumentPathLength))
        return kDsrBadAttribute;
    char tiName[10];
    uint16_t index = 0;
    uint16_t au = 0;
    if (!State().image || ResolveDirectory(*slot, directoryPath, kArgumentPathLength) != kDsrOk ||
        ParseTiName(name, tiName) != kDsrOk || LookupFile(*slot, tiName, index, au) != kDsrOk)
        return kDsrFileError;
    FillRequestFromFdr(request, *slot);
    slot->head.openKind = kOpenSectorFile;
    return kDsrOk;
}

int32_t ReadFileSector(FileRequest *request, const char *directoryPath, const char *,
                       uint32_t sector, uint8_t *buffer)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot || !buffer)
        return kDsrIllegalOperation;
    uint32_t volumeSector = 0;
    if (const int32_t result =
            PrepareFileSector(*slot, request, directoryPath, sector, volumeSector);
        result != kDsrOk)
        return result;
    if (ReadVolumeSector(slot->data, volumeSector) != kDsrOk)
        return kDsrDeviceError;
    slot->head.sectorCounter = static_cast<uint16_t>(sector);
    slot->head.bytePosition = 0;
    std::memcpy(buffer, slot->data.data, 256);
    return kDsrOk;
}

int32_t WriteFileSector(FileRequest *request, const char *directoryPath, const char *,
                        uint32_t sector, const uint8_t *buffer)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot || !buffer)
        return kDsrIllegalOperation;
    uint32_t volumeSector = 0;
    if (const int32_t result =
            PrepareFileSector(*slot, request, directoryPath, sector, volumeSector);
        result != kDsrOk)
        return result;
    std::memcpy(slot->data.data, buffer, 256);
    slot->head.sectorCounter = static_cast<uint16_t>(sector);
    slot->head.bytePosition = 0;
    if (const int32_t result = WriteVolumeSector(slot->data, volumeSector); result != kDsrOk)
        return result;
    // The file's last sector ends its run: a write the system refuses is then told with a
    // sector of this file rather than by the close.
    if (sector + 1 == request->sectors && !State().image.Flush())
        return kDsrDeviceError;
    return kDsrOk;
}

int32_t CreateSectorFile(FileRequest *request, const char *directoryPath, const char *name)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    if (!EndsWithDot(directoryPath, kArgumentPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    // Values the FDR cannot hold are refused before anything changes.
    if (request->sectors > 0xFFFF || request->recordLength > 0xFF ||
        request->endOfFileOffset > 0xFF || request->recordsPerSector > 0xFF ||
        request->level3Count > 0xFFFF)
        return kDsrBadAttribute;
    if (const int32_t result = ResolveDirectory(*slot, directoryPath, kArgumentPathLength);
        result != kDsrOk)
        return result;
    char tiName[10];
    if (ParseTiName(name, tiName) != kDsrOk)
        return kDsrFileError;
    uint16_t index = 0;
    uint16_t au = 0;
    const int32_t lookup = LookupFile(*slot, tiName, index, au);
    if (lookup == kNotFound) {
        if (const int32_t result = CreateFileEntry(*slot, tiName, index); result != kDsrOk)
            return result;
    } else if (lookup != kDsrOk) {
        return kDsrFileError;
    } else if (slot->fdr.data[kFdrFlags] & kFlagProtected) {
        return kDsrWriteProtected;
    }
    const int32_t allocated = PreallocateSectors(*slot, request->sectors);
    if (allocated != kDsrOk) {
        // The AUs taken so far belong to the file: its chain is kept on the image.
        WriteBack(slot->fdr);
        slot->head.stateFlags &= static_cast<uint16_t>(~brackenly::kSlotFdrChanged);
        return allocated;
    }
    RewindSlot(*slot);
    uint8_t *fdr = slot->fdr.data;
    fdr[kFdrFlags] = request->flags;
    fdr[kFdrRecordsPerSector] = static_cast<uint8_t>(request->recordsPerSector);
    PutWordBE(fdr, kFdrSectors, static_cast<uint16_t>(request->sectors));
    fdr[kFdrEndOfFile] = static_cast<uint8_t>(request->endOfFileOffset);
    fdr[kFdrRecordLength] = static_cast<uint8_t>(request->recordLength);
    PutWordLE(fdr, kFdrLevel3Count, static_cast<uint16_t>(request->level3Count));
    slot->head.stateFlags &= static_cast<uint16_t>(~brackenly::kSlotFdrChanged);
    slot->head.openKind = kOpenSectorFile;
    return WriteBack(slot->fdr);
}

int32_t ReadVolumeSectorOp(FileRequest *request, uint32_t sector, uint8_t *buffer)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot || !buffer)
        return kDsrIllegalOperation;
    if (!State().image)
        return kDsrDeviceError;
    if (const int32_t result = FlushDataSector(*slot); result != kDsrOk)
        return result;
    RewindSlot(*slot);
    if (ReadVolumeSector(slot->data, sector) != kDsrOk)
        return kDsrDeviceError;
    std::memcpy(buffer, slot->data.data, 256);
    return kDsrOk;
}

int32_t WriteVolumeSectorOp(FileRequest *request, uint32_t sector, const uint8_t *buffer)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot || !buffer)
        return kDsrIllegalOperation;
    if (!State().image)
        return kDsrDeviceError;
    if (const int32_t result = FlushDataSector(*slot); result != kDsrOk)
        return result;
    RewindSlot(*slot);
    std::memcpy(slot->data.data, buffer, 256);
    return WriteVolumeSector(slot->data, sector);
}

} // namespace kestrel::hdlib
