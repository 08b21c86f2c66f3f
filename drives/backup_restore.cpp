#include "drives/backup_restore.h"
#include "platform/fault_injection.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "drives/cf7_volume.h"
#include "platform/safe_write.h"
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
constexpr int kMsgCantReadDiskInfo = 9;
constexpr int kMsgCantWriteDrive = 28;
constexpr int kMsgNoCapacity = 29;
// Physical sectors per transfer: 1 MiB from or to the drive in one call.
constexpr size_t kBlockSectors = 2048;

// An image file read in large blocks at given offsets, announced to the
// system as read from start to end.
class ImageFile
{
public:
    explicit ImageFile(const std::string &path)
        : m_fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY))
    {
        struct stat st {
        };
        if (m_fd >= 0 && ::fstat(m_fd, &st) == 0) {
            m_size = static_cast<uint64_t>(st.st_size);
        }
#ifdef POSIX_FADV_SEQUENTIAL
        if (m_fd >= 0) {
            ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        }
#endif
    }
    ~ImageFile()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    ImageFile(const ImageFile &) = delete;
    ImageFile &operator=(const ImageFile &) = delete;

    explicit operator bool() const
    {
        return m_fd >= 0;
    }
    uint64_t Size() const
    {
        return m_size;
    }
    // Up to length bytes at offset; fewer only at the end of the file or on an error.
    size_t Read(uint64_t offset, uint8_t *buffer, size_t length)
    {
        size_t done = 0;
        while (done < length) {
            ssize_t n =
                ::pread(m_fd, buffer + done, length - done, static_cast<off_t>(offset + done));
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        return done;
    }

private:
    int m_fd;
    uint64_t m_size = 0;
};

// Progress of sector i (from 0) of count; true when the user cancelled.
bool Step(Ui &ui, const char *format, uint64_t i, uint64_t count)
{
    if (i % kProgressEvery == 0 || i + 1 == count) {
        ui.SetStatusText(
            FormatText(format, {static_cast<long long>(i), static_cast<long long>(count)}));
        ui.SetProgressPosition(static_cast<uint32_t>(i));
    }
    ui.PumpPendingMessages();
    return ui.CancelPressed();
}

// A card volume being restored: its first two sectors as the image has them,
// held back until the volume's other sectors are on the drive.
struct PendingVolume {
    uint64_t first = 0;
    uint64_t last = 0;
    uint8_t vib[kCf7TiSector] = {};
    uint8_t index[kCf7TiSector] = {};
    uint8_t interim[kCf7TiSector] = {};
};

// One card sector through the drive's write-behind, in the order given.
bool WriteTiSector(platform::RawDisk &disk, uint64_t sector, const uint8_t *ti, int &error,
                   uint64_t &failed)
{
    uint8_t physical[kCf7PhysicalSector];
    SpreadTiSector(ti, Cf7FillerFor(sector), physical);
    return disk.WriteSector(sector, physical, error, failed);
}

// The image's name in the header: the base name without extension, as a TI name.
std::string ImageTiName(const std::string &imagePath)
{
    std::string base = imagePath.substr(imagePath.find_last_of('/') + 1);
    size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        base.erase(dot);
    }
    std::string name;
    for (char c : base) {
        if (name.size() == 10) {
            break;
        }
        name.push_back(c == '.' || c == ' '
                           ? '_'
                           : static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return name;
}

} // namespace

bool IsCf7ImageFile(const std::string &path)
{
    ImageFile file(path);
    uint8_t header[kCf7HeaderSize];
    return file && file.Read(0, header, sizeof header) == sizeof header && IsCf7ImageHeader(header);
}

