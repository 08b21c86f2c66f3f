#include "hdlib/file_slots.h"

#include "hdlib/dsr.h"
#include "hdlib/sector_io.h"

#include <cstring>

namespace kestrel::hdlib
{

FileSlot *SlotOf(FileRequest *request)
{
    if (!request || request->slot < 0 || request->slot >= brackenly::kSlotCount)
        return nullptr;
    FileSlot &slot = State().slots[request->slot];
    slot.head.request = request;
    return &slot;
}

void ResetSlotState(FileSlot &slot)
{
    slot.head.stateFlags = 0;
    slot.head.recordNumber = 0;
    slot.head.endFlag = 0;
    slot.head.fixedPosition = 0;
    slot.head.updateFlag = 0;
    slot.head.bytePosition = 256;
    slot.head.sectorCounter = 0xFFFF;
    slot.head.chainPosition = nullptr;
    slot.head.currentAu = 0;
    slot.head.sectorInAu = 0;
    slot.head.openKind = kOpenNone;
}

void WriteBackSlot(FileSlot &slot, int32_t &fdrResult, int32_t &dataResult)
{
    fdrResult = kDsrOk;
    dataResult = kDsrOk;
    if (slot.head.stateFlags & (brackenly::kSlotFdrChanged | brackenly::kSlotCountChanged))
        fdrResult = WriteBack(slot.fdr);
    if (slot.head.stateFlags & brackenly::kSlotDataChanged)
        dataResult = WriteBack(slot.data);
    slot.head.stateFlags &= static_cast<uint16_t>(
        ~(brackenly::kSlotFdrChanged | brackenly::kSlotDataChanged | brackenly::kSlotCountChanged));
}

int32_t CloseSlot(FileSlot &slot, FileRequest *request, int32_t status)
{
    int32_t fdrResult = kDsrOk;
    int32_t dataResult = kDsrOk;
    WriteBackSlot(slot, fdrResult, dataResult);
    if (request)
        request->status = 'C';
    slot.head.openKind = kOpenNone;
    if (status != 0)
        return status;
    return fdrResult != 0 ? fdrResult : dataResult;
}

void ClearAllSlots()
{
    for (int i = 0; i < brackenly::kSlotCount; ++i) {
        FileSlot &slot = State().slots[i];
        std::memset(&slot, 0, sizeof slot);
        ResetSlotState(slot);
        slot.head.slotNumber = static_cast<uint16_t>(i);
    }
}

} // namespace kestrel::hdlib

#include "hdlib/operations.h"

namespace kestrel::hdlib
{

FileSlot *BeginRequest(FileRequest *request, bool resetForPath)
{
    FileSlot *slot = SlotOf(request);
    if (!slot)
        return nullptr;
    request->mustExist = 0;
    if (resetForPath) {
        int32_t fdrResult = 0;
        int32_t dataResult = 0;
        WriteBackSlot(*slot, fdrResult, dataResult);
        ResetSlotState(*slot);
    }
    return slot;
}

int32_t Close(FileRequest *request, int32_t status)
{
    FileSlot *slot = SlotOf(request);
    if (!slot)
        return kDsrIllegalOperation;
    request->mustExist = 0;
    return CloseSlot(*slot, request, status);
}

} // namespace kestrel::hdlib
