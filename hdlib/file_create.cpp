#include "hdlib/allocation.h"
#include "hdlib/ddr.h"
#include "hdlib/directory_edit.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_index.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"
#include "hdlib/vib.h"
#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

int32_t CreateFileEntry(FileSlot &slot, const char name[10], uint16_t index)
{
    WorkDirectory &work = State().work;
    if (const int32_t result = LoadWorkFileIndex(); result != kDsrOk)
        return result;
    if (work.record.data[kDirFileCount] > kMaxFiles - 1)
        return kDsrOutOfSpace;
    const PointerList list = FileIndexList(work.fileIndex.data);
    const int count = EffectiveCount(list, WorkFileCount());
    if (count >= kMaxFiles)
        return kDsrOutOfSpace;

    uint16_t fdrAu = 0;
    uint16_t length = 0;
    if (const int32_t result = AllocateAus(kRecordHint, 1, fdrAu, length); result != kDsrOk)
        return result;
    const uint16_t fileIndexAu = GetWordBE(work.record.data, kDirFileIndexAu);
    BuildFdr(slot.fdr.data, name, fileIndexAu);
    if (WriteVolumeSector(slot.fdr, AuSector(fdrAu)) != kDsrOk) {
        ReleaseAus(fdrAu, 1);
        return kDsrDeviceError;
    }
    // The count grows before the index names the file: readers take the shorter of the two,
    // so a write refused between them hides nothing. The other order would drop the last
    // file of the directory from view.
    work.record.data[kDirFileCount] = static_cast<uint8_t>(count + 1);
    if (WriteBack(work.record) != kDsrOk)
        return kDsrDeviceError;
    InsertWord(list, count, index, fdrAu);
    if (WriteBack(work.fileIndex) != kDsrOk)
        return kDsrDeviceError;
    slot.head.index = static_cast<uint16_t>(index > count ? count : index);
    return kDsrOk;
}

int32_t CreateSubdirectory(const char name[10], uint16_t index)
{
    WorkDirectory &work = State().work;
    if (work.record.data[kDirSubdirCount] > kMaxSubdirs - 1)
        return kDsrOutOfSpace;
    const PointerList list = SubdirectoryList(work.record.data);
    const int count = EffectiveCount(list, WorkSubdirCount());
    if (count >= kMaxSubdirs)
        return kDsrOutOfSpace;

    uint16_t ddrAu = 0;
    uint16_t fileIndexAu = 0;
    uint16_t length = 0;
    if (const int32_t result = AllocateAus(kRecordHint, 1, ddrAu, length); result != kDsrOk)
        return result;
    if (const int32_t result = AllocateAus(kRecordHint, 1, fileIndexAu, length); result != kDsrOk) {
        ReleaseAus(ddrAu, 1);
        return result;
    }
    SectorBuffer sector;
    std::memset(sector.data, 0, sizeof sector.data);
    int32_t result = WriteVolumeSector(sector, AuSector(fileIndexAu));
    if (result == kDsrOk) {
        BuildDdr(sector.data, name, CurrentVolume().totalAus, fileIndexAu, WorkDirectoryAu());
        result = WriteVolumeSector(sector, AuSector(ddrAu));
    }
    if (result != kDsrOk) {
        ReleaseAus(ddrAu, 1);
        ReleaseAus(fileIndexAu, 1);
        return kDsrDeviceError;
    }
    InsertWord(list, count, index, ddrAu);
    work.record.data[kDirSubdirCount] = static_cast<uint8_t>(count + 1);
    return WriteBack(work.record);
}

} // namespace kestrel::hdlib

#include "hdlib/operations.h"

namespace kestrel::hdlib
{

int32_t CreateDirectory(FileRequest *request, const char *directoryPath, const char *name)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    char tiName[10];
    if (const int32_t result = ResolveNamedEntry(*slot, directoryPath, name, tiName);
        result != kDsrOk)
        return result;
    SectorBuffer probe;
    uint16_t index = 0;
    uint16_t au = 0;
    const int32_t result = LookupSubdirectory(tiName, probe, index, au);
    if (result == kDsrOk)
        return kDsrFileError; // exists
    if (result != kNotFound)
        return result;
    return CreateSubdirectory(tiName, index);
}

} // namespace kestrel::hdlib
