// Raw access to whole removable drives by 512-byte sector number.
//
// Drives are found either on the system (Linux: removable whole-disk block
// devices under /sys/block) or, when the environment variable KESTREL_DRIVES
// is set, in a colon-separated list of image files that stand in for drives,
// so that tests and demos never touch a real device. Either list is put in a
// fixed order (file drives as listed; block devices by kernel name, shorter
// names first: sda ... sdz, sdaa) and the n-th drive gets the letter 'D' + n,
// whatever the letter mask says; the mask (bit 0 = A ... bit 25 = Z) then
// decides which of them are offered, so a drive keeps its letter when another
// one is masked out. A, B and C are never given.
//
// A RawDisk reads ahead and writes behind in blocks of kRawBlockSectors
// sectors, so a caller that walks a drive one sector at a time runs near the
// medium's speed. A write may therefore fail at a later call (or at Flush or
// Close); the failing sector is then given back. Opening for writing takes an
// exclusive open (a block device opened with O_EXCL, an image file locked
// with flock) as the write lock; it is released by Close.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrel::platform
{

constexpr uint32_t kRawSectorSize = 512;
constexpr uint32_t kRawBlockSectors = 2048; // 1 MiB blocks

struct RawDriveInfo {
    char letter = 0;
    std::string devicePath;  // /dev/sdX, or the image file
    std::string description; // vendor and model, or the image's file name
    uint64_t sizeBytes = 0;  // as the system reports it
    uint32_t sectorSize = kRawSectorSize;
    bool fileBacked = false;
};

// One image file acting as a drive (tests); sectorSize is what the drive
// reports to its callers.
struct FileDriveSpec {
    std::string path;
    uint32_t sectorSize = kRawSectorSize;
};

// Replaces the drive list with image files for the rest of the run (tests);
// an empty list goes back to KESTREL_DRIVES or the system's drives.
void SetFileDrives(const std::vector<FileDriveSpec> &drives);

// The drives allowed by letterMask, in letter order.
std::vector<RawDriveInfo> ListRawDrives(uint32_t letterMask);

// The drive with that letter (mask ignored); false when there is none.
bool FindRawDrive(char letter, RawDriveInfo &info);

class RawDisk
{
public:
    RawDisk() = default;
    ~RawDisk() { Close(); }
    RawDisk(const RawDisk &) = delete;
    RawDisk &operator=(const RawDisk &) = delete;

    // Opens the drive; with forWriting the write lock is taken. A drive that
    // can be read but not written opens anyway and every write then fails with
    // the system's reason (as a write-protected card does). False with the
    // system's error code in error.
    bool Open(const RawDriveInfo &drive, bool forWriting, int &error);
    // Writes what is pending (its failure is lost: call Flush first to see
    // it), releases the lock and closes. Safe when not open.
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    bool Locked() const { return m_locked; }

    uint32_t SectorSize() const { return m_sectorSize; }
    // Whole 512-byte sectors the system reports.
    uint64_t ReportedSectors() const { return m_sizeBytes / kRawSectorSize; }

    // Exactly 512 bytes of sector; a sector beyond the medium fails (error
    // EIO when the system gave no reason).
    bool ReadSector(uint64_t sector, uint8_t *buffer, int &error);
    // The same, for a single look (a drive's first sector, its size probed sector by sector):
    // nothing is read ahead, where the block read ahead would be read for nothing.
    bool ProbeSector(uint64_t sector, uint8_t *buffer, int &error);
    // Queues 512 bytes for sector. False when a write failed now: error and
    // failedSector then say which sector and why.
    bool WriteSector(uint64_t sector, const uint8_t *buffer, int &error, uint64_t &failedSector);
    // Writes the queued sectors and asks the system to keep them.
    bool Flush(int &error, uint64_t &failedSector);

    // Whole-drive transfers (backup, restore) move count sectors from first
    // straight between the caller's buffer and the system, without passing
    // through the read-ahead or write-behind blocks. ReadSectors gives in
    // done the whole sectors read before a failure or the medium's end (true
    // when all were); WriteSectors first writes what is queued, and on a
    // failure says in failedSector which sector was not written.
    bool ReadSectors(uint64_t first, size_t count, uint8_t *buffer, size_t &done, int &error);
    bool WriteSectors(uint64_t first, size_t count, const uint8_t *buffer, int &error,
                      uint64_t &failedSector);
    // Tells the system that the drive is about to be read or written from
    // start to end, so it reads ahead further and keeps less behind.
    void AdviseSequential();

private:
    bool WritePending(int &error, uint64_t &failedSector);
    bool WriteDirect(uint64_t first, size_t count, const uint8_t *buffer, int &error,
                     uint64_t &failedSector);

    int m_fd = -1;
    bool m_locked = false;
    bool m_fileBacked = false;
    int m_writeRefusal = 0; // set when opened for writing but only readable
    bool m_forWriting = false;
    uint32_t m_sectorSize = kRawSectorSize;
    uint64_t m_sizeBytes = 0;

    // Made on first use and not cleared: a single sector written behind must not cost the
    // fresh pages of a whole block.
    std::unique_ptr<uint8_t[]> m_readBlock;
    uint64_t m_readFirst = 0;
    uint64_t m_readCount = 0;

    std::unique_ptr<uint8_t[]> m_writeBlock;
    uint64_t m_writeFirst = 0;
    uint64_t m_writeCount = 0;
};

// Implemented per system (rawdisk_linux.cpp): the removable whole-disk
// devices in the fixed order, letters not yet given.
std::vector<RawDriveInfo> SystemRawDrives();
// The file drives of KESTREL_DRIVES or SetFileDrives (rawdisk_file.cpp);
// false when neither names any, and the system's drives are used.
bool FileRawDrives(std::vector<RawDriveInfo> &drives);
// Opens a system device (rawdisk_linux.cpp): exclusive when lock is set.
int OpenSystemDevice(const std::string &path, bool writable, bool lock, int &error,
                     uint64_t &sizeBytes, uint32_t &sectorSize);

} // namespace kestrel::platform
