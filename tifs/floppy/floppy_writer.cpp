#include "tifs/floppy/floppy_writer.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "platform/temp_dir.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/floppy_writer_disk.h"
#include "tifs/floppy/output_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantOpenReadWrite = 3;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgDiskError = 8;
constexpr int kMsgNoDiskInfo = 9;
constexpr int kMsgSeekError = 14;
constexpr int kMsgInvalidName = 16;
constexpr int kMsgCantDelete = 20;
constexpr int kMsgDskExists = 31;
constexpr int kMsgDskFull = 33;
constexpr int kMsgTooManyFragments = 34;
constexpr int kMsgFileMissing = 35;
constexpr int kMsgFileExists = 36;
constexpr int kMsgWriteFailed = 7; // WriteNewImage's failure code

constexpr size_t kLastIndexWord = 252; // the 127th word

unsigned AusOnDisk(unsigned total, unsigned auSize)
{
    unsigned aus = total / auSize;
    return aus < kBitmapAus ? aus : kBitmapAus;
}

// Start-field alignment in AUs: on high-density disks cluster starts are
// stored in units of 4 sectors, so a run may only begin where that unit does.
unsigned AlignAus(unsigned density, unsigned auSize)
{
    unsigned unit = ClusterStartUnit(density);
    return unit > auSize ? unit / auSize : 1;
}

int CompareName(const uint8_t *fdrName, const std::string &wanted)
{
    for (size_t i = 0; i < 10; ++i) {
        unsigned char w = i < wanted.size() ? static_cast<unsigned char>(wanted[i]) : ' ';
        unsigned char f = fdrName[i];
        if (w > 0x7F) {
            return 1; // such a byte in the wanted name sorts below every FDR byte
        }
        if (f != w) {
            return f < w ? -1 : 1;
        }
    }
    return 0;
}

unsigned CountWords(const uint8_t *index)
{
    unsigned count = 0;
    while (count < kMaxFilesPerIndex && GetWordBE(index, count * 2) != 0) {
        ++count;
    }
    return count;
}

std::string NameOf(const CatalogEntry &entry)
{
    std::string blank(10, ' ');
    std::string name = PadTiName(entry.ti.tiName);
    if (name == blank) {
        name = PcNameToTiName(entry.pcName);
    }
    return PadTiName(name);
}

using SourceProvider = std::function<bool(Ui &, std::string &)>;

