#include "drives/hd_lister.h"

#include <cstring>

#include "drives/dsr_error.h"
#include "drives/hd_binding.h"
#include "drives/hd_location.h"
#include "drives/hd_recognizer.h"
#include "drives/partition_table.h"
#include "tifs/byte_order.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantRead = 0;
constexpr int kMsgNoDiskInfo = 9;
constexpr int32_t kEndOfFile = 160;
constexpr int kMaxFiles = 127;
constexpr int kMaxSubdirs = 114;
// Files and subdirectories of one directory, plus slack: a library that
// never answers 160 must not hang the listing.
constexpr int kMaxAnswers = kMaxFiles + kMaxSubdirs + 8;
constexpr size_t kParentAuOffset = 26;
constexpr size_t kSubdirListOffset = 28;

// The fields a listing changes, kept so a failure leaves the pane as it was.
struct SavedState {
    int kind;
    std::string path;
    std::vector<CatalogEntry> stack;
    int hdLevel;
    std::string innerPath;
    bool insideContainer;
    int containerDepth;

    explicit SavedState(const Location &l)
        : kind(l.kind), path(l.path), stack(l.containerEntries), hdLevel(l.hdLevel),
          innerPath(l.innerPath), insideContainer(l.insideContainer),
          containerDepth(l.containerDepth)
    {
    }
    void Restore(Location &l) const
    {
        l.kind = kind;
        l.path = path;
        l.containerEntries = stack;
        l.hdLevel = hdLevel;
        l.innerPath = innerPath;
        l.insideContainer = insideContainer;
        l.containerDepth = containerDepth;
    }
};

bool IsDirectoryName(const uint8_t *record)
{
    if (std::memcmp(record + 13, "DIR", 3) != 0) {
        return false;
    }
    bool blanks = false;
    for (int i = 0; i < 10; ++i) {
        unsigned char c = record[i];
        if (c == ' ') {
            blanks = true;
            continue;
        }
        if (blanks || c < 0x21 || c > 0x7E || c == '.') {
            return false;
        }
    }
    return record[0] != ' ';
}

void AddParentEntry(Catalog &entries, uint16_t au, unsigned sectorsPerAu, uint32_t base)
{
    CatalogEntry *up = AddEntry(entries);
    up->pcName = "..";
    up->ti.tiName = "..";
    up->ti.kind = kKindUpDir;
    up->containerWords[1] = au;
    up->containerWords[3] = static_cast<uint16_t>(sectorsPerAu);
    up->ti.fdrSector = static_cast<uint16_t>(au * sectorsPerAu);
    up->baseOffset = base;
}

bool ReadImageSector(std::FILE *file, uint32_t sector, uint8_t *buffer)
{
    if (fseeko(file, static_cast<off_t>(sector) * 256, SEEK_SET) != 0) {
        return false;
    }
    return std::fread(buffer, 1, 256, file) == 256;
}

