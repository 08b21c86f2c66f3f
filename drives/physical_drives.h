// Finding the removable drives that carry a TI hard disk or a CF7A+ card,
// their size by probing and their classification from sector 0.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "tifs/ui.h"

namespace kestrel
{

enum DriveKind : int {
    kDriveCf7 = 1,
    kDriveHardDisk = 4,
    kDrivePcFormatted = 100,
};

// Wanted kinds of FindPhysicalDrives.
constexpr unsigned kWantHardDisks = 1u;
constexpr unsigned kWantCards = 2u; // CF7A+ cards and PC-formatted media

// No medium at or above this many sectors is offered as a card.
constexpr uint64_t kMaxCardSectors = 16000000;

struct DriveItem {
    char letter = 0;
    uint64_t sectors = 0;    // 512-byte sectors
    int kind = 0;            // DriveKind
    std::string type;        // "CF7A+", "HDIMG", or the file system's name (8 at most)
    std::string label;       // 11 at most
    std::string description; // the drive's own description
};

// The size of a medium in sectors, found by halving steps from an estimate:
// readable(n) tells whether sector n can be read. Bounded: at most 128 steps.
uint64_t ProbeSectorCount(uint64_t estimate, const std::function<bool(uint64_t)> &readable);

// Classifies a drive from its first 512 bytes. False when it is not wanted.
bool ClassifyDrive(const uint8_t *sector0, uint64_t sectors, unsigned wanted, DriveItem &item);

// Sectors a TI hard disk occupies, from its sector 0 (the end of the last
// partition, or the volume's AUs in 512-byte sectors rounded up); 0 when
// sector 0 is no hard disk.
uint64_t HardDiskSectors(const uint8_t *sector0, std::string *volumeName = nullptr);

// The drives of the wanted kinds allowed by ProgramSettings().driveLetters,
// in letter order. Drives that cannot be opened or read are passed over.
std::vector<DriveItem> FindPhysicalDrives(unsigned wanted);

// The drop-down lines of the dialogs.
std::string Cf7DriveLine(const DriveItem &item);     // "Read Cf7a+ card"
std::string BackupDriveLine(const DriveItem &item);  // "Save TI disk image"
std::string RestoreDriveLine(const DriveItem &item); // "Restore ..."

} // namespace kestrel