AddFileResult AddFile(const FloppyTarget &target, const CatalogEntry &entry,
                      const SourceProvider &provideSource, AddFileState &state, Ui &ui)
{
    ui.SetLastMessage(0);
    WritableDisk disk;
    if (!disk.Open(target, ui)) {
        return kAddDone;
    }
    if (GetWordBE(disk.index, kLastIndexWord) != 0) {
        ReportError(ui, kMsgDskFull, {target.imagePath});
        return kAddDone;
    }
    const unsigned total = disk.summary.totalSectors;
    const unsigned auSize = disk.auSize;
    const unsigned lastAu = AusOnDisk(total, auSize);
    const unsigned firstData = FirstDataAu(total);
    const unsigned firstFdr = FirstFdrAu(auSize);
    const std::string name = NameOf(entry);

    uint8_t fdr[kSectorSize];
    unsigned position = 0;
    FindResult found =
        FindNameInIndex(disk.image, target, total, disk.index, name, fdr, position, ui);
    if (found == FindResult::Failure) {
        return kAddDone;
    }
    uint16_t fdrSectorNumber = 0;
    uint8_t oldFdr[kSectorSize] = {};
    bool replacing = false;
    if (found == FindResult::NotFound) {
        unsigned start = 0;
        unsigned count = 0;
        if (!AllocateRun(disk.vib, 1, firstFdr, lastAu, 1, start, count)) {
            ReportError(ui, kMsgDskFull, {target.imagePath});
            return kAddDone;
        }
        std::memmove(disk.index + position + 2, disk.index + position, kLastIndexWord - position);
        fdrSectorNumber = static_cast<uint16_t>(start * auSize);
        PutWordBE(disk.index, position, fdrSectorNumber);
    } else {
        if (!state.overwriteAll) {
            std::string text =
                FormatText("%s <%s> allready exist. Overwrite?",
                           {"TI file", TiNameToPcName(name, ProgramSettings().zubCompatible)});
            Answer answer = ui.AskOverwrite(text);
            if (answer == Answer::Cancel) {
                return kAddStopped;
            }
            if (answer == Answer::All) {
                state.overwriteAll = true;
            } else if (answer != Answer::Yes) {
                return kAddDone;
            }
        }
        std::memcpy(oldFdr, fdr, sizeof oldFdr);
        replacing = true;
        fdrSectorNumber = GetWordBE(disk.index, position);
    }

    const TiFileDescriptor &d = entry.ti;
    std::memset(fdr, 0, sizeof fdr);
    std::memcpy(fdr + fdr::kName, name.data(), 10);
    fdr[fdr::kFlags] = static_cast<uint8_t>(d.flags & ~kFlagArchive);
    fdr[fdr::kRecordsPerSector] = d.recordsPerSector;
    PutWordBE(fdr, fdr::kSectors, d.sectors);
    fdr[fdr::kEofOffset] = d.eofOffset;
    fdr[fdr::kRecordLength] =
        (d.flags & kFlagProgram) ? 0 : static_cast<uint8_t>(d.recordLength & 0xFF);
    PutWordLE(fdr, fdr::kLevel3, d.level3Count);

    const unsigned startUnit = ClusterStartUnit(disk.summary.density);
    const unsigned align = AlignAus(disk.summary.density, auSize);
    // Lays out the data chain in fdr, marking its AUs in vib; the number of the message that
    // stopped it, or 0.
    auto allocate = [&](uint8_t *vib) {
        unsigned needed = (d.sectors + auSize - 1) / auSize;
        unsigned clusters = 0;
        int lastOffset = -1;
        std::memset(fdr + fdr::kChain, 0, fdr::kChainEnd - fdr::kChain);
        while (needed > 0) {
            if (clusters >= kMaxClusters) {
                return kMsgTooManyFragments;
            }
            unsigned start = 0;
            unsigned count = 0;
            bool got = AllocateRun(vib, needed, firstData, lastAu, align, start, count) ||
                       AllocateRun(vib, needed, firstFdr, lastAu, align, start, count);
            if (!got) {
                return kMsgDskFull;
            }
            lastOffset += static_cast<int>(count * auSize);
            unsigned startSector = start * auSize;
            if (lastOffset > static_cast<int>(kMaxLastOffset) || startSector / startUnit > 0xFFF) {
                // Beyond what the 12-bit chain fields can describe.
                return kMsgDskFull;
            }
            PutClusterEntry(fdr, clusters, startSector / startUnit,
                            static_cast<unsigned>(lastOffset));
            ++clusters;
            needed -= count;
        }
        return 0;
    };
    // A replaced file keeps its sectors while the new one is written into free space, so that
    // a write refused on the way leaves the old file whole. Only when the disk has no room for
    // both does the new file take the old one's sectors, as it always could.
    uint8_t vibBefore[kSectorSize];
    std::memcpy(vibBefore, disk.vib, sizeof vibBefore);
    int stopped = allocate(disk.vib);
    if (stopped != 0 && replacing) {
        std::memcpy(disk.vib, vibBefore, sizeof vibBefore);
        SetChainBits(oldFdr, disk.vib, auSize, disk.summary.density, total, false);
        stopped = allocate(disk.vib);
    }
    if (stopped != 0) {
        ReportError(ui, stopped, {stopped == kMsgDskFull ? target.imagePath : name});
        return kAddStopped;
    }
    std::string sourcePath;
    if (!provideSource(ui, sourcePath) || ui.LastMessage() != 0) {
        return kAddDone;
    }
    std::FILE *source = std::fopen(sourcePath.c_str(), "rb");
    if (source == nullptr) {
        ReportError(ui, kMsgCantOpenRead, {sourcePath});
        return kAddStopped;
    }
    struct Closer {
        std::FILE *f;
        ~Closer() { std::fclose(f); }
    } closer{source};
    if (std::fseek(source, static_cast<long>(kHeaderSize), SEEK_SET) != 0) {
        ReportError(ui, kMsgSeekError, {sourcePath});
        return kAddStopped;
    }

    ChainResult chain;
    DecodeDataChain(fdr, disk.Format(), d.sectors, chain);
    const bool classic99 = d.headerKind == kHeaderClassic99;
    ui.SetProgressRange(d.sectors);
    uint8_t data[kSectorSize];
    unsigned copied = 0;
    for (const Cluster &cluster : chain.clusters) {
        for (uint64_t s = cluster.first; s <= cluster.last && copied < d.sectors; ++s) {
            size_t got = std::fread(data, 1, kSectorSize, source);
            if (got != kSectorSize && !(classic99 && got > 0)) {
                ReportError(ui, kMsgCantReadSector, {copied, sourcePath});
                return kAddStopped;
            }
            std::memset(data + got, 0, kSectorSize - got);
            if (!WriteDiskSector(disk.image, target.base, static_cast<uint32_t>(s), data, ui,
                                 target.imagePath)) {
                return kAddStopped;
            }
            ++copied;
            ui.SetProgressPosition(copied);
        }
    }
    if (replacing) {
        // Both files' sectors are marked used before the FDR turns from the old file to the
        // new one, and the old ones are freed only after: a write refused anywhere leaves one
        // whole file and, at worst, sectors that nobody uses.
        uint8_t bothUsed[kSectorSize];
        std::memcpy(bothUsed, disk.vib, sizeof bothUsed);
        SetChainBits(oldFdr, bothUsed, auSize, disk.summary.density, total, true);
        SetChainBits(oldFdr, disk.vib, auSize, disk.summary.density, total, false);
        SetChainBits(fdr, disk.vib, auSize, disk.summary.density, total, true);
        if (!WriteDiskSector(disk.image, target.base, 0, bothUsed, ui, target.imagePath) ||
            !WriteDiskSector(disk.image, target.base, fdrSectorNumber, fdr, ui,
                             target.imagePath) ||
            !WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath)) {
            return kAddStopped;
        }
    } else if (!WriteDiskSector(disk.image, target.base, fdrSectorNumber, fdr, ui,
                                target.imagePath) ||
               !WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath) ||
               !WriteDiskSector(disk.image, target.base, target.fdirSector, disk.index, ui,
                                target.imagePath)) {
        // The sectors are marked used before the index names the file: a write refused
        // between the two leaves sectors that nobody uses, never a file whose sectors count
        // as free and would be handed out again.
        return kAddStopped;
    }
    if (!disk.image.Flush()) {
        ReportError(ui, kMsgCantWriteSector, {0, target.imagePath});
        return kAddStopped;
    }
    return kAddDone;
}

} // namespace