// Steps 1 to 6 of a directory listing, the stack already set.
bool ListCurrentDirectory(Location &location, const CatalogEntry &opened, bool ownEntryFromOpened,
                          Ui &ui)
{
    const std::string &image = location.path;
    uint32_t volumeSector = HdVolumeSector(location);
    location.kind = volumeSector != 0 ? kLocHdPartition : kLocHdImage;
    location.containerDepth = 1;
    if (!PointHdLibrary(location, ui)) {
        return false;
    }
    HdBinding &b = TheHdBinding();

    brackenly::FileRequest request = HdRequest();
    SetRequestPath(request, ".");
    request.recordLength = 38;
    request.flags = 2;
    brackenly::CatalogEntryRecord record;
    std::memset(&record, 0, sizeof record);
    b.openDirectory(&request);
    b.directoryInfo(&request, &record);
    HdVolumeInfo vib;
    if (record.slot == nullptr || record.block == nullptr ||
        !DecodeHdVib(record.slot->data.data, vib)) {
        ReportError(ui, kMsgNoDiskInfo, {image});
        return false;
    }
    const unsigned spau = vib.sectorsPerAu;
    const uint8_t geometryByte = vib.geometry[0];

    request = HdRequest();
    SetRequestPath(request, HdTiPath(location));
    request.recordLength = 38;
    request.flags = 2;
    int32_t answer = b.openDirectory(&request);
    if (answer != 0) {
        b.close(&request, answer);
        ReportDsrError(ui, answer, kMsgCantRead, {image});
        return false;
    }
    std::memset(&record, 0, sizeof record);
    b.directoryInfo(&request, &record);
    if (record.block == nullptr) {
        ReportError(ui, kMsgNoDiskInfo, {image});
        return false;
    }
    // Copies: the block is the library's and changes with every call.
    uint8_t directory[256];
    uint8_t fileIndex[256];
    std::memcpy(directory, record.block->record.data, 256);
    std::memcpy(fileIndex, record.block->fileIndex.data, 256);
    const uint16_t directoryAu =
        static_cast<uint16_t>(spau ? record.block->record.volumeSector / spau : 0);
    const uint16_t fileIndexAu = GetWordBE(directory, 24);
    const bool atRoot = HdTiPath(location) == ".";

    if (ownEntryFromOpened && !location.containerEntries.empty()) {
        CatalogEntry &own = location.containerEntries.back();
        if (opened.ti.kind != kKindUpDir) {
            own = opened;
        }
        own.ti.fdrSector = static_cast<uint16_t>(directoryAu * spau);
        own.ti.kind = IsDirectoryName(directory) ? kKindSubdir : kKindUnknown;
    }

    Catalog entries;
    AddParentEntry(entries, atRoot ? 0 : GetWordBE(directory, kParentAuOffset), spau, volumeSector);

    const uint16_t containerKind = location.containerEntries.empty()
                                       ? uint16_t(kKindHdImage)
                                       : location.containerEntries[0].ti.kind;
    int files = 0;
    int subdirs = 0;
    answer = 0;
    for (int n = 0; n < kMaxAnswers; ++n) {
        brackenly::CatalogEntryRecord next;
        std::memset(&next, 0, sizeof next);
        answer = b.nextCatalogEntry(&request, &next);
        if (answer != 0) {
            break;
        }
        CatalogEntry *e = AddEntry(entries);
        next.name[10] = '\0';
        e->pcName = image;
        e->ti.tiName = PadTiName(next.name);
        e->ti.kind = next.kind;
        e->ti.sectors = static_cast<uint16_t>(next.sectors >= spau ? next.sectors - spau : 0);
        e->ti.level3Count = static_cast<uint16_t>(next.level3Count);
        e->ti.recordsPerSector = static_cast<uint8_t>(next.recordsPerSector);
        e->ti.eofOffset = static_cast<uint8_t>(next.endOfFileOffset);
        e->ti.recordLength = static_cast<uint16_t>(next.lengthOrSize);
        uint16_t au = 0;
        if (next.kind == kKindSubdir) {
            e->ti.flags = opened.ti.flags;
            if (subdirs < kMaxSubdirs) {
                au = GetWordBE(directory, kSubdirListOffset + 2 * subdirs);
            }
            ++subdirs;
            e->containerWords[2] = fileIndexAu;
        } else {
            e->ti.flags = static_cast<uint16_t>(next.statusFlags & 0xFF);
            if (files < kMaxFiles) {
                au = GetWordBE(fileIndex, 2 * files);
            }
            ++files;
        }
        e->ti.fdrSector = static_cast<uint16_t>(au * spau);
        e->containerKind = containerKind;
        e->sectorsPerTrack = geometryByte;
        e->containerWords[0] = directoryAu;
        e->containerWords[1] = au;
        e->containerWords[3] = static_cast<uint16_t>(spau);
        e->baseOffset = volumeSector;
    }
    if (answer == kEndOfFile) {
        answer = 0;
    }
    int32_t closed = b.close(&request, answer);
    if (closed != 0) {
        ReportDsrError(ui, closed, kMsgCantRead, {image});
    }
    location.entries = std::move(entries);
    return true;
}

} // namespace

bool ListHdDirectory(Location &location, const CatalogEntry &original, HdListMode mode, Ui &ui)
{
    const CatalogEntry opened = original; // may be one of location.entries
    SavedState saved(location);
    if (mode == HdListMode::Enter) {
        // A full stack still lists, it just cannot record the level.
        PushHdName(location, opened);
    } else if (mode == HdListMode::Up) {
        PopHdName(location);
    }
    bool own = mode == HdListMode::Enter && opened.ti.kind == kKindSubdir;
    if (!ListCurrentDirectory(location, opened, own, ui)) {
        saved.Restore(location);
        return false;
    }
    return true;
}