BackupResult BackupDrive(const DriveItem &item, const std::string &imagePath, Ui &ui)
{
    const bool hardDisk = item.kind == kDriveHardDisk;
    Cf7Card drive;
    if (!drive.OpenDrive(item.letter, false, ui)) {
        return BackupResult::Failed;
    }
    // A new image file is written in place; an existing one is replaced only
    // by a complete backup.
    platform::SafeFileWriter out;
    if (!out.Open(imagePath)) {
        ReportError(ui, kMsgCantOpenWrite, {imagePath});
        return BackupResult::Failed;
    }
    platform::RawDisk &disk = drive.Disk();
    disk.AdviseSequential();
    const uint64_t count = item.sectors;
    ui.SetProgressRange(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    BackupResult result = BackupResult::Done;
    std::vector<uint8_t> block;
    try {
        block.resize(kBlockSectors * kCf7PhysicalSector);
    } catch (const std::bad_alloc &) {
        ReportSystemError(ui, ENOMEM, kMsgCantOpenWrite, {imagePath});
        return BackupResult::Failed;
    }
    for (uint64_t first = 0; first < count && result == BackupResult::Done;
         first += kBlockSectors) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kBlockSectors, count - first));
        size_t got = 0;
        int error = 0;
        disk.ReadSectors(first, wanted, block.data(), got, error);
        // A card's TI bytes are gathered into the first half of the block itself: sector k's
        // go where no sector after it lies, and a second block would be as many fresh pages.
        size_t length = 0; // of the block, to be written
        uint8_t header[kCf7HeaderSize];
        bool withHeader = false;
        size_t done = 0;
        for (; done < wanted; ++done) {
            const uint64_t i = first + done;
            if (Step(ui, "reading sector %d of %d", i, count)) {
                result = BackupResult::Cancelled;
                break;
            }
            uint8_t *physical = block.data() + done * kCf7PhysicalSector;
            // The sector the block read stopped at is read alone: it either
            // comes after all or is reported with its number and reason.
            if (done >= got && !drive.ReadPhysical(i, physical, ui)) {
                result = BackupResult::Failed;
                break;
            }
            if (hardDisk) {
                continue;
            }
            uint8_t *ti = block.data() + length;
            GatherTiSector(physical, ti);
            length += kCf7TiSector;
            if (i == 0) {
                // The header goes before sector 0's bytes.
                uint8_t *record = ti + mountrecord::kOffset;
                bool moved = record[0] == mountrecord::kMarker && record[1] == mountrecord::kCount;
                BuildCf7ImageHeader(ImageTiName(imagePath), moved ? record : nullptr, header);
                if (moved) {
                    std::memset(record, 0, mountrecord::kSize);
                }
                withHeader = true;
            }
        }
        // What was read before a stop is written: a cancelled backup is dropped whole anyway.
        if (hardDisk) {
            length = done * kCf7PhysicalSector;
        }
        bool written = !withHeader || out.Write(header, sizeof header);
        written = written && (length == 0 || out.Write(block.data(), length));
        if (!written && result != BackupResult::Cancelled) {
            ReportError(ui, kMsgCantWriteSector,
                        {static_cast<long long>(hardDisk ? 2 * first : first), imagePath});
            result = BackupResult::Failed;
        }
    }
    drive.Close();
    if (result == BackupResult::Done && !out.Commit()) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<long long>(count), imagePath});
        result = BackupResult::Failed;
    }
    if (result != BackupResult::Done) {
        out.Abandon(false);
    } else {
        ui.SetProgressPosition(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    }
    return result;
}