bool WritableDisk::Open(const FloppyTarget &target, Ui &ui)
{
    if (!image.Open(target.imagePath, true)) {
        ReportError(ui, kMsgCantOpenReadWrite, {target.imagePath});
        return false;
    }
    if (!ReadDiskSector(image, target.base, 0, vib, ui, target.imagePath)) {
        return false;
    }
    if (DecodeVib(nullptr, vib, summary) == 0 || summary.totalSectors < 2 ||
        target.fdirSector >= summary.totalSectors || target.fdirSector == 0) {
        ReportError(ui, kMsgNoDiskInfo, {target.imagePath});
        return false;
    }
    auSize = AuSize(summary.totalSectors);
    return ReadDiskSector(image, target.base, target.fdirSector, index, ui, target.imagePath);
}

ChainFormat WritableDisk::Format() const
{
    ChainFormat format;
    format.startUnit = ClusterStartUnit(summary.density);
    format.limit = summary.totalSectors;
    return format;
}

void BuildNewVib(const FloppyPreset &preset, const std::string &label, uint8_t *v)
{
    std::memset(v, 0, kSectorSize);
    for (size_t i = 0; i < 10; ++i) {
        unsigned char c = i < label.size() ? static_cast<unsigned char>(label[i]) : ' ';
        v[vib::kName + i] = static_cast<uint8_t>(std::toupper(c));
    }
    PutWordBE(v, vib::kTotalSectors, preset.totalSectors);
    v[vib::kSectorsPerTrack] = preset.sectorsPerTrack;
    std::memcpy(v + vib::kSignature, "DSK", 3);
    v[vib::kProtection] = ' ';
    v[vib::kTracksPerSide] = preset.tracksPerSide;
    v[vib::kSides] = preset.sides;
    v[vib::kDensity] = preset.density;
    unsigned auSize = AuSize(preset.totalSectors);
    MarkAu(v, 0 / auSize, true);
    MarkAu(v, 1 / auSize, true);
    size_t from = vib::kBitmap + (preset.totalSectors / auSize) / 8;
    for (size_t i = from; i < kSectorSize; ++i) {
        v[i] = 0xFF;
    }
}

