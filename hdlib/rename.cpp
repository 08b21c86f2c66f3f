#include "hdlib/allocation.h"
#include "hdlib/directory_edit.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_index.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"
#include "hdlib/vib.h"

#include <cstring>

namespace kestrel::hdlib
{

namespace
{

// Moves the word at oldIndex to where newIndex (found before the removal) puts it.
void MoveWord(const PointerList &list, int count, uint16_t oldIndex, uint16_t newIndex)
{
    if (oldIndex >= count)
        return;
    const uint16_t au = ListWord(list, oldIndex);
    RemoveWord(list, count, oldIndex);
    const int target = newIndex > oldIndex ? newIndex - 1 : newIndex;
    InsertWord(list, count - 1, target, au);
}

constexpr int32_t kNotMoved = -2; // beside the DSR bytes and kNotFound

// A file whose new name sorts to another place in the index gets a new FDR: the name lives in
// the FDR and the order in the index, two sectors, and changing both in place would leave the
// index out of order if the second write were refused. The copy under the new name is written
// to a free AU first and the index switched to it in one write; the old FDR is let go last.
// kNotMoved when the place stays (one write then suffices) or no AU is free; both are renamed
// in place.
int32_t RenameToNewPlace(FileSlot &slot, uint16_t oldIndex, uint16_t newIndex,
                         const char newName[10])
{
    WorkDirectory &work = State().work;
    if (const int32_t result = LoadWorkFileIndex(); result != kDsrOk)
        return result;
    const PointerList list = FileIndexList(work.fileIndex.data);
    const int count = EffectiveCount(list, WorkFileCount());
    const int target = newIndex > oldIndex ? newIndex - 1 : newIndex;
    if (oldIndex >= count || target == oldIndex)
        return kNotMoved;
    uint16_t newAu = 0;
    uint16_t length = 0;
    if (AllocateAus(kRecordHint, 1, newAu, length) != kDsrOk)
        return kNotMoved;
    const uint16_t oldAu = ListWord(list, oldIndex);
    SectorBuffer copy = slot.fdr;
    std::memcpy(copy.data + kFdrName, newName, 10);
    if (WriteVolumeSector(copy, AuSector(newAu)) != kDsrOk) {
        ReleaseAus(newAu, 1);
        return kDsrDeviceError;
    }
    RemoveWord(list, count, oldIndex);
    InsertWord(list, count - 1, target, newAu);
    if (WriteBack(work.fileIndex) != kDsrOk)
        return kDsrDeviceError;
    slot.fdr = copy;
    return ReleaseAus(oldAu, 1) == kDsrOk ? kDsrOk : kDsrDeviceError;
}

} // namespace

int32_t RenameFileEntry(FileSlot &slot, uint16_t oldIndex, uint16_t newIndex,
                        const char newName[10])
{
    if (slot.fdr.data[kFdrFlags] & kFlagProtected)
        return kDsrWriteProtected;
    if (const int32_t moved = RenameToNewPlace(slot, oldIndex, newIndex, newName);
        moved != kNotMoved)
        return moved;
    std::memcpy(slot.fdr.data + kFdrName, newName, 10);
    if (WriteBack(slot.fdr) != kDsrOk)
        return kDsrDeviceError;
    WorkDirectory &work = State().work;
    if (const int32_t result = LoadWorkFileIndex(); result != kDsrOk)
        return result;
    const PointerList list = FileIndexList(work.fileIndex.data);
    MoveWord(list, EffectiveCount(list, WorkFileCount()), oldIndex, newIndex);
    return WriteBack(work.fileIndex);
}

int32_t RenameSubdirectory(SectorBuffer &ddr, uint16_t oldIndex, uint16_t newIndex,
                           const char newName[10])
{
    std::memcpy(ddr.data + kVibName, newName, 10);
    if (WriteBack(ddr) != kDsrOk)
        return kDsrDeviceError;
    WorkDirectory &work = State().work;
    const PointerList list = SubdirectoryList(work.record.data);
    MoveWord(list, EffectiveCount(list, WorkSubdirCount()), oldIndex, newIndex);
    return WriteBack(work.record);
}

} // namespace kestrel::hdlib

#include "hdlib/operations.h"

namespace kestrel::hdlib
{

namespace
{

// Resolves the directory and both names; 0 with the padded names.
int32_t PrepareRename(FileSlot &slot, const char *directoryPath, const char *newName,
                      const char *oldName, char newTiName[10], char oldTiName[10])
{
    if (const int32_t result = ResolveNamedEntry(slot, directoryPath, newName, newTiName);
        result != kDsrOk)
        return result;
    if (ParseTiName(oldName, oldTiName) != kDsrOk)
        return kDsrFileError;
    return kDsrOk;
}

} // namespace

int32_t RenameFile(FileRequest *request, const char *directoryPath, const char *newName,
                   const char *oldName)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    char newTiName[10];
    char oldTiName[10];
    if (const int32_t result =
            PrepareRename(*slot, directoryPath, newName, oldName, newTiName, oldTiName);
        result != kDsrOk)
        return result;
    uint16_t newIndex = 0;
    uint16_t oldIndex = 0;
    uint16_t au = 0;
    int32_t result = LookupFile(*slot, newTiName, newIndex, au);
    if (result == kDsrOk)
        return kDsrFileError; // the new name exists (in any letter case)
    if (result != kNotFound)
        return result;
    result = LookupFile(*slot, oldTiName, oldIndex, au);
    if (result == kNotFound)
        return kDsrFileError;
    if (result != kDsrOk)
        return result;
    return RenameFileEntry(*slot, oldIndex, newIndex, newTiName);
}

int32_t RenameDirectory(FileRequest *request, const char *directoryPath, const char *newName,
                        const char *oldName)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    char newTiName[10];
    char oldTiName[10];
    if (const int32_t result =
            PrepareRename(*slot, directoryPath, newName, oldName, newTiName, oldTiName);
        result != kDsrOk)
        return result;
    SectorBuffer ddr;
    uint16_t newIndex = 0;
    uint16_t oldIndex = 0;
    uint16_t au = 0;
    int32_t result = LookupSubdirectory(newTiName, ddr, newIndex, au);
    if (result == kDsrOk)
        return kDsrFileError;
    if (result != kNotFound)
        return result;
    result = LookupSubdirectory(oldTiName, ddr, oldIndex, au);
    if (result == kNotFound)
        return kDsrFileError;
    if (result != kDsrOk)
        return result;
    return RenameSubdirectory(ddr, oldIndex, newIndex, newTiName);
}

} // namespace kestrel::hdlib
