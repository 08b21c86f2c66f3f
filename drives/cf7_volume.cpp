#include "drives/cf7_volume.h"
#include "platform/fault_injection.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <sys/stat.h>

#include "platform/temp_dir.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/floppy/pc99.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kStop = 2;
constexpr size_t kSlotNameBytes = 10;
constexpr size_t kFirstIndexSector = 2; // after the VIB and the root's file index

bool FileExists(const std::string &path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0;
}

// The progress and Cancel of a sector loop; true when the user cancelled.
bool Step(Ui &ui, uint32_t position)
{
    ui.SetProgressPosition(position);
    ui.PumpPendingMessages();
    return ui.CancelPressed();
}

// A slot names a subdirectory when its name is printable TI text starting
// with a character and its index lies inside the disk. The mount record a
// card keeps in volume 1's first slot begins with 0xAA and never passes.
bool SlotHoldsSubdirectory(const uint8_t *vib, size_t slot, unsigned totalSectors)
{
    const uint8_t *s = vib + vib::kSlots + slot * vib::kSlotSize;
    if (s[0] == ' ' || s[0] == 0) {
        return false;
    }
    for (size_t i = 0; i < kSlotNameBytes; ++i) {
        if (s[i] < 0x20 || s[i] > 0x7E || s[i] == '.') {
            return false;
        }
    }
    const unsigned index = GetWordBE(s, kSlotNameBytes);
    return index >= kFirstIndexSector && index < totalSectors;
}

} // namespace

void BuildInterimVib(const uint8_t *vib, const uint8_t *mountRecord, uint8_t *interim)
{
    std::memcpy(interim, vib, kSectorSize);
    std::memset(interim + vib::kSlots, 0, vib::kSlotCount * vib::kSlotSize);
    if (mountRecord != nullptr) {
        std::memcpy(interim + mountrecord::kOffset, mountRecord, mountrecord::kSize);
    }
}

void ClearCf7Slots(uint8_t *vib, unsigned totalSectors)
{
    for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
        if (!SlotHoldsSubdirectory(vib, slot, totalSectors)) {
            std::memset(vib + vib::kSlots + slot * vib::kSlotSize, 0, vib::kSlotSize);
        }
    }
}

bool PutCf7MountRecord(uint8_t *vib, const uint8_t *record)
{
    uint8_t *first = vib + vib::kSlots;
    if (first[0] != 0 || GetWordBE(first, kSlotNameBytes) != 0) {
        // Slot 0 holds a subdirectory: it moves to a free slot, the readers
        // look at all three.
        bool moved = false;
        for (size_t slot = 1; slot < vib::kSlotCount && !moved; ++slot) {
            uint8_t *s = vib + vib::kSlots + slot * vib::kSlotSize;
            if (std::all_of(s, s + vib::kSlotSize, [](uint8_t b) { return b == 0; })) {
                std::memcpy(s, first, vib::kSlotSize);
                std::memset(first, 0, vib::kSlotSize);
                moved = true;
            }
        }
        if (!moved) {
            return false;
        }
    }
    std::memcpy(vib + mountrecord::kOffset, record, mountrecord::kSize);
    return true;
}

void FillCf7VolumeEntry(CatalogEntry &entry, uint32_t volume, bool physical, const uint8_t *vib,
                        uint64_t cardSectors)
{
    entry.pcName = Cf7VolumePcName(volume, physical);
    entry.ti.kind = physical ? kKindCf7DriveVolume : kKindCf7ImageVolume;
    entry.containerKind = physical ? 0 : kKindCf7ImageVolume;
    entry.baseOffset = static_cast<uint32_t>(Cf7VolumeFirstSector(volume));
    entry.imageSize = cardSectors > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(cardSectors);
    entry.ti.sectors = static_cast<uint16_t>(kCf7VolumeSectors);
    DiskSummary summary;
    if (DecodeVib(nullptr, vib, summary) != 0) {
        entry.ti.tiName = summary.name;
        entry.disk = summary;
        entry.density = summary.density;
        entry.tracksPerSide = static_cast<int16_t>(summary.tracksPerSide);
        entry.sectorsPerTrack = static_cast<int16_t>(summary.sectorsPerTrack);
    } else {
        entry.ti.tiName = "UNFORMATED";
        entry.disk.Reset();
    }
}