int WriteNewImage(const FloppyPreset &preset, const std::string &label, const std::string &path,
                  Ui &ui)
{
    OutputFile out(path);
    if (!out.Open()) {
        ReportError(ui, kMsgCantOpenWrite, {path});
        return kMsgWriteFailed;
    }
    ui.SetProgressRange(preset.totalSectors);
    uint8_t sector[kSectorSize];
    for (unsigned n = 0; n < preset.totalSectors; ++n) {
        if (n == 0) {
            BuildNewVib(preset, label, sector);
        } else if (n == 1) {
            std::memset(sector, 0, sizeof sector);
        } else if (n == 2) {
            std::memset(sector, 0xE5, sizeof sector);
        }
        if (!out.Write(sector, sizeof sector)) {
            ReportError(ui, kMsgCantWriteSector, {n, path});
            out.Finish(false);
            return kMsgWriteFailed;
        }
        ui.SetProgressPosition(n + 1);
    }
    if (!out.Finish(true)) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<unsigned>(preset.totalSectors), path});
        return kMsgWriteFailed;
    }
    return 0;
}

bool CreateImage(const std::string &directory, const std::string &label, int presetIndex, Ui &ui,
                 std::string *createdPath)
{
    if (label.empty()) {
        ui.ShowWarning("Please enter a volume label");
        return false;
    }
    const FloppyPreset *preset = FindPreset(presetIndex);
    std::string cut = label.substr(0, 10);
    if (preset == nullptr || cut == "." || cut == ".." ||
        cut.find_first_of(std::string("/\\\0", 3)) != std::string::npos) {
        ReportError(ui, kMsgInvalidName, {cut});
        return false;
    }
    std::string path = JoinPcPath(directory, cut + ".dsk");
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        if (AskError(ui, kMsgDskExists, {path}) != Answer::Yes) {
            return false;
        }
        if (std::remove(path.c_str()) != 0) {
            ReportSystemError(ui, errno, kMsgCantDelete, {path});
            return false;
        }
    }
    if (createdPath != nullptr) {
        *createdPath = path;
    }
    return WriteNewImage(*preset, cut, path, ui) == 0;
}

bool AllocateRun(uint8_t *vibSector, unsigned wanted, unsigned firstAu, unsigned lastAu,
                 unsigned alignAus, unsigned &start, unsigned &count)
{
    if (alignAus == 0) {
        alignAus = 1;
    }
    if (lastAu > kBitmapAus) {
        lastAu = kBitmapAus;
    }
    unsigned bestStart = 0, bestLength = 0;
    unsigned runStart = 0, runLength = 0;
    for (unsigned au = firstAu; au < lastAu; ++au) {
        if (IsAuUsed(vibSector, au) || (runLength == 0 && au % alignAus != 0)) {
            if (runLength > bestLength) {
                bestStart = runStart;
                bestLength = runLength;
            }
            runLength = 0;
            continue;
        }
        if (runLength == 0) {
            runStart = au;
        }
        if (++runLength >= wanted) {
            break;
        }
    }
    if (runLength > bestLength) {
        bestStart = runStart;
        bestLength = runLength;
    }
    if (bestLength == 0) {
        return false;
    }
    if (firstAu == 34 && bestStart == 34 && bestLength < wanted) {
        return false;
    }
    for (unsigned au = bestStart; au < bestStart + bestLength; ++au) {
        MarkAu(vibSector, au, true);
    }
    start = bestStart;
    count = bestLength;
    return true;
}

void FreeClusters(const uint8_t *fdrSector, uint8_t *vibSector, unsigned auSize, unsigned density,
                  unsigned totalSectors)
{
    SetChainBits(fdrSector, vibSector, auSize, density, totalSectors, false);
}

