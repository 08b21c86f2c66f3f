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

// The matches of one search, in the platform's order: "." and ".." first
// when they match, then the other names in byte order. Read with readdir
// and its entry types, so that a scan costs no stat call per file.
struct Match {
    std::string name;
    unsigned char type;
};

int FindMatches(DIR *dir, const std::string &namePattern, std::vector<Match> &matches)
{
    bool matchAll = namePattern == "*" || namePattern == "*.*";
    std::vector<Match> dots;
    errno = 0;
    while (struct dirent *item = readdir(dir)) {
        const char *name = item->d_name;
        if (!matchAll && !platform::MatchesPattern(namePattern, name)) {
            continue;
        }
        bool isDot = name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
        (isDot ? dots : matches).push_back({name, item->d_type});
    }
    int error = errno;
    std::sort(matches.begin(), matches.end(),
              [](const Match &a, const Match &b) { return a.name < b.name; });
    std::sort(dots.begin(), dots.end(),
              [](const Match &a, const Match &b) { return a.name.size() < b.name.size(); });
    matches.insert(matches.begin(), dots.begin(), dots.end());
    if (matches.empty()) {
        return error != 0 ? error : ENOENT;
    }
    return 0;
}

} // namespace

int ScanPcDirectory(Location &location, const std::string &pattern, Ui &ui)
{
    location.entries.clear();
    location.kind = kLocPcDirectory;

    std::string namePattern = platform::LastComponent(pattern);
    std::string directory = platform::CutAtLastSeparator(pattern);
    if (directory.empty() && !pattern.empty() && platform::IsPathSeparator(pattern[0])) {
        directory.assign(1, platform::kPathSeparator);
    }
    int error = 0;
    std::vector<Match> matches;
    DIR *dir = namePattern.empty() ? nullptr : opendir(directory.empty() ? "." : directory.c_str());
    if (namePattern.empty()) {
        error = ENOENT;
    } else if (dir == nullptr) {
        error = errno != 0 ? errno : EIO;
    } else {
        error = FindMatches(dir, namePattern, matches);
    }
    if (error != 0) {
        if (dir != nullptr) {
            closedir(dir);
        }
        ReportSystemError(ui, error, 0, {location.path});
        return error;
    }
    int dirFd = dirfd(dir);
    try {
        location.entries.reserve(matches.size());
    } catch (const std::bad_alloc &) {
        // Entries are then added one by one, and dropped when memory runs out.
    }
    // Each file's path is made in one buffer: a folder of many thousand files must not cost
    // an allocation per name for the image recognisers that want it.
    std::string path = directory.empty() ? std::string() : platform::JoinPath(directory, "");
    const size_t prefixLength = path.size();
    size_t seen = 0;
    for (const Match &match : matches) {
        // A large folder takes a while: let the windows repaint meanwhile.
        if (++seen % kPumpInterval == 0) {
            ui.PumpPendingMessages();
        }
        const std::string &name = match.name;
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
                if (location.pcLevelsEntered < 1) {
                    continue;
                }
                CatalogEntry *entry = TryAddEntry(location.entries);
                if (entry == nullptr) {
                    continue;
                }
                entry->pcName = name;
                entry->ti.tiName = "..";
                entry->ti.kind = kKindUpDir;
                continue;
            }
            CatalogEntry *entry = TryAddEntry(location.entries);
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
        CatalogEntry *entry = TryAddEntry(location.entries);
        if (entry == nullptr) {
            continue;
        }
        path.resize(prefixLength);
        path += name;
        if (!ScanFile(dirFd, path, name, knownSize, *entry)) {
            location.entries.pop_back();
        }
    }
    closedir(dir);
    return 0;
}

} // namespace kestrel
