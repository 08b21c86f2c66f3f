#include "hdlib/allocation.h"
#include "hdlib/directory_edit.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_index.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"
#include "hdlib/vib.h"
#include "tifs/byte_order.h"

namespace kestrel::hdlib
{

void ReleaseChain(const uint8_t *fdr)
{
    for (int k = 0; k < kChainEntries; ++k) {
        const ChainEntry entry = GetChainEntry(fdr, k);
        if (entry.first == 0 || entry.last < entry.first)
            break;
        ReleaseAus(entry.first, entry.last - entry.first + 1u);
    }
}

int32_t DeleteFileEntry(FileSlot &slot, uint16_t index, uint16_t fdrAu)
{
    if (slot.fdr.data[kFdrFlags] & kFlagProtected)
        return kDsrWriteProtected;
    WorkDirectory &work = State().work;
    if (const int32_t result = LoadWorkFileIndex(); result != kDsrOk)
        return result;
    const PointerList list = FileIndexList(work.fileIndex.data);
    // The index lets go of the file before the count shrinks, for the reason a new file is
    // counted first: a refused write in between leaves a count one too high, never a file
    // hidden.
    RemoveWord(list, EffectiveCount(list, WorkFileCount()), index);
    if (WriteBack(work.fileIndex) != kDsrOk)
        return kDsrDeviceError;
    uint8_t &files = work.record.data[kDirFileCount];
    if (files != 0)
        --files;
    if (WriteBack(work.record) != kDsrOk)
        return kDsrDeviceError;
    if (ReleaseAus(fdrAu, 1) != kDsrOk)
        return kDsrDeviceError;
    ReleaseChain(slot.fdr.data);
    return kDsrOk;
}

int32_t DeleteSubdirectory(uint16_t index, const SectorBuffer &ddr, uint16_t ddrAu)
{
    if (ddr.data[kDirFileCount] != 0 || ddr.data[kDirSubdirCount] != 0)
        return kDsrFileError;
    WorkDirectory &work = State().work;
    const PointerList list = SubdirectoryList(work.record.data);
    RemoveWord(list, EffectiveCount(list, WorkSubdirCount()), index);
    uint8_t &subdirs = work.record.data[kDirSubdirCount];
    if (subdirs != 0)
        --subdirs;
    if (WriteBack(work.record) != kDsrOk)
        return kDsrDeviceError;
    const uint16_t fileIndexAu = GetWordBE(ddr.data, kDirFileIndexAu);
    if (ValidRecordAu(fileIndexAu) && ReleaseAus(fileIndexAu, 1) != kDsrOk)
        return kDsrDeviceError;
    return ReleaseAus(ddrAu, 1);
}

} // namespace kestrel::hdlib

#include "hdlib/operations.h"

namespace kestrel::hdlib
{

int32_t DeleteFile(FileRequest *request, const char *filePath)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    Resolved resolved;
    const int32_t result = ResolveFileArgument(*slot, filePath, resolved);
    if (result == kNotFound)
        return kDsrOk; // nothing to delete
    if (result != kDsrOk)
        return result;
    return DeleteFileEntry(*slot, resolved.index, resolved.au);
}

int32_t DeleteDirectory(FileRequest *request, const char *directoryPath, const char *name)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    char tiName[10];
    if (const int32_t result = ResolveNamedEntry(*slot, directoryPath, name, tiName);
        result != kDsrOk)
        return result;
    SectorBuffer ddr;
    uint16_t index = 0;
    uint16_t au = 0;
    const int32_t result = LookupSubdirectory(tiName, ddr, index, au);
    if (result == kNotFound)
        return kDsrFileError;
    if (result != kDsrOk)
        return result;
    return DeleteSubdirectory(index, ddr, au);
}

} // namespace kestrel::hdlib
