#include "drives/cf7_listing.h"

#include <cstring>

#include "drives/cf7_volume.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgDiskError = 8;
constexpr int kMsgCantReadDiskInfo = 9;

std::string Trimmed(const std::string &text)
{
    std::string out = text;
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    return out;
}

void AddParent(Catalog &entries, uint64_t sectors)
{
    CatalogEntry *up = AddEntry(entries);
    up->ti.kind = kKindUpDir;
    up->ti.tiName = "..";
    up->pcName = "..";
    up->imageSize = sectors > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(sectors);
}

// The volume entries of an open card; false when a read failed (the volumes
// before it stay listed).
bool AddVolumes(Cf7Card &card, Catalog &entries, Ui &ui)
{
    const uint32_t count = card.VolumeCount();
    ui.SetProgressRange(count);
    uint8_t sector[kSectorSize];
    for (uint32_t v = 1; v <= count; ++v) {
        if (!card.ReadSector(Cf7VolumeFirstSector(v), sector, ui)) {
            return false;
        }
        FillCf7VolumeEntry(*AddEntry(entries), v, card.Physical(), sector, card.TiSectors());
        ui.SetProgressPosition(v);
    }
    return true;
}

} // namespace

bool RecognizeCf7Image(const std::string &path, const uint8_t *first256, uint64_t fileSize,
                       CatalogEntry &entry)
{
    (void)path;
    if (fileSize < kCf7HeaderSize || !IsCf7ImageHeader(first256)) {
        return false;
    }
    entry.ti.kind = kKindCf7Image;
    entry.ti.tiName = CopyTiName(first256 + cf7header::kName);
    uint64_t sectors = Cf7ImageTiSectors(fileSize);
    entry.imageSize = sectors > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(sectors);
    entry.ti.sectors = static_cast<uint16_t>(sectors > 0xFFFF ? 0xFFFF : sectors);
    return true;
}

std::string Cf7DrivePathText(char letter, const std::string &description, uint64_t sectors)
{
    return FormatText(
        "%c: %s [%luMb]",
        {letter, description, static_cast<unsigned long>(sectors * kCf7PhysicalSector / 1000000)});
}

char Cf7LocationDrive(const Location &location)
{
    if (location.kind == kLocCf7Drive ||
        (location.kind == kLocCf7Volume && !location.containerEntries.empty() &&
         location.containerEntries.back().ti.kind == kKindCf7DriveVolume)) {
        if (location.path.size() >= 2 && location.path[1] == ':') {
            return location.path[0];
        }
    }
    return 0;
}

bool OpenCf7CardOf(const Location &location, Cf7Card &card, bool writable, Ui &ui)
{
    if (char letter = Cf7LocationDrive(location)) {
        return card.OpenDrive(letter, writable, ui);
    }
    return card.OpenImage(location.path, writable, writable ? 2 : 1, ui);
}

bool ListCf7Drive(Location &location, char letter, Ui &ui)
{
    Cf7Card card;
    if (!card.OpenDrive(letter, false, ui)) {
        return false;
    }
    platform::RawDriveInfo info;
    platform::FindRawDrive(letter, info);
    if (location.kind == kLocPcDirectory) {
        location.keptPath = location.path;
        location.keptKind = location.kind;
    }
    location.kind = kLocCf7Drive;
    location.path = Cf7DrivePathText(letter, info.description, card.TiSectors());
    location.cf7Volume = 0;
    location.innerPath.clear();
    location.totalSectors = static_cast<uint32_t>(card.TiSectors());
    location.entries.clear();
    AddParent(location.entries, card.TiSectors());
    bool ok = AddVolumes(card, location.entries, ui);
    card.Close();
    return ok;
}

bool ListCf7Image(Location &location, const std::string &imagePath, bool addParent, Ui &ui)
{
    Cf7Card card;
    if (!card.OpenImage(imagePath, false, 1, ui)) {
        return false;
    }
    if (location.kind == kLocPcDirectory) {
        location.keptPath = location.path == imagePath ? ParentPcPath(imagePath) : location.path;
        location.keptKind = kLocPcDirectory;
    }
    location.kind = kLocCf7Image;
    location.path = imagePath;
    location.cf7Volume = 0;
    location.innerPath.clear();
    location.totalSectors = static_cast<uint32_t>(card.TiSectors());
    location.entries.clear();
    if (addParent) {
        AddParent(location.entries, card.TiSectors());
    }
    return AddVolumes(card, location.entries, ui);
}

