// Scanning a PC directory: every match of the pattern becomes one entry,
// recognised from the first bytes of the file. The scan runs once per
// listing over folders of up to a hundred thousand files, so each file costs
// one open, one read and one close: the read asks for more than the header
// so that a file shorter than that tells its size by the count it gives
// (no fstat) and holds its Classic99 last sector already; only a file that
// fills the buffer is asked for its size and, when it needs it, for its last
// sector. File and directory are taken apart by the entry type readdir gives
// (no stat per name). Patterns and the order of the matches follow the
// platform's directory search.
#include "tifs/catalog.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/dir_search.h"
#include "platform/paths.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/pc_directory_scan.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr size_t kPumpInterval = 256;

constexpr size_t kSubdirNameScan = 12;

// What the scan reads of each file at once: a page, as cheap to read as the
// header alone, and enough for most TI files to come whole.
constexpr size_t kProbeSize = 4096;
static_assert(kProbeSize > kSectorSize, "a full probe must hold the first sector");

// One read of up to size bytes at offset; the count read, or -1 on an error.
ssize_t ReadOnce(int fd, uint8_t *buffer, size_t size, off_t offset)
{
    ssize_t n;
    do {
        n = pread(fd, buffer, size, offset);
    } while (n < 0 && errno == EINTR);
    return n;
}

