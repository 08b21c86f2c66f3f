// Opening a directory into the directory block and enumerating it (ordinals 6 to 10).
#include "hdlib/bitmap.h"
#include "hdlib/dsr.h"
#include "hdlib/fdr.h"
#include "hdlib/file_index.h"
#include "hdlib/operations.h"
#include "hdlib/path_resolve.h"
#include "hdlib/sector_io.h"
#include "hdlib/vib.h"
#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

namespace
{

void ClearEntry(CatalogEntryRecord *entry, FileSlot &slot)
{
    std::memset(entry, 0, sizeof *entry);
    entry->block = &State().block;
    entry->slot = &slot;
}

void CopyEntryName(CatalogEntryRecord *entry, const uint8_t *record)
{
    int n = 0;
    while (n < kNameLength && record[n] != ' ' && record[n] != '.' && record[n] != 0) {
        entry->name[n] = static_cast<char>(record[n]);
        ++n;
    }
    entry->name[n] = 0;
}

} // namespace

int32_t OpenDirectory(FileRequest *request)
{
    FileSlot *slot = BeginRequest(request, true);
    if (!slot)
        return kDsrIllegalOperation;
    if (!EndsWithDot(request->path, kRequestPathLength))
        return kDsrBadAttribute;
    if (!State().image)
        return kDsrDeviceError;
    Resolved resolved;
    int32_t result = ResolvePath(*slot, request->path, kRequestPathLength, resolved);
    if (result == kNotFound)
        return kDsrFileError;
    if (result != kDsrOk)
        return result;

    LibraryState &state = State();
    DirectoryBlock &block = state.block;
    block.record = state.work.record;
    slot->data = state.work.record;
    block.position = 0;
    slot->head.recordNumber = 0;
    block.directoryCount = static_cast<uint16_t>(
        EffectiveCount(SubdirectoryList(block.record.data), WorkSubdirCount()));
    block.fileCount = 0;
    std::memset(&block.fileIndex, 0, sizeof block.fileIndex);
    result = LoadWorkFileIndex();
    if (result != kDsrOk)
        return result;
    block.fileIndex = state.work.fileIndex;
    block.fileCount =
        static_cast<uint16_t>(EffectiveCount(FileIndexList(block.fileIndex.data), WorkFileCount()));
    return kDsrOk;
}

int32_t DirectoryInfo(FileRequest *request, CatalogEntryRecord *entry)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot || !entry)
        return kDsrIllegalOperation;
    ClearEntry(entry, *slot);
    request->cleared6 = 0;
    LibraryState &state = State();
    std::memcpy(request->directoryName, state.block.record.data + kVibName, kNameLength);
    state.block.totalSectors = 0;
    state.block.freeSectors = 0;
    if (!state.image)
        return kDsrDeviceError;
    SectorBuffer vib;
    if (ReadVolumeSector(vib, 0) != kDsrOk)
        return kDsrDeviceError;
    if (!VolumeHasFileSystem())
        return kDsrOk;
    const uint32_t spa = CurrentVolume().sectorsPerAu;
    uint32_t freeAus = 0;
    if (CountFreeAus(freeAus) != kDsrOk)
        return kDsrDeviceError;
    state.block.totalSectors = VibTotalAus(vib.data) * spa;
    state.block.freeSectors = freeAus * spa;
    return kDsrOk;
}

int32_t TotalSectors()
{
    return static_cast<int32_t>(State().block.totalSectors);
}

int32_t FreeSectors()
{
    return static_cast<int32_t>(State().block.freeSectors);
}

int32_t NextCatalogEntry(FileRequest *request, CatalogEntryRecord *entry)
{
    FileSlot *slot = BeginRequest(request, false);
    if (!slot || !entry)
        return kDsrIllegalOperation;
    ClearEntry(entry, *slot);
    LibraryState &state = State();
    DirectoryBlock &block = state.block;
    if (!state.image)
        return kDsrDeviceError;
    const uint32_t spa = CurrentVolume().sectorsPerAu;

    if (slot->head.recordNumber < block.fileCount && slot->head.recordNumber < kMaxFiles) {
        const uint16_t au = GetWordBE(block.fileIndex.data, 2 * slot->head.recordNumber);
        ++slot->head.recordNumber;
        if (!ValidRecordAu(au) || ReadVolumeSector(slot->fdr, AuSector(au)) != kDsrOk)
            return kDsrDeviceError;
        const uint8_t *fdr = slot->fdr.data;
        const uint8_t flags = fdr[kFdrFlags];
        const uint32_t sectors = GetWordBE(fdr, kFdrSectors);
        entry->kind = CatalogKind(flags);
        entry->isProtected = (flags & kFlagProtected) ? 1 : 0;
        entry->sectors = sectors + spa;
        entry->level3Count = GetWordLE(fdr, kFdrLevel3Count);
        entry->lengthOrSize =
            entry->kind == 5 ? ProgramSize(sectors, fdr[kFdrEndOfFile]) : fdr[kFdrRecordLength];
        entry->endOfFileOffset = fdr[kFdrEndOfFile];
        entry->recordsPerSector = fdr[kFdrRecordsPerSector];
        entry->statusFlags = flags;
        CopyEntryName(entry, fdr);
        return kDsrOk;
    }
    if (block.position < block.directoryCount && block.position < kMaxSubdirs) {
        const uint16_t au = GetWordBE(block.record.data, kDirSubdirList + 2 * block.position);
        ++block.position;
        if (!ValidRecordAu(au) || ReadVolumeSector(slot->fdr, AuSector(au)) != kDsrOk)
            return kDsrDeviceError;
        entry->kind = 6;
        entry->sectors = 2 * spa;
        CopyEntryName(entry, slot->fdr.data);
        return kDsrOk;
    }
    return kDsrEndOfFile;
}

} // namespace kestrel::hdlib
