#include "tifs/floppy/floppy_subdirectory.h"

#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_writer_disk.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgDskFull = 33;
constexpr int kMsgFileExists = 36;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgCantCreateHere = 44;
constexpr int kMsgCantCreateDirectory = 45;
constexpr int kMsgCantRename = 48;
constexpr int kMsgNoFreeSlot = 140;
constexpr int kMsgDirectoryExists = 141;
constexpr int kMsgDirectoryNotEmpty = 142;
constexpr int kMsgDirectoryMissing = 143;

constexpr uint16_t kRootIndex = 1;
constexpr size_t kSlotPointer = 10; // within a slot, after the name
constexpr size_t kNameBytes = 10;

uint8_t *SlotAt(uint8_t *vibSector, size_t slot)
{
    return vibSector + vib::kSlots + slot * vib::kSlotSize;
}

std::string Shown(const std::string &name10)
{
    size_t end = name10.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : name10.substr(0, end + 1);
}

// The slot whose name is name10, or -1; skip is a slot not to look at (the
// one being renamed).
int SlotNamed(const uint8_t *vibSector, const std::string &name10, int skip = -1)
{
    for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
        SubdirSlot s = ReadSubdirSlot(vibSector, slot);
        if (static_cast<int>(slot) != skip && s.used && s.name == name10) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

// A name may be taken by a subdirectory or by a file of the root: on the TI
// both are reached by the same path, so neither may shadow the other.
bool NameIsFree(WritableDisk &disk, const FloppyTarget &root, const std::string &name10,
                int skipSlot, Ui &ui)
{
    if (SlotNamed(disk.vib, name10, skipSlot) >= 0) {
        ReportError(ui, kMsgDirectoryExists, {Shown(name10)});
        return false;
    }
    uint8_t fdr[kSectorSize];
    unsigned position = 0;
    FindResult found = FindNameInIndex(disk.image, root, disk.summary.totalSectors, disk.index,
                                       name10, fdr, position, ui);
    if (found == FindResult::Found) {
        ReportError(ui, kMsgFileExists, {Shown(name10)});
    }
    return found == FindResult::NotFound;
}

// The slot that holds the entry: its name and its file index sector.
int SlotOfEntry(const uint8_t *vibSector, const CatalogEntry &entry)
{
    const std::string name10 = PadTiName(entry.ti.tiName);
    for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
        SubdirSlot s = ReadSubdirSlot(vibSector, slot);
        if (s.used && s.name == name10 && s.fdirSector == entry.ti.fdrSector) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

bool ValidName(const std::string &name10)
{
    return name10.size() == kNameBytes && name10[0] != ' ' && name10[0] != '\0';
}

} // namespace

std::string FloppyDirectoryName(const std::string &typed)
{
    std::string name10 = PcNameToTiName(typed);
    return ValidName(name10) ? name10 : std::string();
}

bool CreateFloppySubdirectory(const FloppyTarget &target, const std::string &name10, Ui &ui,
                              uint16_t *fdirSector)
{
    if (target.fdirSector != kRootIndex) {
        ReportError(ui, kMsgCantCreateHere);
        return false;
    }
    const std::string name = PadTiName(name10);
    if (!ValidName(name)) {
        ReportError(ui, kMsgCantCreateDirectory, {Shown(name)});
        return false;
    }
    WritableDisk disk;
    if (!disk.Open(target, ui)) {
        return false;
    }
    int freeSlot = -1;
    for (size_t slot = 0; slot < vib::kSlotCount && freeSlot < 0; ++slot) {
        if (!ReadSubdirSlot(disk.vib, slot).used) {
            freeSlot = static_cast<int>(slot);
        }
    }
    if (freeSlot < 0) {
        ReportError(ui, kMsgNoFreeSlot, {target.imagePath});
        return false;
    }
    if (!NameIsFree(disk, target, name, -1, ui)) {
        return false;
    }
    const unsigned total = disk.summary.totalSectors;
    unsigned lastAu = total / disk.auSize;
    if (lastAu > kBitmapAus) {
        lastAu = kBitmapAus;
    }
    unsigned start = 0;
    unsigned count = 0;
    if (!AllocateRun(disk.vib, 1, FirstFdrAu(disk.auSize), lastAu, 1, start, count) ||
        start * disk.auSize > 0xFFFF) {
        ReportError(ui, kMsgDskFull, {target.imagePath});
        return false;
    }
    const uint16_t sector = static_cast<uint16_t>(start * disk.auSize);
    uint8_t *slot = SlotAt(disk.vib, static_cast<size_t>(freeSlot));
    std::memcpy(slot, name.data(), kNameBytes);
    PutWordBE(slot, kSlotPointer, sector);

    // The empty index goes first: the VIB never points at a sector that
    // still holds whatever was there before.
    uint8_t emptyIndex[kSectorSize] = {};
    if (!WriteDiskSector(disk.image, target.base, sector, emptyIndex, ui, target.imagePath) ||
        !WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath)) {
        return false;
    }
    if (!disk.image.Flush()) {
        ReportError(ui, kMsgCantWriteSector, {0, target.imagePath});
        return false;
    }
    if (fdirSector != nullptr) {
        *fdirSector = sector;
    }
    return true;
}