bool ResizeVib(uint8_t *vib, unsigned oldTotal, unsigned newTotal)
{
    if (oldTotal == newTotal) {
        return true;
    }
    auto byteOf = [](unsigned total) {
        size_t at = total / 8 + vib::kBitmap;
        return at > kSectorSize ? kSectorSize : at;
    };
    if (newTotal < oldTotal) {
        size_t from = byteOf(newTotal);
        size_t to = byteOf(oldTotal);
        for (size_t i = from; i < to; ++i) {
            if (vib[i] != 0) {
                return false;
            }
        }
        std::memset(vib + from, 0xFF, to - from);
    } else if (oldTotal < kCf7VolumeSectors) {
        size_t from = byteOf(oldTotal);
        std::memset(vib + from, 0, kSectorSize - from);
    }
    PutWordBE(vib, vib::kTotalSectors, static_cast<uint16_t>(newTotal));
    return true;
}

void BuildCf7Vib(const std::string &label, uint8_t *vib)
{
    // The CF7A+ preset of the new-image dialog: 2 sides, 40 tracks, 20 sectors.
    for (int i = 0; i < kPresetCount; ++i) {
        const FloppyPreset *preset = FindPreset(i);
        if (preset != nullptr && preset->totalSectors == kCf7VolumeSectors &&
            preset->sectorsPerTrack == 20) {
            BuildNewVib(*preset, label, vib);
            return;
        }
    }
    const FloppyPreset cf7{"CF7A+", 1600, 20, 40, 2, 1};
    BuildNewVib(cf7, label, vib);
}

bool InitializeCf7Volume(Cf7Card &card, uint32_t volume, const std::string &label, Ui &ui,
                         DiskSummary &summary)
{
    if (!card.CheckVolume(volume, ui)) {
        return false;
    }
    uint8_t sector[kSectorSize];
    BuildCf7Vib(label, sector);
    DecodeVib(nullptr, sector, summary);
    const uint64_t first = Cf7VolumeFirstSector(volume);
    ui.SetProgressRange(kCf7VolumeSectors);
    for (uint32_t i = 0; i < kCf7VolumeSectors; ++i) {
        if (i == 1) {
            std::memset(sector, 0, sizeof sector);
        } else if (i == 2) {
            std::memset(sector, kCf7Filler, sizeof sector);
        }
        if (!card.WriteSector(first + i, sector, ui)) {
            return false;
        }
        ui.SetProgressPosition(i + 1);
    }
    return true;
}

std::string Cf7VolumeDskName(const std::string &tiName)
{
    std::string name = tiName;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return TiNameToPcName(name, ProgramSettings().zubCompatible) + ".dsk";
}

int CopyCf7VolumeToDsk(Cf7Card &card, uint32_t volume, const std::string &target, Ui &ui,
                       bool *overwriteAll)
{
    if (FileExists(target)) {
        if (overwriteAll == nullptr || !*overwriteAll) {
            std::string name = target.substr(target.find_last_of('/') + 1);
            switch (ui.AskOverwrite(
                FormatText("%s <%s> allready exist. Overwrite?", {"DSK image", name}))) {
            case Answer::No:
                return 0;
            case Answer::Cancel:
                return kStop;
            case Answer::All:
                if (overwriteAll != nullptr) {
                    *overwriteAll = true;
                }
                break;
            default:
                break;
            }
        }
    }
    if (!card.CheckVolume(volume, ui)) {
        return kStop;
    }
    // Written beside the target and moved over it once complete, so that an
    // existing image is replaced only by a whole one.
    const std::string partial = target + ".part";
    std::FILE *out = std::fopen(partial.c_str(), "wb");
    if (out == nullptr) {
        ReportError(ui, kMsgCantOpenWrite, {target});
        return kStop;
    }
    const uint64_t first = Cf7VolumeFirstSector(volume);
    uint32_t count = kCf7VolumeSectors;
    uint8_t sector[kSectorSize];
    bool ok = true;
    ui.SetProgressRange(kCf7VolumeSectors);
    for (uint32_t i = 0; i < count; ++i) {
        if (!card.ReadSector(first + i, sector, ui)) {
            ok = false;
            break;
        }
        if (i == 0) {
            DiskSummary summary;
            if (DecodeVib(nullptr, sector, summary) != 0) {
                // The geometry as the VIB states it: the decoder fits the
                // sectors per track to the total, which for a volume grown to
                // 1600 would be the volume again.
                unsigned geometry = unsigned{sector[vib::kSides]} * sector[vib::kTracksPerSide] *
                                    sector[vib::kSectorsPerTrack];
                // A geometry beyond the volume would read the next volume.
                if (geometry > 0 && geometry <= kCf7VolumeSectors &&
                    ResizeVib(sector, GetWordBE(sector, vib::kTotalSectors), geometry)) {
                    count = geometry;
                    ui.SetProgressRange(count);
                }
                // After the resize, so that a subdirectory whose index would
                // fall outside the written image loses its slot.
                ClearCf7Slots(sector, count);
            }
        }
        if (platform::io::Fwrite(sector, 1, sizeof sector, out) != sizeof sector) {
            ReportError(ui, kMsgCantWriteSector, {i, target});
            ok = false;
            break;
        }
        if (Step(ui, i + 1)) {
            ok = false;
            break;
        }
    }
    if (platform::io::Fclose(out) != 0 && ok) {
        ReportError(ui, kMsgCantWriteSector, {count - 1, target});
        ok = false;
    }
    if (!ok) {
        std::remove(partial.c_str());
        return kStop;
    }
    if (platform::io::Rename(partial.c_str(), target.c_str()) != 0) {
        std::remove(partial.c_str());
        ReportError(ui, kMsgCantOpenWrite, {target});
        return kStop;
    }
    return 0;
}