bool ListCf7Volume(Location &location, const CatalogEntry &original, bool addParent, Ui &ui,
                   uint16_t fdirSector, const std::string &subdirName)
{
    const CatalogEntry volumeEntry = original; // may be one of location.entries
    const uint32_t volume = volumeEntry.baseOffset / kCf7VolumeSectors + 1;
    Cf7Card card;
    if (!OpenCf7CardOf(location, card, false, ui) || !card.CheckVolume(volume, ui)) {
        return false;
    }
    const uint64_t first = Cf7VolumeFirstSector(volume);
    uint8_t vibSector[kSectorSize];
    uint8_t index[kSectorSize];
    if (!card.ReadSector(first, vibSector, ui)) {
        return false;
    }
    DiskSummary summary;
    if (DecodeVib(nullptr, vibSector, summary) == 0) {
        ReportError(ui, kMsgCantReadDiskInfo, {location.path});
        return false;
    }
    const bool root = fdirSector <= 1;
    if (!root && fdirSector >= summary.totalSectors) {
        ReportError(ui, kMsgCantReadDiskInfo, {location.path});
        return false;
    }
    if (!card.ReadSector(first + (root ? 1 : fdirSector), index, ui)) {
        return false;
    }
    location.kind = kLocCf7Volume;
    location.cf7Volume = static_cast<int>(volume);
    location.fdirSector = root ? 1 : fdirSector;
    location.subdirName = root ? std::string() : subdirName;
    location.innerPath = Trimmed(summary.name);
    if (!root) {
        location.innerPath += "->" + subdirName;
    }
    location.totalSectors = summary.totalSectors;
    location.entries.clear();
    if (addParent) {
        AddParent(location.entries, card.TiSectors());
    }
    const uint64_t byteBase = card.Physical() ? first : Cf7ImageVolumeBase(volume);
    const std::string pcName = volumeEntry.pcName + "->" + location.innerPath;
    auto fillContainer = [&](CatalogEntry &entry) {
        entry.pcName = pcName;
        entry.containerKind = kKindCf7ImageVolume;
        entry.baseOffset = byteBase > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(byteBase);
        entry.density = summary.density;
        entry.tracksPerSide = static_cast<int16_t>(summary.tracksPerSide);
        entry.sectorsPerTrack = static_cast<int16_t>(summary.sectorsPerTrack);
        entry.imageSize = volumeEntry.imageSize;
        entry.disk = summary;
    };
    // The root of a volume shows its subdirectories first, as a disk's does.
    for (size_t slot = 0; root && slot < vib::kSlotCount; ++slot) {
        SubdirSlot s = ReadSubdirSlot(vibSector, slot);
        if (!s.used) {
            continue;
        }
        CatalogEntry *entry = AddEntry(location.entries);
        fillContainer(*entry);
        entry->ti.tiName = s.name;
        entry->ti.kind = kKindSubdir;
        entry->ti.fdrSector = s.fdirSector;
    }
    uint32_t files = 0;
    // The index is bounded by its sector: at most 128 words.
    for (size_t at = 0; at + 1 < kSectorSize; at += 2) {
        uint16_t fdrSector = GetWordBE(index, at);
        if (fdrSector == 0) {
            break;
        }
        if (fdrSector >= summary.totalSectors || fdrSector >= kCf7VolumeSectors) {
            ReportError(ui, kMsgDiskError, {pcName, static_cast<int>(at / 2), fdrSector});
            break;
        }
        uint8_t fdr[kSectorSize];
        if (!card.ReadSector(first + fdrSector, fdr, ui)) {
            break;
        }
        CatalogEntry *entry = AddEntry(location.entries);
        fillContainer(*entry);
        DecodeHeader(fdr, pcName, false, entry->ti);
        entry->ti.fdrSector = fdrSector;
        ++files;
    }
    location.totalFiles = files;
    return true;
}

} // namespace kestrel
