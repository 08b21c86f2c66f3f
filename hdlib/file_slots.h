// The six file slots: finding a request's slot, resetting it before a path operation, and
// writing back what an open file still holds.
#pragma once

#include "hdlib/volume.h"

namespace kestrel::hdlib
{

enum OpenKind : uint16_t {
    kOpenNone = 0,
    kOpenRecordFile = 1,
    kOpenProgramRead = 2,
    kOpenProgramWrite = 3,
    kOpenSectorFile = 4,
};

// The slot named by request offset 0, recorded as used by the request; null for a null
// request or a slot number outside 0 to 5 (callers answer 96 and touch nothing).
FileSlot *SlotOf(FileRequest *request);

// Clears the state fields (state flags to chain position) and the open kind. Pending FDR and
// data sectors are dropped: callers write them back first when they want them kept.
void ResetSlotState(FileSlot &slot);

// Writes the FDR back when 0x100 or 0x400 is set and the data sector when 0x200 is set,
// then clears those flags. Each result is 0 or 192.
void WriteBackSlot(FileSlot &slot, int32_t &fdrResult, int32_t &dataResult);

// Ordinal 12: writes back, marks the request closed and frees the slot. Answers status when
// non-zero, else the FDR write result, else the data write result.
int32_t CloseSlot(FileSlot &slot, FileRequest *request, int32_t status);

// Numbers the slots 0 to 5 and clears everything in them.
void ClearAllSlots();

} // namespace kestrel::hdlib