namespace
{

int CopyDskIntoVolume(Cf7Card &card, uint32_t volume, const std::string &source, Ui &ui,
                      DiskSummary *summary, bool convertPc99)
{
    FileImage dsk;
    if (!dsk.Open(source, false)) {
        ReportError(ui, kMsgCantOpenRead, {source});
        return kStop;
    }
    // A PC99 track image is made a sector dump first; its raw tracks would
    // make no volume. Both kinds of card get the conversion.
    uint8_t first256[kSectorSize];
    DiskSummary probe;
    uint16_t kind = dsk.ReadAt(0, first256, sizeof first256) ? DecodeVib(&dsk, first256, probe) : 0;
    if (convertPc99 && (kind == 10 || kind == 11)) {
        dsk.Close();
        platform::TempDir &temp = platform::ProgramTempDir();
        if (!temp.Created() && !temp.Create()) {
            ReportError(ui, kMsgCantOpenWrite, {source});
            return kStop;
        }
        const std::string converted = temp.Directory() + "/cf7_volume.dsk";
        std::remove(converted.c_str());
        bool ok = ConvertPc99ToDsk(source, converted, ui) &&
                  CopyDskIntoVolume(card, volume, converted, ui, summary, false) == 0;
        std::remove(converted.c_str());
        return ok ? 0 : kStop;
    }
    if (!card.CheckVolume(volume, ui)) {
        return kStop;
    }
    uint8_t kept[mountrecord::kSize] = {};
    bool keep = false;
    if (card.Physical() && volume == 1) {
        uint8_t first[kSectorSize];
        MountRecord mount;
        if (!card.ReadSector(0, first, ui)) {
            return kStop;
        }
        if (DecodeMountRecord(first + mountrecord::kOffset, card.VolumeCount(), mount)) {
            std::memcpy(kept, first + mountrecord::kOffset, sizeof kept);
            keep = true;
        }
    }
    uint8_t vib0[kSectorSize];
    if (!dsk.ReadAt(0, vib0, sizeof vib0)) {
        ReportError(ui, kMsgCantReadSector, {0, source});
        return kStop;
    }
    DiskSummary decoded;
    bool isDsk = DecodeVib(nullptr, vib0, decoded) != 0;
    // Sectors the DSK holds: what its VIB says, but never more than the file.
    uint64_t total = isDsk ? decoded.totalSectors : dsk.Size() / kSectorSize;
    if (total == 0) {
        total = dsk.Size() / kSectorSize;
    }
    // The whole new volume is put together before the first write, so that a
    // DSK that cannot be read to its end leaves the volume as it was.
    std::vector<uint8_t> volumeBytes;
    try {
        volumeBytes.assign(kCf7VolumeBytes, kCf7Filler);
    } catch (const std::bad_alloc &) {
        ReportError(ui, kMsgCantOpenRead, {source});
        return kStop;
    }
    const uint32_t fromDsk = static_cast<uint32_t>(std::min<uint64_t>(total, kCf7VolumeSectors));
    for (uint32_t i = 0; i < fromDsk; ++i) {
        if (!dsk.ReadAt(uint64_t{i} * kSectorSize, volumeBytes.data() + i * kSectorSize,
                        kSectorSize)) {
            ReportError(ui, kMsgCantReadSector, {i, source});
            return kStop;
        }
    }
    dsk.Close();
    uint8_t *vib = volumeBytes.data();
    ClearCf7Slots(vib, fromDsk);
    // With all three slots holding subdirectories the record stays out: the
    // card's mounts can be set again, the files could not.
    if (keep) {
        PutCf7MountRecord(vib, kept);
    }
    ResizeVib(vib, GetWordBE(vib, vib::kTotalSectors), kCf7VolumeSectors);
    uint8_t interim[kSectorSize];
    BuildInterimVib(vib, keep ? kept : nullptr, interim);
    uint8_t noFiles[kSectorSize] = {};

    // The volume is overwritten in place, so a refused write or a Cancel part
    // way must not leave a file index naming sectors that belong to another
    // disk. The old root index goes first (the old VIB then lists only
    // subdirectories whose sectors are still its own), then a VIB of the new
    // disk that names no subdirectory, so that the volume is an empty disk
    // while the rest is written; the real file index and VIB come last.
    const uint64_t first = Cf7VolumeFirstSector(volume);
    ui.SetProgressRange(kCf7VolumeSectors);
    uint32_t position = 0;
    auto put = [&](uint32_t i, const uint8_t *bytes) {
        if (!card.WriteSector(first + i, bytes, ui)) {
            return false;
        }
        return !Step(ui, ++position);
    };
    if (!put(1, noFiles) || !put(0, interim)) {
        return kStop;
    }
    for (uint32_t i = 2; i < kCf7VolumeSectors; ++i) {
        if (!put(i, volumeBytes.data() + i * kSectorSize)) {
            return kStop;
        }
    }
    const uint8_t *index = volumeBytes.data() + kSectorSize;
    if (std::memcmp(index, noFiles, kSectorSize) != 0 && !card.WriteSector(first + 1, index, ui)) {
        return kStop;
    }
    if (std::memcmp(vib, interim, kSectorSize) != 0 && !card.WriteSector(first, vib, ui)) {
        return kStop;
    }
    if (isDsk && summary != nullptr) {
        *summary = decoded;
    }
    return 0;
}

} // namespace

