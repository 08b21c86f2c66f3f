// FIXED and VARIABLE record files (ordinals 11, 13, 14, 15, 22, 23).
//
// A VARIABLE sector holds records as a length byte and the data, closed by a 0xFF mark; the
// level-3 count is the number of sectors in use and the end-of-file offset is the position of
// the mark in the last one. FIXED records are packed 256 / length to a sector; the level-3
// count is the number of records.
#include "hdlib/data_sector.h"
#include "hdlib/directory_edit.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_slots.h"
#include "hdlib/operations.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"

#include <cstring>

namespace kestrel::hdlib
{

using brackenly::kOpenAppend;
using brackenly::kOpenInput;
using brackenly::kOpenInternal;
using brackenly::kOpenModeMask;
using brackenly::kOpenOutput;
using brackenly::kOpenRelative;
using brackenly::kOpenUpdate;
using brackenly::kOpenVariable;

namespace
{

constexpr uint32_t kMaxVariableRecord = 254;
constexpr uint32_t kMaxFixedRecord = 255;
constexpr uint32_t kDefaultRecordLength = 80;

uint8_t Mode(const FileSlot &slot)
{
    return static_cast<uint8_t>(slot.head.stateFlags & kOpenModeMask);
}

bool Variable(const FileSlot &slot)
{
    return (slot.fdr.data[kFdrFlags] & kFlagVariable) != 0;
}

uint8_t RecordLength(const FileSlot &slot)
{
    return slot.fdr.data[kFdrRecordLength];
}

// A failed guard of an open file closes it, as ordinal 12 would, and answers the error.
int32_t Fail(FileSlot &slot, FileRequest *request, int32_t error)
{
    return CloseSlot(slot, request, error);
}

void SetAttributes(FileSlot &slot, uint8_t typeFlags, uint32_t recordLength)
{
    uint8_t *fdr = slot.fdr.data;
    fdr[kFdrFlags] = typeFlags;
    fdr[kFdrRecordLength] = static_cast<uint8_t>(recordLength);
    fdr[kFdrRecordsPerSector] = static_cast<uint8_t>(
        (typeFlags & kFlagVariable) ? 255 / (recordLength + 1) : 256 / recordLength);
    slot.head.stateFlags |= brackenly::kSlotFdrChanged;
}

// The end of a VARIABLE file: the last sector in use and, in it, the mark or the offset.
bool VariableAtEnd(const FileSlot &slot)
{
    const uint16_t level3 = FdrLevel3(slot);
    if (level3 == 0)
        return true;
    if (!SectorLoaded(slot) || slot.head.sectorCounter + 1u < level3)
        return false;
    const uint32_t pos = slot.head.bytePosition;
    const uint8_t eof = slot.fdr.data[kFdrEndOfFile];
    return pos > 255 || slot.data.data[pos] == 0xFF || (eof != 0 && pos >= eof);
}

int32_t ReadVariable(FileSlot &slot, FileRequest *request, uint8_t *out)
{
    const uint16_t level3 = FdrLevel3(slot);
    // Each pass moves one sector on; the level-3 count bounds the walk.
    for (;;) {
        const uint32_t pos = slot.head.bytePosition;
        if (SectorLoaded(slot) && pos <= 255 && slot.data.data[pos] != 0xFF)
            break;
        const uint32_t next = SectorLoaded(slot) ? slot.head.sectorCounter + 1u : 0;
        if (next >= level3) {
            slot.head.endFlag = 1;
            return Fail(slot, request, kDsrEndOfFile);
        }
        if (const int32_t result = LoadDataSector(slot, next); result != kDsrOk)
            return Fail(slot, request, result);
    }
    const uint32_t pos = slot.head.bytePosition;
    const uint32_t length = slot.data.data[pos];
    if (pos + 1 + length > 256)
        return Fail(slot, request, kDsrDeviceError); // a record running off its sector
    out[0] = static_cast<uint8_t>(length);
    std::memcpy(out + 1, slot.data.data + pos + 1, length);
    slot.head.bytePosition = static_cast<uint16_t>(pos + 1 + length);
    ++slot.head.recordNumber;
    if (VariableAtEnd(slot))
        slot.head.endFlag = 1;
    return kDsrOk;
}

uint32_t CurrentRecord(const FileSlot &slot, const FileRequest *request)
{
    return slot.head.fixedPosition ? request->recordNumber : slot.head.recordNumber;
}

void AdvanceRecord(FileSlot &slot, FileRequest *request, uint32_t record)
{
    slot.head.recordNumber = static_cast<uint16_t>(record + 1);
    if (slot.head.fixedPosition)
        request->recordNumber = record + 1;
}

int32_t ReadFixed(FileSlot &slot, FileRequest *request, uint8_t *out)
{
    const uint32_t length = RecordLength(slot);
    if (length == 0)
        return Fail(slot, request, kDsrDeviceError);
    const uint32_t perSector = 256 / length;
    const uint32_t record = CurrentRecord(slot, request);
    const uint16_t level3 = FdrLevel3(slot);
    if (record >= level3) {
        slot.head.endFlag = 1;
        return Fail(slot, request, kDsrEndOfFile);
    }
    if (const int32_t result = LoadDataSector(slot, record / perSector); result != kDsrOk)
        return Fail(slot, request, result);
    const uint32_t offset = (record % perSector) * length;
    out[0] = static_cast<uint8_t>(length);
    std::memcpy(out + 1, slot.data.data + offset, length);
    slot.head.bytePosition = static_cast<uint16_t>(offset + length);
    AdvanceRecord(slot, request, record);
    slot.head.endFlag = record + 1 >= level3 ? 1 : 0;
    return kDsrOk;
}

int32_t WriteVariable(FileSlot &slot, const uint8_t *data, uint32_t length)
{
    if (!SectorLoaded(slot) || slot.head.bytePosition + length > kMaxVariableRecord) {
        const uint32_t next = SectorLoaded(slot) ? slot.head.sectorCounter + 1u : 0;
        if (const int32_t result = StartDataSector(slot, next); result != kDsrOk)
            return result;
    }
    uint8_t *sector = slot.data.data;
    const uint32_t pos = slot.head.bytePosition;
    sector[pos] = static_cast<uint8_t>(length);
    if (length > 0)
        std::memcpy(sector + pos + 1, data, length);
    const uint32_t end = pos + 1 + length;
    sector[end] = 0xFF;
    slot.head.bytePosition = static_cast<uint16_t>(end);
    slot.head.stateFlags |= brackenly::kSlotDataChanged;
    const uint16_t inUse = static_cast<uint16_t>(slot.head.sectorCounter + 1);
    SetFdrSectors(slot, inUse);
    SetFdrLevel3(slot, inUse);
    SetFdrEndOfFile(slot, static_cast<uint8_t>(end));
    ++slot.head.recordNumber;
    return kDsrOk;
}

int32_t WriteFixed(FileSlot &slot, FileRequest *request, const uint8_t *data, uint32_t length)
{
    const uint32_t recordLength = RecordLength(slot);
    const uint32_t perSector = 256 / recordLength;
    const uint32_t record = CurrentRecord(slot, request);
    const uint32_t sector = record / perSector;
    if (record >= 0xFFFF || sector >= 0xFFFF)
        return kDsrOutOfSpace;
    const uint32_t inUse = FdrSectors(slot);
    if (sector < inUse) {
        if (const int32_t result = LoadDataSector(slot, sector); result != kDsrOk)
            return result;
    } else if (!(SectorLoaded(slot) && slot.head.sectorCounter == sector)) {
        // Sectors between the old end and the record are written as zeros, so that no
        // record of the file ever shows what the AU held before.
        for (uint32_t s = inUse; s <= sector; ++s) {
            if (const int32_t result = StartDataSector(slot, s); result != kDsrOk)
                return result;
            SetFdrSectors(slot, static_cast<uint16_t>(s + 1));
        }
    }
    const uint32_t offset = (record % perSector) * recordLength;
    std::memset(slot.data.data + offset, 0, recordLength);
    if (length > 0)
        std::memcpy(slot.data.data + offset, data, length);
    slot.head.bytePosition = static_cast<uint16_t>(offset + recordLength);
    slot.head.stateFlags |= brackenly::kSlotDataChanged;
    if (record + 1 > FdrLevel3(slot))
        SetFdrLevel3(slot, static_cast<uint16_t>(record + 1));
    AdvanceRecord(slot, request, record);
    return kDsrOk;
}

// Moves an APPEND open of a VARIABLE file behind its last record.
int32_t PositionForAppend(FileSlot &slot)
{
    const uint16_t level3 = FdrLevel3(slot);
    if (level3 == 0)
        return kDsrOk;
    if (const int32_t result = LoadDataSector(slot, level3 - 1u); result != kDsrOk)
        return result;
    const uint8_t eof = slot.fdr.data[kFdrEndOfFile];
    uint32_t pos = 0;
    if (eof != 0 && eof <= kMaxVariableRecord + 1) {
        pos = eof;
    } else {
        // No usable offset: walk the records up to the mark.
        while (pos <= 255 && slot.data.data[pos] != 0xFF)
            pos += 1u + slot.data.data[pos];
    }
    slot.head.bytePosition = static_cast<uint16_t>(pos > 256 ? 256 : pos);
    return kDsrOk;
}

} // namespace

int32_t OpenRecordFile(FileRequest *request)
{
    const bool mustExist = request && request->mustExist != 0;
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    const uint8_t flags = request->flags;
    const bool variable = (flags & kOpenVariable) != 0;
    const bool relative = (flags & kOpenRelative) != 0;
    const uint8_t mode = flags & kOpenModeMask;
    uint32_t length = request->recordLength;
    if (variable && (relative || length > kMaxVariableRecord))
        return kDsrBadAttribute;
    if (!variable && (mode == kOpenAppend || length > kMaxFixedRecord))
        return kDsrBadAttribute;
    if (EndsWithDot(request->path, kRequestPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;

    const uint8_t typeFlags = static_cast<uint8_t>((variable ? kFlagVariable : 0) |
                                                   ((flags & kOpenInternal) ? kFlagInternal : 0));
    Resolved resolved;
    const int32_t result = ResolvePath(*slot, request->path, kRequestPathLength, resolved);
    if (result == kNotFound) {
        if (mustExist)
            return kDsrFileError;
        if (mode == kOpenInput)
            return kDsrBadAttribute;
        if (const int32_t created = CreateFileEntry(*slot, resolved.name, resolved.index);
            created != kDsrOk)
            return created;
        SetAttributes(*slot, typeFlags, length == 0 ? kDefaultRecordLength : length);
    } else if (result != kDsrOk) {
        return result;
    } else {
        uint8_t *fdr = slot->fdr.data;
        if ((fdr[kFdrFlags] & kFlagProtected) && (mode == kOpenOutput || mode == kOpenAppend))
            return kDsrWriteProtected;
        const bool otherKind = (fdr[kFdrFlags] & kFlagTypeMask) != typeFlags ||
                               (length != 0 && length != fdr[kFdrRecordLength]) ||
                               fdr[kFdrRecordLength] == 0;
        if (otherKind) {
            if (mode != kOpenOutput)
                return kDsrBadAttribute;
            SetFdrSectors(*slot, 0);
            SetFdrEndOfFile(*slot, 0);
            SetFdrLevel3(*slot, 0);
            fdr[kFdrRecordLength] = 0;
            SetAttributes(*slot, typeFlags, length == 0 ? kDefaultRecordLength : length);
        }
    }
    request->recordLength = RecordLength(*slot);
    slot->head.stateFlags = static_cast<uint16_t>((slot->head.stateFlags & 0xFF00) |
                                                  (flags & (kOpenModeMask | kOpenRelative)));
    slot->head.openKind = kOpenRecordFile;
    slot->head.recordNumber = 0;
    if (mode == kOpenOutput) {
        SetFdrSectors(*slot, 0);
        SetFdrEndOfFile(*slot, 0);
        SetFdrLevel3(*slot, 0);
        slot->head.endFlag = 1;
    }
    if (mode == kOpenUpdate)
        slot->head.updateFlag = 1;
    if (relative)
        slot->head.fixedPosition = 1;
    if (mode == kOpenInput && FdrLevel3(*slot) == 0)
        slot->head.endFlag = 1;
    if (mode == kOpenAppend) {
        if (const int32_t positioned = PositionForAppend(*slot); positioned != kDsrOk)
            return positioned;
    }
    return kDsrOk;
}

int32_t ReadRecord(FileRequest *request, uint8_t *lengthThenData)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    const uint8_t mode = Mode(*slot);
    if (slot->head.openKind != kOpenRecordFile || !lengthThenData ||
        (mode != kOpenInput && mode != kOpenUpdate))
        return Fail(*slot, request, kDsrIllegalOperation);
    // A relative file reads the record it is told to, so an earlier end does not hold.
    if (slot->head.fixedPosition)
        slot->head.endFlag = request->recordNumber >= FdrLevel3(*slot) ? 1 : 0;
    if (slot->head.endFlag)
        return Fail(*slot, request, kDsrEndOfFile);
    return Variable(*slot) ? ReadVariable(*slot, request, lengthThenData)
                           : ReadFixed(*slot, request, lengthThenData);
}

int32_t WriteRecord(FileRequest *request, const uint8_t *data, int32_t length)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    if (slot->head.openKind != kOpenRecordFile || Mode(*slot) == kOpenInput ||
        request->isDirectory != 0 || length < 0 ||
        static_cast<uint32_t>(length) > RecordLength(*slot) || (length > 0 && !data) ||
        RecordLength(*slot) == 0)
        return Fail(*slot, request, kDsrIllegalOperation);
    if (Variable(*slot)) {
        // A VARIABLE file ends behind the record just written.
        slot->head.endFlag = 1;
        return WriteVariable(*slot, data, static_cast<uint32_t>(length));
    }
    const int32_t result = WriteFixed(*slot, request, data, static_cast<uint32_t>(length));
    slot->head.endFlag = slot->head.recordNumber >= FdrLevel3(*slot) ? 1 : 0;
    return result;
}

int32_t Restore(FileRequest *request, int32_t recordNumber)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    const uint8_t mode = Mode(*slot);
    if (slot->head.openKind != kOpenRecordFile || (mode != kOpenInput && mode != kOpenUpdate) ||
        EndsWithDot(request->path, kRequestPathLength))
        return Fail(*slot, request, kDsrIllegalOperation);
    if (const int32_t result = FlushDataSector(*slot); result != kDsrOk)
        return result;
    const uint16_t level3 = FdrLevel3(*slot);
    if (slot->head.fixedPosition && !Variable(*slot)) {
        slot->head.endFlag = (recordNumber < 0 || static_cast<uint32_t>(recordNumber) >= level3);
        return kDsrOk;
    }
    RewindSlot(*slot);
    slot->head.recordNumber = 0;
    slot->head.endFlag = level3 == 0 ? 1 : 0;
    return kDsrOk;
}

int32_t EndOfFile(FileRequest *request)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    return slot->head.endFlag ? 1 : 0;
}

int32_t IsProtected(FileRequest *request)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot)
        return kDsrIllegalOperation;
    return (slot->fdr.data[kFdrFlags] & kFlagProtected) ? 1 : 0;
}

} // namespace kestrel::hdlib