void SetChainBits(const uint8_t *fdrSector, uint8_t *vibSector, unsigned auSize, unsigned density,
                  unsigned totalSectors, bool used)
{
    ChainFormat format;
    format.startUnit = ClusterStartUnit(density);
    format.limit = totalSectors;
    ChainResult chain;
    DecodeDataChain(fdrSector, format, 0, chain);
    for (const Cluster &cluster : chain.clusters) {
        for (uint64_t s = cluster.first; s <= cluster.last; ++s) {
            MarkAu(vibSector, static_cast<unsigned>(s / auSize), used);
        }
    }
}

FindResult FindNameInIndex(ImageAccess &image, const FloppyTarget &target, unsigned totalSectors,
                           const uint8_t *fdirSector, const std::string &name10, uint8_t *fdrSector,
                           unsigned &position, Ui &ui)
{
    int low = 0;
    int high = static_cast<int>(CountWords(fdirSector)) - 1;
    while (low <= high) {
        int probe = (low + high) / 2;
        uint16_t sector = GetWordBE(fdirSector, static_cast<size_t>(probe) * 2);
        if (sector >= totalSectors || sector < 2) {
            // Sectors 0 and 1 hold the VIB and the root index: never an FDR to rewrite.
            ReportError(ui, kMsgDiskError,
                        {target.imagePath, probe, static_cast<unsigned>(sector)});
            return FindResult::Failure;
        }
        if (!ReadDiskSector(image, target.base, sector, fdrSector, ui, target.imagePath)) {
            return FindResult::Failure;
        }
        int cmp = CompareName(fdrSector + fdr::kName, name10);
        if (cmp == 0) {
            position = static_cast<unsigned>(probe) * 2;
            return FindResult::Found;
        }
        if (cmp < 0) {
            low = probe + 1;
        } else {
            high = probe - 1;
        }
    }
    position = static_cast<unsigned>(low) * 2;
    return FindResult::NotFound;
}

AddFileResult AddFileToImage(const FloppyTarget &target, const CatalogEntry &entry,
                             const std::string &sourcePath, AddFileState &state, Ui &ui)
{
    return AddFile(
        target, entry,
        [&](Ui &, std::string &path) {
            path = sourcePath;
            return true;
        },
        state, ui);
}

AddFileResult AddEntryToImage(const FloppyTarget &target, const Location &source,
                              const CatalogEntry &entry, AddFileState &state, Ui &ui)
{
    return AddFile(
        target, entry,
        [&](Ui &u, std::string &path) {
            if (source.kind == kLocPcDirectory) {
                path = JoinPcPath(source.path, entry.pcName);
                return true;
            }
            EntrySaver saver = FindEntrySaver(source.kind);
            platform::TempDir &temp = platform::ProgramTempDir();
            if (!temp.Created()) {
                temp.Create();
            }
            path = temp.GeneralFile();
            if (saver == nullptr || path.empty()) {
                ReportError(u, kMsgCantOpenWrite, {std::string("ti_tmp.$$$")});
                return false;
            }
            return saver(source, entry, path, u);
        },
        state, ui);
}

bool DeleteFileFromImage(const FloppyTarget &target, const CatalogEntry &entry, Ui &ui)
{
    if (!IsTiFileKind(entry.ti.kind)) {
        return false;
    }
    WritableDisk disk;
    if (!disk.Open(target, ui)) {
        return false;
    }
    const std::string name = PadTiName(entry.ti.tiName);
    uint8_t fdr[kSectorSize];
    unsigned position = 0;
    FindResult found = FindNameInIndex(disk.image, target, disk.summary.totalSectors, disk.index,
                                       name, fdr, position, ui);
    if (found == FindResult::Failure) {
        return false;
    }
    if (found == FindResult::NotFound) {
        ReportError(ui, kMsgFileMissing, {entry.ti.tiName});
        return false;
    }
    uint16_t fdrSectorNumber = GetWordBE(disk.index, position);
    FreeClusters(fdr, disk.vib, disk.auSize, disk.summary.density, disk.summary.totalSectors);
    MarkAu(disk.vib, fdrSectorNumber / disk.auSize, false);
    std::memmove(disk.index + position, disk.index + position + 2, kSectorSize - 2 - position);
    PutWordBE(disk.index, kSectorSize - 2, 0);
    std::memset(fdr, 0xE5, sizeof fdr);
    // The index lets go of the file before its sectors are freed and its FDR wiped: a write
    // refused on the way leaves sectors that nobody uses, never an entry that points at
    // freed or wiped sectors.
    if (!WriteDiskSector(disk.image, target.base, target.fdirSector, disk.index, ui,
                         target.imagePath) ||
        !WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath) ||
        !WriteDiskSector(disk.image, target.base, fdrSectorNumber, fdr, ui, target.imagePath)) {
        return false;
    }
    if (!disk.image.Flush()) {
        ReportError(ui, kMsgCantWriteSector, {0, target.imagePath});
        return false;
    }
    return true;
}

