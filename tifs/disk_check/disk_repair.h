// Repair of the file system of a floppy disk (a DSK or PC99 image, or a
// card volume) for the damage the disk check finds in its structures:
//  - the allocation bitmap is rebuilt from what the files use;
//  - each file index loses the entries that point outside the disk, at a
//    system sector, at an FDR listed before or at no FDR at all, and is put
//    in name order;
//  - a chain that runs outside the disk, loops or runs backwards is cut to
//    its readable part, a chain longer than the file's size to that size,
//    and the size fields (sectors, record count) are set to match;
//  - sectors that a file shares with the system, an FDR or an earlier file
//    are copied to free sectors, so that each file owns its own; without
//    room for the copies the sharing is reported and left.
// Nothing else changes: names, record fields and track damage are left as
// they are and listed as not repaired. A plan is made by reading only; a
// sector whose bytes would not change is not in it, so a disk that checks
// clean gives an empty plan and is never written.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tifs/floppy/floppy_reader.h"
#include "tifs/ui.h"

namespace kestrel
{

// Writes logical sector n of the disk, where FloppyDisk::ReadSector reads
// it: through the image's sector access for a sector dump, into the data
// field of its record for a PC99 image. False after the write message.
bool WriteFloppySector(FloppyDisk &disk, uint32_t sector, const uint8_t *data, Ui &ui);

struct DiskRepairPlan {
    // Sectors to write, by the order they are written in: copied data
    // first, then FDRs, file indexes and last the VIB, so that a write that
    // fails part way leaves no structure pointing at data not yet there.
    enum Stage { kData = 0, kFdr = 1, kIndex = 2, kVib = 3 };
    std::map<std::pair<int, uint32_t>, std::array<uint8_t, 256>> sectors;
    std::vector<std::string> changes;    // one line per change, in the order found
    std::vector<std::string> unrepaired; // damage left as it is
    bool Empty() const { return sectors.empty(); }
};

// Reads the disk open in disk and plans its repair. sectorLimit as for the
// check (a card volume's 1600). Read failures become unrepaired lines.
DiskRepairPlan PlanFloppyRepair(FloppyDisk &disk, Ui &ui, unsigned sectorLimit = 0);

// Writes the plan's sectors in their order; false after the first failed
// write (reported through ui).
bool ApplyFloppyRepair(FloppyDisk &disk, const DiskRepairPlan &plan, Ui &ui);

// Copies the whole image file at path to backup before a repair writes.
// An existing backup is replaced only when replace is set; otherwise, or
// when the copy fails, a numbered message says so and false is returned.
bool BackUpImage(const std::string &path, const std::string &backup, bool replace, Ui &ui);

struct RepairOptions {
    bool backup = true;
    std::string backupPath;     // empty: the image's path + ".bak"
    bool replaceBackup = false; // an existing backup may be replaced
};

struct RepairReport {
    std::vector<std::string> changes; // prefixed with the volume's name on a card
    std::vector<std::string> unrepaired;
    std::string backupPath; // set when a backup was written
    bool wrote = false;
};

// The backup's path for a repair of path with these options.
std::string RepairBackupPath(const std::string &path, const RepairOptions &options);

// Repairs the DSK or PC99 image file at path: plans on the image read-only,
// and only when the plan writes anything backs the file up (unless told
// not to) and writes. False after a reported failure: the image cannot be
// opened, the backup cannot be made (nothing written then), a write fails.
bool RepairDiskImage(const std::string &path, const RepairOptions &options, RepairReport &report,
                     Ui &ui);

} // namespace kestrel