bool ListHdPartitions(Location &location, const CatalogEntry &original, HdListMode mode,
                      bool addParent, Ui &ui)
{
    const CatalogEntry opened = original;
    SavedState saved(location);
    if (mode == HdListMode::Enter) {
        PushHdName(location, opened);
    } else if (mode == HdListMode::Up) {
        while (HdDepth(location) > 1) {
            PopHdName(location);
        }
    }
    const std::string &image = location.path;
    std::FILE *file = std::fopen(image.c_str(), "rb");
    if (file == nullptr) {
        ReportSystemError(ui, errno, 1, {image});
        saved.Restore(location);
        return false;
    }
    uint8_t sector[256];
    PartitionTable table;
    if (!ReadImageSector(file, 0, sector) || RecognizePartitionTable(sector, table) != 12) {
        std::fclose(file);
        ReportError(ui, kMsgNoDiskInfo, {image});
        saved.Restore(location);
        return false;
    }
    Catalog entries;
    if (addParent) {
        CatalogEntry *up = AddEntry(entries);
        up->pcName = "..";
        up->ti.tiName = "..";
        up->ti.kind = kKindUpDir;
    }
    for (int k = 0; k < kPartitionCount; ++k) {
        uint32_t o = table.offset[k];
        if (o == 0 || o > 0x7FFFFFFFu) {
            continue;
        }
        HdVolumeInfo vib;
        if (!ReadImageSector(file, 2 * o, sector) || !DecodeHdVib(sector, vib)) {
            continue;
        }
        CatalogEntry *e = AddEntry(entries);
        e->pcName = image;
        e->ti.tiName = vib.name;
        e->ti.kind = kKindHdImage;
        e->ti.sectors = vib.totalAus;
        e->containerWords[2] = vib.fileIndexAu;
        e->containerWords[3] = static_cast<uint16_t>(vib.sectorsPerAu);
        e->imageSize = vib.imageSize;
        e->baseOffset = 2 * o;
    }
    std::fclose(file);
    location.kind = kLocHdPartition;
    location.containerDepth = 1;
    location.entries = std::move(entries);
    return true;
}

bool RereadHdLocation(Location &location, Ui &ui)
{
    if ((location.kind != kLocHdImage && location.kind != kLocHdPartition) ||
        location.containerEntries.empty()) {
        return false;
    }
    const CatalogEntry shown = location.containerEntries.back();
    if (HdDepth(location) == 1 && shown.ti.kind == kKindPartitionedImage) {
        return ListHdPartitions(location, shown, HdListMode::Reread, true, ui);
    }
    return ListHdDirectory(location, shown, HdListMode::Reread, ui);
}

bool HdLevelUp(Location &location, Ui &ui)
{
    if (location.containerEntries.empty()) {
        return false;
    }
    bool partitioned = location.containerEntries[0].ti.kind == kKindPartitionedImage;
    int depth = HdDepth(location);
    if (partitioned && depth == 2) {
        return ListHdPartitions(location, location.containerEntries[0], HdListMode::Up, true, ui);
    }
    if ((partitioned && depth > 2) || (!partitioned && depth > 1)) {
        return ListHdDirectory(location, location.containerEntries[depth - 2], HdListMode::Up, ui);
    }
    return false;
}

bool OpenHdImageEntry(Location &location, const CatalogEntry &original, Ui &ui)
{
    const CatalogEntry entry = original;
    SavedState saved(location);
    // The catalog's OpenEntry has already put an image entry on the stack;
    // the lister pushes it itself, with the level counters.
    if (entry.ti.kind == kKindHdImage && !location.containerEntries.empty()) {
        location.containerEntries.pop_back();
    }
    if (location.kind == kLocPcDirectory) {
        location.path = JoinPcPath(location.path, entry.pcName);
    }
    bool ok = entry.ti.kind == kKindPartitionedImage
                  ? ListHdPartitions(location, entry, HdListMode::Enter, true, ui)
                  : ListHdDirectory(location, entry, HdListMode::Enter, ui);
    if (!ok) {
        saved.Restore(location);
    }
    return ok;
}

} // namespace kestrel