bool RenameFileInImage(const FloppyTarget &target, CatalogEntry &entry,
                       const std::string &newName10, const std::string &newNameShown, Ui &ui)
{
    if (!IsTiFileKind(entry.ti.kind)) {
        return false;
    }
    const std::string oldName = PadTiName(entry.ti.tiName);
    const std::string newName = PadTiName(newName10);
    if (oldName == newName) {
        return true;
    }
    WritableDisk disk;
    if (!disk.Open(target, ui)) {
        return false;
    }
    uint8_t fdr[kSectorSize];
    unsigned newPosition = 0;
    unsigned oldPosition = 0;
    FindResult found = FindNameInIndex(disk.image, target, disk.summary.totalSectors, disk.index,
                                       newName, fdr, newPosition, ui);
    if (found == FindResult::Failure) {
        return false;
    }
    if (found == FindResult::Found) {
        ReportError(ui, kMsgFileExists, {newNameShown});
        return false;
    }
    found = FindNameInIndex(disk.image, target, disk.summary.totalSectors, disk.index, oldName, fdr,
                            oldPosition, ui);
    if (found == FindResult::Failure) {
        return false;
    }
    if (found == FindResult::NotFound) {
        ReportError(ui, kMsgFileMissing, {entry.ti.tiName});
        return false;
    }
    uint16_t word = GetWordBE(disk.index, oldPosition);
    if (newPosition > oldPosition) {
        newPosition -= 2;
        std::memmove(disk.index + oldPosition, disk.index + oldPosition + 2,
                     newPosition - oldPosition);
    } else {
        std::memmove(disk.index + newPosition + 2, disk.index + newPosition,
                     oldPosition - newPosition);
    }
    std::memcpy(fdr + fdr::kName, newName.data(), 10);
    // The name lives in the FDR and the order in the index: a file that moves in the order is
    // given a copy of its FDR under the new name in a free AU, and the index turns to it in
    // one write, so that a refused write never leaves the index out of order. Without a free
    // AU, or when the place stays (one write then does it), the FDR is renamed in place.
    unsigned start = 0;
    unsigned count = 0;
    const unsigned auSize = disk.auSize;
    if (newPosition != oldPosition &&
        AllocateRun(disk.vib, 1, FirstFdrAu(auSize), AusOnDisk(disk.summary.totalSectors, auSize),
                    1, start, count)) {
        const uint16_t moved = static_cast<uint16_t>(start * auSize);
        PutWordBE(disk.index, newPosition, moved);
        uint8_t vib[kSectorSize]; // the copy marked used, the old FDR not yet free
        std::memcpy(vib, disk.vib, sizeof vib);
        MarkAu(disk.vib, word / auSize, false);
        if (!WriteDiskSector(disk.image, target.base, moved, fdr, ui, target.imagePath) ||
            !WriteDiskSector(disk.image, target.base, 0, vib, ui, target.imagePath) ||
            !WriteDiskSector(disk.image, target.base, target.fdirSector, disk.index, ui,
                             target.imagePath) ||
            !WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath)) {
            return false;
        }
    } else {
        PutWordBE(disk.index, newPosition, word);
        if (!WriteDiskSector(disk.image, target.base, word, fdr, ui, target.imagePath) ||
            !WriteDiskSector(disk.image, target.base, target.fdirSector, disk.index, ui,
                             target.imagePath)) {
            return false;
        }
    }
    if (!disk.image.Flush()) {
        ReportError(ui, kMsgCantWriteSector, {0, target.imagePath});
        return false;
    }
    entry.ti.tiName = newName;
    return true;
}

FloppyTarget TargetForLocation(const Location &location)
{
    FloppyTarget target;
    target.imagePath = location.path;
    target.fdirSector = location.fdirSector == 0 ? 1 : location.fdirSector;
    return target;
}

} // namespace kestrel
