// The buffered sector layer shared by system devices and file drives.
#include "platform/rawdisk.h"
#include "platform/fault_injection.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrel::platform
{

namespace
{

constexpr size_t kBlockBytes = size_t{kRawBlockSectors} * kRawSectorSize;

// The drive list in its fixed order with the letters given from 'D'.
std::vector<RawDriveInfo> AllDrives()
{
    std::vector<RawDriveInfo> drives;
    if (!FileRawDrives(drives)) {
        drives = SystemRawDrives();
    }
    if (drives.size() > 23) {
        drives.resize(23);
    }
    for (size_t i = 0; i < drives.size(); ++i) {
        drives[i].letter = static_cast<char>('D' + i);
    }
    return drives;
}

} // namespace

std::vector<RawDriveInfo> ListRawDrives(uint32_t letterMask)
{
    std::vector<RawDriveInfo> offered;
    for (const RawDriveInfo &drive : AllDrives()) {
        if ((letterMask >> (drive.letter - 'A')) & 1u) {
            offered.push_back(drive);
        }
    }
    return offered;
}

bool FindRawDrive(char letter, RawDriveInfo &info)
{
    for (const RawDriveInfo &drive : AllDrives()) {
        if (drive.letter == letter) {
            info = drive;
            return true;
        }
    }
    return false;
}

bool RawDisk::Open(const RawDriveInfo &drive, bool forWriting, int &error)
{
    Close();
    error = 0;
    m_forWriting = forWriting;
    m_fileBacked = drive.fileBacked;
    m_writeRefusal = 0;
    if (drive.fileBacked) {
        int fd = ::open(drive.devicePath.c_str(), (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        if (fd < 0 && forWriting && (errno == EACCES || errno == EROFS || errno == EPERM)) {
            m_writeRefusal = errno;
            fd = ::open(drive.devicePath.c_str(), O_RDONLY | O_CLOEXEC);
        }
        if (fd < 0) {
            error = errno;
            return false;
        }
        struct stat st {
        };
        if (::fstat(fd, &st) != 0) {
            error = errno;
            ::close(fd);
            return false;
        }
        if (forWriting && m_writeRefusal == 0) {
            if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
                error = errno;
                ::close(fd);
                return false;
            }
            m_locked = true;
        }
        m_fd = fd;
        m_sizeBytes = static_cast<uint64_t>(st.st_size);
        m_sectorSize = drive.sectorSize;
    } else {
        uint64_t size = 0;
        uint32_t sectorSize = 0;
        int fd =
            OpenSystemDevice(drive.devicePath, forWriting, forWriting, error, size, sectorSize);
        if (fd < 0 && forWriting && (error == EACCES || error == EROFS || error == EPERM)) {
            m_writeRefusal = error;
            fd = OpenSystemDevice(drive.devicePath, false, false, error, size, sectorSize);
        }
        if (fd < 0) {
            return false;
        }
        m_fd = fd;
        m_locked = forWriting && m_writeRefusal == 0;
        m_sizeBytes = size;
        m_sectorSize = sectorSize;
    }
    m_readCount = 0;
    m_writeCount = 0;
    return true;
}

void RawDisk::Close()
{
    if (m_fd < 0) {
        return;
    }
    int error = 0;
    uint64_t failed = 0;
    WritePending(error, failed);
    if (m_locked && m_fileBacked) {
        ::flock(m_fd, LOCK_UN);
    }
    ::close(m_fd);
    m_fd = -1;
    m_locked = false;
    m_readCount = 0;
    m_writeCount = 0;
    m_readBlock.reset();
    m_writeBlock.reset();
}

bool RawDisk::ReadSector(uint64_t sector, uint8_t *buffer, int &error)
{
    error = 0;
    if (m_fd < 0) {
        error = EBADF;
        return false;
    }
    if (sector >= m_readFirst && sector - m_readFirst < m_readCount) {
        std::memcpy(buffer, m_readBlock.get() + (sector - m_readFirst) * kRawSectorSize,
                    kRawSectorSize);
        return true;
    }
    // What was written behind must be on the medium before it is read again.
    if (m_writeCount > 0) {
        uint64_t failed = 0;
        if (!WritePending(error, failed)) {
            return false;
        }
    }
    if (sector > UINT64_MAX / kRawSectorSize) {
        error = EINVAL;
        return false;
    }
    if (!m_readBlock) {
        m_readBlock = std::make_unique_for_overwrite<uint8_t[]>(kBlockBytes);
    }
    m_readCount = 0;
    m_readFirst = sector;
    size_t have = 0;
    const off_t start = static_cast<off_t>(sector * kRawSectorSize);
    while (have < kBlockBytes) {
        ssize_t n = ::pread(m_fd, m_readBlock.get() + have, kBlockBytes - have,
                            start + static_cast<off_t>(have));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (have < kRawSectorSize) {
                error = errno;
            }
            break;
        }
        if (n == 0) {
            break;
        }
        have += static_cast<size_t>(n);
    }
    m_readCount = have / kRawSectorSize;
    if (m_readCount == 0) {
        if (error == 0) {
            error = EIO;
        }
        return false;
    }
    std::memcpy(buffer, m_readBlock.get(), kRawSectorSize);
    return true;
}

bool RawDisk::ProbeSector(uint64_t sector, uint8_t *buffer, int &error)
{
    if (sector >= m_readFirst && sector - m_readFirst < m_readCount) {
        error = 0;
        std::memcpy(buffer, m_readBlock.get() + (sector - m_readFirst) * kRawSectorSize,
                    kRawSectorSize);
        return true;
    }
    size_t done = 0;
    if (ReadSectors(sector, 1, buffer, done, error)) {
        return true;
    }
    if (error == 0) {
        error = EIO;
    }
    return false;
}

bool RawDisk::WriteSector(uint64_t sector, const uint8_t *buffer, int &error,
                          uint64_t &failedSector)
{
    error = 0;
    failedSector = sector;
    if (m_fd < 0) {
        error = EBADF;
        return false;
    }
    if (!m_forWriting) {
        error = EBADF;
        return false;
    }
    if (m_writeRefusal != 0) {
        error = m_writeRefusal;
        return false;
    }
    // A sector read ahead is about to change.
    if (sector >= m_readFirst && sector - m_readFirst < m_readCount) {
        m_readCount = 0;
    }
    if (m_writeCount > 0 &&
        (sector != m_writeFirst + m_writeCount || m_writeCount == kRawBlockSectors)) {
        if (!WritePending(error, failedSector)) {
            return false;
        }
    }
    if (m_writeCount == 0) {
        if (!m_writeBlock) {
            m_writeBlock = std::make_unique_for_overwrite<uint8_t[]>(kBlockBytes);
        }
        m_writeFirst = sector;
    }
    std::memcpy(m_writeBlock.get() + m_writeCount * kRawSectorSize, buffer, kRawSectorSize);
    ++m_writeCount;
    return true;
}

bool RawDisk::WritePending(int &error, uint64_t &failedSector)
{
    error = 0;
    if (m_writeCount == 0) {
        return true;
    }
    const size_t count = static_cast<size_t>(m_writeCount);
    m_writeCount = 0;
    return WriteDirect(m_writeFirst, count, m_writeBlock.get(), error, failedSector);
}

bool RawDisk::WriteDirect(uint64_t first, size_t count, const uint8_t *buffer, int &error,
                          uint64_t &failedSector)
{
    error = 0;
    const size_t length = count * kRawSectorSize;
    const off_t start = static_cast<off_t>(first * kRawSectorSize);
    size_t done = 0;
    // A drive never grows: a file drive is written only inside its size.
    const uint64_t limit = m_sizeBytes;
    while (done < length) {
        uint64_t at = static_cast<uint64_t>(start) + done;
        size_t want = length - done;
        if (at >= limit) {
            error = ENOSPC;
            break;
        }
        if (want > limit - at) {
            want = static_cast<size_t>(limit - at);
        }
        ssize_t n = platform::io::Pwrite(m_fd, buffer + done, want, static_cast<off_t>(at));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            break;
        }
        if (n == 0) {
            error = EIO;
            break;
        }
        done += static_cast<size_t>(n);
    }
    failedSector = first + done / kRawSectorSize;
    return done == length;
}