bool DeleteFloppySubdirectory(const FloppyTarget &target, const CatalogEntry &entry, Ui &ui)
{
    if (entry.ti.kind != kKindSubdir) {
        return false;
    }
    FloppyTarget root = target;
    root.fdirSector = kRootIndex;
    WritableDisk disk;
    if (!disk.Open(root, ui)) {
        return false;
    }
    const int slot = SlotOfEntry(disk.vib, entry);
    const uint16_t sector = entry.ti.fdrSector;
    if (slot < 0 || sector < 2 || sector >= disk.summary.totalSectors) {
        ReportError(ui, kMsgDirectoryMissing, {Shown(PadTiName(entry.ti.tiName))});
        return false;
    }
    uint8_t index[kSectorSize];
    if (!ReadDiskSector(disk.image, target.base, sector, index, ui, target.imagePath)) {
        return false;
    }
    if (GetWordBE(index, 0) != 0) {
        ReportError(ui, kMsgDirectoryNotEmpty, {Shown(PadTiName(entry.ti.tiName))});
        return false;
    }
    std::memset(SlotAt(disk.vib, static_cast<size_t>(slot)), 0, vib::kSlotSize);
    MarkAu(disk.vib, sector / disk.auSize, false);
    // The slot is cleared before the sector is given back, so that a failed
    // write leaves at worst a sector marked used, never a slot pointing at
    // a freed sector.
    std::memset(index, 0xE5, sizeof index);
    return WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath) &&
           WriteDiskSector(disk.image, target.base, sector, index, ui, target.imagePath);
}

bool RenameFloppySubdirectory(const FloppyTarget &target, CatalogEntry &entry,
                              const std::string &newName10, Ui &ui)
{
    if (entry.ti.kind != kKindSubdir) {
        return false;
    }
    const std::string newName = PadTiName(newName10);
    if (!ValidName(newName)) {
        ReportError(ui, kMsgCantRename, {Shown(PadTiName(entry.ti.tiName))});
        return false;
    }
    if (newName == PadTiName(entry.ti.tiName)) {
        return true;
    }
    FloppyTarget root = target;
    root.fdirSector = kRootIndex;
    WritableDisk disk;
    if (!disk.Open(root, ui)) {
        return false;
    }
    const int slot = SlotOfEntry(disk.vib, entry);
    if (slot < 0) {
        ReportError(ui, kMsgDirectoryMissing, {Shown(PadTiName(entry.ti.tiName))});
        return false;
    }
    if (!NameIsFree(disk, root, newName, slot, ui)) {
        return false;
    }
    std::memcpy(SlotAt(disk.vib, static_cast<size_t>(slot)), newName.data(), kNameBytes);
    if (!WriteDiskSector(disk.image, target.base, 0, disk.vib, ui, target.imagePath)) {
        return false;
    }
    entry.ti.tiName = newName;
    return true;
}

} // namespace kestrel
