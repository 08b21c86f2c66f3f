// Operations on one floppy volume of a CF7A+ card (image file or drive):
// the volume's catalog entry, a new empty volume, a volume out as a DSK file
// and a DSK file into a volume, and the card's mount record. Each returns
// after reporting its failure through Ui; the card stays open for the caller.
#pragma once

#include <cstdint>
#include <string>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "tifs/catalog_entry.h"
#include "tifs/disk_summary.h"
#include "tifs/ui.h"

namespace kestrel
{

// The catalog entry of a volume from its first sector: PC name "VOL #...",
// TI name "UNFORMATED" or the disk name (with the summary), kind 14 on a
// drive and 16 in an image, base offset = the volume's first sector.
void FillCf7VolumeEntry(CatalogEntry &entry, uint32_t volume, bool physical, const uint8_t *vib,
                        uint64_t cardSectors);

// Changes the total of a VIB from oldTotal to newTotal with its bitmap.
// Shrinking needs the bitmap beyond the new end to be clear (it is then set
// to 0xFF); growing from below 1600 clears the bitmap from the old end. True
// when the VIB now says newTotal.
bool ResizeVib(uint8_t *vib, unsigned oldTotal, unsigned newTotal);

// Clears the VIB's subdirectory slots (bytes 20 to 55) that hold no
// subdirectory: a printable name and a file index sector from 2 to below
// totalSectors. Whatever else is there (a card's mount record, leftovers of
// other programs) means nothing on a disk and goes.
void ClearCf7Slots(uint8_t *vib, unsigned totalSectors);

// Puts the 8-byte mount record at VIB bytes 20 to 27, over slot 0's name;
// a subdirectory in slot 0 moves to a free slot first. False, with the VIB
// unchanged, when all three slots hold one.
bool PutCf7MountRecord(uint8_t *vib, const uint8_t *record);

// The first sector a volume gets while it is overwritten in place: vib
// without any subdirectory slot (bytes 20 to 55 zero), the 8-byte mount
// record at bytes 20 to 27 when one is given. With an empty file index in
// the volume's sector 1 this makes an empty disk that names none of the
// sectors still to be written.
void BuildInterimVib(const uint8_t *vib, const uint8_t *mountRecord, uint8_t *interim);

// The VIB of an empty 1600-sector volume (the CF7A+ floppy preset) with
// label, upper-cased and padded to 10 characters.
void BuildCf7Vib(const std::string &label, uint8_t *vib);

// Writes an empty volume: the VIB, an empty file index and 0xE5 sectors up to
// 1600, advancing the progress per sector. The summary of the new VIB is put
// in summary. False after the first failed write.
bool InitializeCf7Volume(Cf7Card &card, uint32_t volume, const std::string &label, Ui &ui,
                         DiskSummary &summary);

// The file name a volume is copied out under: the PC form of its TI name
// plus ".dsk".
std::string Cf7VolumeDskName(const std::string &tiName);

// Writes volume out as the DSK file target. An existing target asks the
// overwrite question ("DSK image"): No skips (0), Cancel stops (2), All is
// remembered in *overwriteAll. The VIB keeps its subdirectory slots, loses
// the rest of bytes 20 to 55 (ClearCf7Slots) and shrinks to its geometry when the sectors beyond
// are free; only that many sectors are written then. Returns 0 when done or skipped, 2 to stop a
// batch (failure or Cancel).
int CopyCf7VolumeToDsk(Cf7Card &card, uint32_t volume, const std::string &target, Ui &ui,
                       bool *overwriteAll = nullptr);

// Writes the DSK file source into volume: its sectors, 0xE5 up to 1600, the
// VIB grown or shrunk to 1600, its subdirectory slots kept and the rest of
// bytes 20 to 55 cleared; volume 1 of a drive keeps the card's valid mount
// record (PutCf7MountRecord). summary takes the DSK's VIB
// when it decoded. Returns 0, or 2 after a failure or Cancel.
// The DSK is read whole before the volume is touched. The volume's sector 1
// is then written empty, sector 0 as BuildInterimVib of the new VIB, the
// sectors 2 to 1599, and the real sector 1 and 0 last: stopped by a failed
// write or a Cancel, the volume lists its old files (subdirectories only
// once its root index is gone), none at all, or the new root's files; never
// a file whose sectors belong to the other disk. Progress: 1600 steps.
int CopyDskToCf7Volume(Cf7Card &card, uint32_t volume, const std::string &source, Ui &ui,
                       DiskSummary *summary = nullptr);

// The card's mount record: image header bytes 20 to 27, or TI bytes 20 to 27
// of a drive's first sector. valid is false (and mount all none) when the
// marker is wrong. False after a failed read.
bool ReadCf7MountRecord(Cf7Card &card, MountRecord &mount, bool &valid, Ui &ui);
// Writes the record there (a drive's sector 0 is read, changed at its even
// bytes and written back).
bool WriteCf7MountRecord(Cf7Card &card, const MountRecord &mount, Ui &ui);

// One line of the mount dialog: "VOL #%03u: %10.10s".
std::string Cf7MountLine(uint32_t volume, const std::string &diskName);

} // namespace kestrel
