// PROGRAM files as byte streams (ordinals 16 to 19).
#include "hdlib/chain.h"
#include "hdlib/data_sector.h"
#include "hdlib/directory_edit.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_slots.h"
#include "hdlib/operations.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"

#include <algorithm>
#include <cstring>

namespace kestrel::hdlib
{

namespace
{

uint32_t SizeOf(const FileSlot &slot)
{
    return ProgramSize(FdrSectors(slot), slot.fdr.data[kFdrEndOfFile]);
}

// Bytes of the file before the slot's position.
uint32_t BytesBefore(const FileSlot &slot)
{
    if (!SectorLoaded(slot))
        return 0;
    return slot.head.sectorCounter * 256u + slot.head.bytePosition;
}

} // namespace

int32_t OpenProgramRead(FileRequest *request)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    if (EndsWithDot(request->path, kRequestPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    Resolved resolved;
    const int32_t result = ResolvePath(*slot, request->path, kRequestPathLength, resolved);
    if (result == kNotFound)
        return kDsrFileError;
    if (result != kDsrOk)
        return result;
    if (!(slot->fdr.data[kFdrFlags] & kFlagProgram))
        return kDsrBadAttribute;
    request->sectors = FdrSectors(*slot);
    request->endOfFileOffset = slot->fdr.data[kFdrEndOfFile];
    request->level3Count = FdrLevel3(*slot);
    request->programSize = SizeOf(*slot);
    request->zero20 = 0;
    request->zero40 = 0;
    slot->head.stateFlags = brackenly::kOpenInput;
    slot->head.openKind = kOpenProgramRead;
    return kDsrOk;
}

int32_t ReadProgram(FileRequest *request, uint8_t *buffer)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    if (slot->head.openKind != kOpenProgramRead || !buffer)
        return CloseSlot(*slot, request, kDsrIllegalOperation);
    if (slot->head.endFlag)
        return CloseSlot(*slot, request, kDsrEndOfFile);
    const uint32_t wanted = request->recordLength & 0xFFFF;
    const uint32_t size = SizeOf(*slot);
    uint32_t got = 0;
    while (got < wanted && BytesBefore(*slot) < size) {
        if (!SectorLoaded(*slot) || slot->head.bytePosition >= 256) {
            const uint32_t next = SectorLoaded(*slot) ? slot->head.sectorCounter + 1u : 0;
            if (const int32_t result = LoadDataSector(*slot, next); result != kDsrOk) {
                request->recordLength = got;
                return result;
            }
        }
        const uint32_t pos = slot->head.bytePosition;
        const uint32_t chunk = std::min({wanted - got, 256 - pos, size - BytesBefore(*slot)});
        std::memcpy(buffer + got, slot->data.data + pos, chunk);
        slot->head.bytePosition = static_cast<uint16_t>(pos + chunk);
        got += chunk;
    }
    request->recordLength = got;
    if (got < wanted)
        slot->head.endFlag = 1;
    return kDsrOk;
}

int32_t OpenProgramWrite(FileRequest *request, int32_t sectors)
{
    const bool mustExist = request && request->mustExist != 0;
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    if (EndsWithDot(request->path, kRequestPathLength))
        return kDsrBadAttribute;
    if (sectors < 0 || sectors > 0xFFFF)
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    Resolved resolved;
    const int32_t result = ResolvePath(*slot, request->path, kRequestPathLength, resolved);
    if (result == kNotFound) {
        if (mustExist)
            return kDsrFileError;
        if (const int32_t created = CreateFileEntry(*slot, resolved.name, resolved.index);
            created != kDsrOk)
            return created;
    } else if (result != kDsrOk) {
        return result;
    } else if (slot->fdr.data[kFdrFlags] & kFlagProtected) {
        return kDsrWriteProtected;
    }
    uint8_t *fdr = slot->fdr.data;
    fdr[kFdrFlags] = kFlagProgram;
    fdr[kFdrRecordsPerSector] = 0;
    fdr[kFdrRecordLength] = 0;
    SetFdrSectors(*slot, 0);
    SetFdrEndOfFile(*slot, 0);
    SetFdrLevel3(*slot, 0);
    slot->head.stateFlags =
        static_cast<uint16_t>((slot->head.stateFlags & 0xFF00) | brackenly::kOpenOutput);
    slot->head.openKind = kOpenProgramWrite;
    if (sectors > 0) {
        if (const int32_t allocated = PreallocateSectors(*slot, static_cast<uint32_t>(sectors));
            allocated != kDsrOk)
            return allocated; // the slot stays open; closing writes the AUs taken so far
    }
    return kDsrOk;
}

int32_t WriteProgram(FileRequest *request, const uint8_t *data, int32_t length)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    if (slot->head.openKind != kOpenProgramWrite || length < 0 || (length > 0 && !data))
        return CloseSlot(*slot, request, kDsrIllegalOperation);
    uint32_t done = 0;
    const uint32_t total = static_cast<uint32_t>(length);
    while (done < total) {
        if (!SectorLoaded(*slot) || slot->head.bytePosition >= 256) {
            const uint32_t next = SectorLoaded(*slot) ? slot->head.sectorCounter + 1u : 0;
            if (const int32_t result = StartDataSector(*slot, next); result != kDsrOk)
                return result;
        }
        const uint32_t pos = slot->head.bytePosition;
        const uint32_t chunk = std::min(total - done, 256 - pos);
        std::memcpy(slot->data.data + pos, data + done, chunk);
        slot->head.bytePosition = static_cast<uint16_t>(pos + chunk);
        slot->head.stateFlags |= brackenly::kSlotDataChanged;
        done += chunk;
        SetFdrSectors(*slot, static_cast<uint16_t>(slot->head.sectorCounter + 1));
        SetFdrEndOfFile(*slot, static_cast<uint8_t>(slot->head.bytePosition & 0xFF));
    }
    return kDsrOk;
}

} // namespace kestrel::hdlib