BackupResult RestoreDrive(const std::string &imagePath, char letter, bool asCard, Ui &ui)
{
    Cf7Card drive;
    if (!drive.OpenDrive(letter, true, ui)) {
        return BackupResult::Failed;
    }
    ImageFile in(imagePath);
    if (!in) {
        ReportError(ui, kMsgCantOpenRead, {imagePath});
        return BackupResult::Failed;
    }
    const uint64_t fileSize = in.Size();
    uint8_t header[kCf7HeaderSize];
    uint64_t count = 0;
    if (asCard) {
        if (in.Read(0, header, sizeof header) != sizeof header) {
            ReportError(ui, kMsgCantReadSector, {0, imagePath});
            return BackupResult::Failed;
        }
        if (!IsCf7ImageHeader(header)) {
            ReportError(ui, kMsgCantReadDiskInfo, {imagePath});
            return BackupResult::Failed;
        }
        count = Cf7ImageTiSectors(fileSize);
    } else {
        uint8_t first[kCf7TiSector];
        size_t got = in.Read(0, first, sizeof first);
        count = got == kCf7TiSector ? HardDiskSectors(first) : 0;
        if (count == 0) {
            ReportError(ui, kMsgCantReadDiskInfo, {imagePath});
            return BackupResult::Failed;
        }
        // The image must hold every sector it claims before the drive is touched.
        if (fileSize < count * kCf7PhysicalSector) {
            ReportError(ui, kMsgCantReadSector,
                        {static_cast<long long>(fileSize / kCf7PhysicalSector), imagePath});
            return BackupResult::Failed;
        }
    }
    if (count == 0) {
        ReportError(ui, kMsgCantReadDiskInfo, {imagePath});
        return BackupResult::Failed;
    }
    uint8_t probe[kCf7PhysicalSector];
    if (!drive.ProbePhysical(count - 1, probe)) {
        ReportSystemError(ui, drive.LastError(), kMsgNoCapacity, {letter});
        return BackupResult::Failed;
    }
    platform::RawDisk &disk = drive.Disk();
    disk.AdviseSequential();
    ui.SetProgressRange(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    BackupResult result = BackupResult::Done;
    std::vector<uint8_t> block;
    try {
        block.resize(kBlockSectors * kCf7PhysicalSector);
    } catch (const std::bad_alloc &) {
        ReportSystemError(ui, ENOMEM, kMsgCantOpenRead, {imagePath});
        return BackupResult::Failed;
    }
    const size_t unit = asCard ? kCf7TiSector : kCf7PhysicalSector;
    const uint64_t base = asCard ? kCf7HeaderSize : 0;
    const bool mountRecord = asCard && header[mountrecord::kOffset] == mountrecord::kMarker &&
                             header[mountrecord::kOffset + 1] == mountrecord::kCount;
    // A card's volumes are overwritten in place. Each one goes through the
    // state of an empty disk: before the block that reaches it, its file index
    // (sector 1) is written empty and its VIB without subdirectory slots, and
    // the block carries those two sectors so; once its last sector is on the
    // drive its real file index and VIB follow. Stopped anywhere, a volume
    // lists its old files, none, or its new ones, never an index of one disk
    // over the files of another. A hard-disk image has no such unit to keep
    // whole and is written as it comes: whoever restores it chose to lose the
    // drive's old contents, and a stop leaves a drive to be restored again.
    std::vector<PendingVolume> pending;
    pending.reserve(3);      // a block reaches into three volumes at most
    uint64_t nextVolume = 0; // the first sector of the next volume the loop comes to
    uint8_t noFiles[kCf7TiSector] = {};
    for (uint64_t first = 0; first < count && result == BackupResult::Done;
         first += kBlockSectors) {
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(kBlockSectors, count - first));
        // A hard-disk image is the drive's bytes: read straight into the block that is written.
        // A card's TI bytes are read into the block's second half and spread from there over
        // the whole block: sector k's bytes land on TI bytes that were spread already (its own
        // are loaded before they are overwritten), and a second block would be as many fresh
        // pages.
        uint8_t *tiBytes = block.data() + kBlockSectors * kCf7TiSector;
        uint8_t *source = asCard ? tiBytes : block.data();
        const size_t available = in.Read(base + first * unit, source, wanted * unit) / unit;
        size_t done = 0;
        for (; done < wanted; ++done) {
            const uint64_t i = first + done;
            if (Step(ui, "writing sector %d of %d", i, count)) {
                result = BackupResult::Cancelled;
                break;
            }
            if (done >= available) {
                ReportError(ui, kMsgCantReadSector, {static_cast<long long>(i), imagePath});
                result = BackupResult::Failed;
                break;
            }
            if (!asCard) {
                continue;
            }
            uint8_t *ti = tiBytes + done * kCf7TiSector;
            if (i == 0 && mountRecord) {
                std::memcpy(ti + mountrecord::kOffset, header + mountrecord::kOffset,
                            mountrecord::kSize);
            }
            if (i == nextVolume) {
                nextVolume += kCf7VolumeSectors;
                if (i + 1 < count) {
                    PendingVolume &volume = pending.emplace_back();
                    volume.first = i;
                    volume.last = std::min<uint64_t>(i + kCf7VolumeSectors, count) - 1;
                    std::memcpy(volume.vib, ti, kCf7TiSector);
                    BuildInterimVib(ti,
                                    i == 0 && mountRecord ? header + mountrecord::kOffset : nullptr,
                                    volume.interim);
                    ti = volume.interim;
                }
            } else if (!pending.empty() && pending.back().first + 1 == i) {
                std::memcpy(pending.back().index, ti, kCf7TiSector);
                ti = noFiles;
            }
            SpreadTiSector(ti, Cf7FillerFor(i), block.data() + done * kCf7PhysicalSector);
        }
        // A volume that begins in this block is made an empty disk before any
        // of its other sectors changes.
        int error = 0;
        uint64_t failed = 0;
        bool written = true;
        for (const PendingVolume &volume : pending) {
            if (volume.first >= first && volume.first < first + done && written) {
                written = WriteTiSector(disk, volume.first + 1, noFiles, error, failed) &&
                          WriteTiSector(disk, volume.first, volume.interim, error, failed);
            }
        }
        // The sectors before a stop are written, as they would have been one by one.
        written =
            written && (done == 0 || disk.WriteSectors(first, done, block.data(), error, failed));
        // Then the volumes whose last sector this block wrote get their own index and VIB
        // (an empty volume without subdirectories has them already).
        for (auto it = pending.begin(); written && it != pending.end();) {
            if (it->last < first + done) {
                const bool sameIndex = std::memcmp(it->index, noFiles, kCf7TiSector) == 0;
                const bool sameVib = std::memcmp(it->vib, it->interim, kCf7TiSector) == 0;
                written =
                    (sameIndex || WriteTiSector(disk, it->first + 1, it->index, error, failed)) &&
                    (sameVib || WriteTiSector(disk, it->first, it->vib, error, failed));
                it = pending.erase(it);
            } else {
                ++it;
            }
        }
        if (!written) {
            ReportSystemError(ui, error, kMsgCantWriteDrive,
                              {static_cast<long long>(failed), letter});
            result = BackupResult::Failed;
        }
    }
    // What the system holds back reaches the medium here; a failure is
    // reported with its sector.
    if (!drive.Finish(ui)) {
        result = BackupResult::Failed;
    }
    if (result == BackupResult::Done) {
        ui.SetProgressPosition(static_cast<uint32_t>(count > UINT32_MAX ? UINT32_MAX : count));
    }
    return result;
}

} // namespace kestrel