int CopyDskToCf7Volume(Cf7Card &card, uint32_t volume, const std::string &source, Ui &ui,
                       DiskSummary *summary)
{
    return CopyDskIntoVolume(card, volume, source, ui, summary, true);
}

bool ReadCf7MountRecord(Cf7Card &card, MountRecord &mount, bool &valid, Ui &ui)
{
    uint8_t bytes[kSectorSize];
    if (card.Physical()) {
        if (!card.ReadSector(0, bytes, ui)) {
            return false;
        }
    } else if (!card.ReadHeader(bytes, ui)) {
        return false;
    }
    valid = DecodeMountRecord(bytes + mountrecord::kOffset, card.VolumeCount(), mount);
    return true;
}

bool WriteCf7MountRecord(Cf7Card &card, const MountRecord &mount, Ui &ui)
{
    if (card.Physical()) {
        uint8_t physical[kCf7PhysicalSector];
        if (!card.ReadPhysical(0, physical, ui)) {
            return false;
        }
        uint8_t record[mountrecord::kSize];
        EncodeMountRecord(mount, record);
        for (size_t j = 0; j < sizeof record; ++j) {
            physical[2 * (mountrecord::kOffset + j)] = record[j];
        }
        return card.WritePhysical(0, physical, ui);
    }
    uint8_t header[kCf7HeaderSize];
    if (!card.ReadHeader(header, ui)) {
        return false;
    }
    EncodeMountRecord(mount, header + mountrecord::kOffset);
    return card.WriteHeader(header, ui);
}

std::string Cf7MountLine(uint32_t volume, const std::string &diskName)
{
    return FormatText("VOL #%03u: %10.10s", {volume, diskName});
}

} // namespace kestrel
