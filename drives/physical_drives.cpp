#include "drives/physical_drives.h"

#include <algorithm>
#include <cstring>

#include "drives/cf7_layout.h"
#include "drives/hd_recognizer.h"
#include "drives/partition_table.h"
#include "platform/rawdisk.h"
#include "tifs/disk_summary.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/settings.h"

namespace kestrel
{

namespace
{

constexpr int kProbeStepLimit = 128;

std::string Printable(const uint8_t *bytes, size_t length)
{
    std::string text;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = bytes[i];
        text.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ');
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// File system name and label of a PC-formatted medium from its boot sector
// (FAT12/16 and FAT32 extended boot records); "FAT" and no label otherwise.
void PcMediumIdentity(const uint8_t *sector0, std::string &type, std::string &label)
{
    type = "FAT";
    label.clear();
    if (sector0[510] != 0x55 || sector0[511] != 0xAA) {
        return;
    }
    if (sector0[66] == 0x29 && std::memcmp(sector0 + 82, "FAT", 3) == 0) {
        label = Printable(sector0 + 71, 11);
        type = Printable(sector0 + 82, 8);
    } else if (sector0[38] == 0x29) {
        label = Printable(sector0 + 43, 11);
        std::string fs = Printable(sector0 + 54, 8);
        if (!fs.empty()) {
            type = fs;
        }
    } else if (std::memcmp(sector0 + 3, "NTFS", 4) == 0) {
        type = "NTFS";
    } else if (std::memcmp(sector0 + 3, "EXFAT", 5) == 0) {
        type = "exFAT";
    }
}

unsigned long Megabytes(uint64_t sectors)
{
    return static_cast<unsigned long>(sectors * 512 / 1000000);
}

} // namespace

uint64_t ProbeSectorCount(uint64_t estimate, const std::function<bool(uint64_t)> &readable)
{
    if (estimate == 0) {
        return readable(0) ? 1 : 0;
    }
    uint64_t a = estimate;
    uint64_t b = a / 2;
    int steps = 0;
    do {
        if (!readable(a)) {
            a -= b;
            b /= 2;
        }
        a += b;
    } while (b != 0 && ++steps < kProbeStepLimit);
    return a + 1;
}

uint64_t HardDiskSectors(const uint8_t *sector0, std::string *volumeName)
{
    HdVolumeInfo info;
    int kind = RecognizeHdImage(sector0, true, info);
    if (kind == 0) {
        return 0;
    }
    if (volumeName != nullptr) {
        *volumeName = info.name;
    }
    if (kind == 12) {
        PartitionTable table;
        RecognizePartitionTable(sector0, table);
        // The sum of the partitions' lengths leaves out the table's own block
        // in front of partition 1; the disk ends where its last partition does.
        uint64_t end = 1;
        for (int i = 0; i < kPartitionCount; ++i) {
            if (table.offset[i] != 0) {
                end = std::max<uint64_t>(end, uint64_t{table.offset[i]} + table.blocks[i]);
            }
        }
        return end;
    }
    // Two TI sectors per 512-byte sector; an odd last TI sector still needs one.
    return (uint64_t{info.totalAus} * info.sectorsPerAu + 1) / 2;
}

bool ClassifyDrive(const uint8_t *sector0, uint64_t sectors, unsigned wanted, DriveItem &item)
{
    item.sectors = sectors;
    std::string name;
    if ((wanted & kWantHardDisks) != 0) {
        uint64_t hdSectors = HardDiskSectors(sector0, &name);
        if (hdSectors != 0) {
            item.kind = kDriveHardDisk;
            item.type = "HDIMG";
            item.label = name.substr(0, 11);
            item.sectors = hdSectors;
            return true;
        }
    }
    if ((wanted & kWantCards) == 0 || sectors >= kMaxCardSectors) {
        return false;
    }
    uint8_t ti[kCf7TiSector];
    GatherTiSector(sector0, ti);
    DiskSummary summary;
    if (DecodeVib(nullptr, ti, summary) != 0) {
        item.kind = kDriveCf7;
        item.type = "CF7A+";
        item.label = summary.name.substr(0, 11);
        return true;
    }
    item.kind = kDrivePcFormatted;
    std::string type;
    std::string label;
    PcMediumIdentity(sector0, type, label);
    item.type = type.substr(0, 8);
    item.label = label.substr(0, 11);
    return true;
}

std::vector<DriveItem> FindPhysicalDrives(unsigned wanted)
{
    std::vector<DriveItem> items;
    for (const platform::RawDriveInfo &info :
         platform::ListRawDrives(ProgramSettings().driveLetters)) {
        platform::RawDisk disk;
        int error = 0;
        if (!disk.Open(info, false, error)) {
            continue;
        }
        uint8_t sector0[kCf7PhysicalSector];
        if (!disk.ProbeSector(0, sector0, error)) {
            continue;
        }
        uint8_t scratch[kCf7PhysicalSector];
        uint64_t size = ProbeSectorCount(disk.ReportedSectors(), [&](uint64_t n) {
            int e = 0;
            return disk.ProbeSector(n, scratch, e);
        });
        DriveItem item;
        item.letter = info.letter;
        item.description = info.description;
        if (ClassifyDrive(sector0, size, wanted, item)) {
            items.push_back(item);
        }
    }
    return items;
}

std::string Cf7DriveLine(const DriveItem &item)
{
    return FormatText("%c: %s [%luMb] [%-10.10s]",
                      {item.letter, item.description, Megabytes(item.sectors), item.label});
}

std::string BackupDriveLine(const DriveItem &item)
{
    if (item.kind == kDriveHardDisk) {
        return FormatText("%c: DSKIMG [%luMb] [%10.10s]",
                          {item.letter, Megabytes(item.sectors), item.label});
    }
    if (item.kind == kDriveCf7) {
        return FormatText("%c: CF7A+     [%luMb] [%10.10s]",
                          {item.letter, Megabytes(item.sectors), item.label});
    }
    return FormatText("%c: %-8.8s  [%luMb] [%11.11s]",
                      {item.letter, item.type, Megabytes(item.sectors), item.label});
}

std::string RestoreDriveLine(const DriveItem &item)
{
    if (item.kind == kDriveHardDisk) {
        return FormatText("%c: DSKIMG [%luMb] [%10.10s]",
                          {item.letter, Megabytes(item.sectors), item.label});
    }
    return FormatText("%c: CF7A+      [%luMb] [%10.10s]",
                      {item.letter, Megabytes(item.sectors), item.label});
}

} // namespace kestrel