// Up to size bytes at offset, however many calls that takes (short only at
// the end of the file).
size_t ReadAt(int fd, uint8_t *buffer, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = ReadOnce(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
        if (n <= 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    return done;
}

std::string SubdirTiName(const std::string &name)
{
    std::string tiName;
    for (size_t i = 0; i < name.size() && i < kSubdirNameScan; ++i) {
        if (name[i] != '.') {
            tiName.push_back(name[i]);
        }
    }
    return tiName;
}

// Fills the entry of a regular file from its contents; false when the file
// cannot be read at all (it is then left out of the list). path is the file's
// path, name its last part; knownSize is the size when the caller already had
// to stat the name (a link), else -1.
bool ScanFile(int dirFd, const std::string &path, const std::string &name, off_t knownSize,
              CatalogEntry &entry)
{
    int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    uint8_t probe[kProbeSize];
    ssize_t n = ReadOnce(fd, probe, sizeof probe, 0);
    if (n < 0) {
        close(fd); // a directory or FIFO put in the file's place meanwhile reads as an error
        return false;
    }
    size_t got = static_cast<size_t>(n);
    uint64_t fileSize = got;
    if (got == sizeof probe) {
        // A regular file gives fewer bytes than asked only at its end; a full buffer leaves
        // the size open.
        struct stat info;
        if (knownSize >= 0) {
            fileSize = static_cast<uint64_t>(knownSize);
        } else if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            fileSize = static_cast<uint64_t>(info.st_size);
        } else {
            close(fd);
            return false;
        }
    }
    const size_t firstLength = got < kSectorSize ? got : kSectorSize;

    entry.pcName = name;
    bool decided = false;
    if (firstLength < kHeaderSize) {
        entry.ti.kind = kKindDos;
        decided = true;
    } else if (firstLength == kSectorSize) {
        decided = RecognizeImage(path, probe, fileSize, entry);
    }
    if (!decided) {
        if (!DecodeHeader(probe, name, false, entry.ti)) {
            entry.ti = TiFileDescriptor();
            entry.ti.kind = kKindDos;
        } else if (entry.ti.headerKind == kHeaderTifiles) {
            uint64_t dataLength = fileSize - kHeaderSize;
            if (IsClassic99(entry.ti, dataLength)) {
                uint8_t last[kSectorSize];
                const uint8_t *lastSector = last;
                size_t lastLength = 0;
                if ((entry.ti.kind == kKindDisVar || entry.ti.kind == kKindIntVar) &&
                    dataLength > 0) {
                    uint64_t offset = Classic99LastSectorOffset(dataLength);
                    uint64_t wanted = std::min<uint64_t>(kSectorSize, fileSize - offset);
                    if (offset + wanted <= got) {
                        // The last sector came whole with the first read.
                        lastSector = probe + offset;
                        lastLength = static_cast<size_t>(wanted);
                    } else {
                        lastLength = ReadAt(fd, last, sizeof last, static_cast<off_t>(offset));
                    }
                }
                CorrectClassic99(entry.ti, dataLength, lastSector, lastLength);
            }
        }
    }
    close(fd);
    return true;
}

// An entry that cannot be allocated is missing from the list; the scan goes on.
CatalogEntry *TryAddEntry(Catalog &catalog)
{
    try {
        return AddEntry(catalog);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

} // namespace

PcDirectoryScan::PcDirectoryScan(const std::string &pattern, int pcLevelsEntered)
    : m_pattern(pattern), m_pcLevelsEntered(pcLevelsEntered)
{
    m_namePattern = platform::LastComponent(pattern);
    m_directory = platform::CutAtLastSeparator(pattern);
    if (m_directory.empty() && !pattern.empty() && platform::IsPathSeparator(pattern[0])) {
        m_directory.assign(1, platform::kPathSeparator);
    }
}

PcDirectoryScan::~PcDirectoryScan()
{
    if (m_dir != nullptr) {
        closedir(static_cast<DIR *>(m_dir));
    }
}

int PcDirectoryScan::Open()
{
    if (m_namePattern.empty()) {
        return ENOENT;
    }
    errno = 0;
    DIR *dir = opendir(m_directory.empty() ? "." : m_directory.c_str());
    if (dir == nullptr) {
        return errno != 0 ? errno : EIO;
    }
    m_dir = dir;
    return 0;
}

// The matches of one search, in the platform's order: "." and ".." first
// when they match, then the other names in byte order. Read with readdir
// and its entry types, so that a scan costs no stat call per file.
int PcDirectoryScan::ReadNames(const std::atomic<bool> *cancel)
{
    DIR *dir = static_cast<DIR *>(m_dir);
    if (dir == nullptr) {
        return EBADF;
    }
    bool matchAll = m_namePattern == "*" || m_namePattern == "*.*";
    m_matches.clear();
    m_names.clear();
    // The folder's own size says roughly how many names it holds (some tens of bytes each):
    // room reserved for them up front is only touched as names come, and spares the copies
    // and fresh pages of a list that grows by doubling.
    struct stat folder;
    if (fstat(dirfd(dir), &folder) == 0 && folder.st_size > 0) {
        const size_t bytes = std::min<size_t>(static_cast<size_t>(folder.st_size), 1u << 26);
        try {
            m_matches.reserve(bytes / 16);
            m_names.reserve(bytes);
        } catch (const std::bad_alloc &) {
            // The lists then grow as they go.
        }
    }
    size_t dots = 0;
    size_t read = 0;
    errno = 0;
    while (struct dirent *item = readdir(dir)) {
        if (cancel != nullptr && read++ % 1024 == 0 && cancel->load(std::memory_order_relaxed)) {
            return ECANCELED;
        }
        const char *name = item->d_name;
        if (!matchAll && !platform::MatchesPattern(m_namePattern, name)) {
            continue;
        }
        const size_t length = std::strlen(name);
        if (length > UINT16_MAX || m_names.size() + length + 1 > UINT32_MAX) {
            continue; // no file system makes such a name; a folder that large is not listed whole
        }
        m_matches.push_back({static_cast<uint32_t>(m_names.size()),
                             static_cast<uint16_t>(length), item->d_type});
        m_names.insert(m_names.end(), name, name + length + 1);
        if (name[0] == '.' && (length == 1 || (length == 2 && name[1] == '.'))) {
            // "." and ".." go first, "." before "..".
            std::swap(m_matches[dots], m_matches.back());
            if (dots == 1 && m_matches[0].length == 2) {
                std::swap(m_matches[0], m_matches[1]);
            }
            ++dots;
        }
    }
    int error = errno;
    const char *names = m_names.data();
    std::sort(m_matches.begin() + static_cast<std::ptrdiff_t>(dots), m_matches.end(),
              [names](const Match &a, const Match &b) {
                  // Byte order; a name that is the start of the other goes first.
                  int order = std::memcmp(names + a.offset, names + b.offset,
                                          std::min(a.length, b.length));
                  return order != 0 ? order < 0 : a.length < b.length;
              });
    m_next = 0;
    if (m_matches.empty()) {
        return error != 0 ? error : ENOENT;
    }
    return 0;
}

bool PcDirectoryScan::Next(Catalog &catalog, size_t count)
{
    DIR *dir = static_cast<DIR *>(m_dir);
    if (dir == nullptr) {
        return false;
    }
    int dirFd = dirfd(dir);
    // Each file's path is made in one buffer: a folder of many thousand files must not cost
    // an allocation per name for the image recognisers that want it.
    std::string path = m_directory.empty() ? std::string() : platform::JoinPath(m_directory, "");
    const size_t prefixLength = path.size();
    std::string name;
    for (size_t done = 0; done < count && m_next < m_matches.size(); ++done) {
        const Match &match = m_matches[m_next++];
        name.assign(NameOf(match), match.length);
        bool isDirectory = match.type == DT_DIR;
        bool isFile = match.type == DT_REG;
        off_t knownSize = -1;
        if (match.type == DT_LNK || match.type == DT_UNKNOWN) {
            struct stat info;
            if (fstatat(dirFd, name.c_str(), &info, 0) != 0) {
                continue; // a dangling link is as unreadable as a locked file
            }
            isDirectory = S_ISDIR(info.st_mode);
            isFile = S_ISREG(info.st_mode);
            knownSize = info.st_size;
        }
        if (isDirectory) {
            if (name == ".") {
                continue;
            }
            if (name == "..") {
                if (m_pcLevelsEntered < 1) {
                    continue;
                }
                CatalogEntry *entry = TryAddEntry(catalog);
                if (entry == nullptr) {
                    continue;
                }
                entry->pcName = name;
                entry->ti.tiName = "..";
                entry->ti.kind = kKindUpDir;
                continue;
            }
            CatalogEntry *entry = TryAddEntry(catalog);
            if (entry == nullptr) {
                continue;
            }
            entry->pcName = name;
            entry->ti.tiName = SubdirTiName(name);
            entry->ti.kind = kKindSubdir;
            continue;
        }
        if (!isFile) {
            continue;
        }
        CatalogEntry *entry = TryAddEntry(catalog);
        if (entry == nullptr) {
            continue;
        }
        path.resize(prefixLength);
        path += name;
        if (!ScanFile(dirFd, path, name, knownSize, *entry)) {
            catalog.pop_back();
        }
    }
    if (m_next >= m_matches.size()) {
        // The directory stays open until the scan goes; nothing more is read from it.
        return false;
    }
    return true;
}

namespace
{
thread_local PcScanDeferral *t_deferral = nullptr;
} // namespace

PcScanDeferral::PcScanDeferral() : m_outer(t_deferral)
{
    t_deferral = this;
}

PcScanDeferral::~PcScanDeferral()
{
    t_deferral = m_outer;
}

PcScanDeferral *PcScanDeferral::Current()
{
    return t_deferral;
}

void PcScanDeferral::Defer(std::unique_ptr<PcDirectoryScan> scan)
{
    m_scan = std::move(scan);
}

std::unique_ptr<PcDirectoryScan> PcScanDeferral::Take(const Location &location)
{
    if (location.kind != kLocPcDirectory || !location.entries.empty()) {
        m_scan.reset();
    }
    return std::move(m_scan);
}

int ScanPcDirectory(Location &location, const std::string &pattern, Ui &ui)
{
    location.entries.clear();
    location.kind = kLocPcDirectory;

    auto scan = std::make_unique<PcDirectoryScan>(pattern, location.pcLevelsEntered);
    int error = scan->Open();
    PcScanDeferral *deferral = PcScanDeferral::Current();
    if (error == 0 && deferral != nullptr) {
        deferral->Defer(std::move(scan));
        return 0;
    }
    if (error == 0) {
        error = scan->ReadNames();
    }
    if (error != 0) {
        ReportSystemError(ui, error, 0, {location.path});
        return error;
    }
    try {
        location.entries.reserve(scan->MatchCount());
    } catch (const std::bad_alloc &) {
        // Entries are then added one by one, and dropped when memory runs out.
    }
    // A large folder takes a while: let the windows repaint meanwhile.
    while (scan->Next(location.entries, kPumpInterval)) {
        ui.PumpPendingMessages();
    }
    return 0;
}

} // namespace kestrel