bool RawDisk::ReadSectors(uint64_t first, size_t count, uint8_t *buffer, size_t &done, int &error)
{
    error = 0;
    done = 0;
    if (m_fd < 0) {
        error = EBADF;
        return false;
    }
    if (first > UINT64_MAX / kRawSectorSize / 2 || count > SIZE_MAX / kRawSectorSize) {
        error = EINVAL;
        return false;
    }
    if (m_writeCount > 0) {
        uint64_t failed = 0;
        if (!WritePending(error, failed)) {
            return false;
        }
    }
    const size_t length = count * kRawSectorSize;
    const off_t start = static_cast<off_t>(first * kRawSectorSize);
    size_t have = 0;
    while (have < length) {
        ssize_t n = ::pread(m_fd, buffer + have, length - have, start + static_cast<off_t>(have));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            break;
        }
        if (n == 0) {
            break;
        }
        have += static_cast<size_t>(n);
    }
    done = have / kRawSectorSize;
    return done == count;
}

bool RawDisk::WriteSectors(uint64_t first, size_t count, const uint8_t *buffer, int &error,
                           uint64_t &failedSector)
{
    error = 0;
    failedSector = first;
    if (m_fd < 0 || !m_forWriting) {
        error = EBADF;
        return false;
    }
    if (m_writeRefusal != 0) {
        error = m_writeRefusal;
        return false;
    }
    if (first > UINT64_MAX / kRawSectorSize / 2 || count > SIZE_MAX / kRawSectorSize) {
        error = EINVAL;
        return false;
    }
    if (!WritePending(error, failedSector)) {
        return false;
    }
    // Sectors read ahead may be about to change.
    m_readCount = 0;
    return WriteDirect(first, count, buffer, error, failedSector);
}

void RawDisk::AdviseSequential()
{
#ifdef POSIX_FADV_SEQUENTIAL
    if (m_fd >= 0) {
        ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    }
#endif
}

bool RawDisk::Flush(int &error, uint64_t &failedSector)
{
    if (!WritePending(error, failedSector)) {
        return false;
    }
    if (m_fd >= 0 && m_forWriting && m_writeRefusal == 0 && io::Fsync(m_fd) != 0 &&
        errno != EINVAL) {
        error = errno;
        failedSector = 0;
        return false;
    }
    return true;
}

} // namespace kestrel::platform
