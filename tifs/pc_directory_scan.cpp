// Scanning a PC directory: every match of the pattern becomes one entry,
// recognised from the first 256 bytes of the file. The scan runs once per
// listing over folders of thousands of files, so it reads each file with a
// single open, fstat and read, and reads a second time only for the last
// sector of a Classic99 VARIABLE file.
#include "tifs/catalog.h"

#include <cerrno>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/dir_search.h"
#include "platform/paths.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_header.h"

namespace kestrel {

namespace {

constexpr size_t kSubdirNameScan = 12;

// Reads up to size bytes at offset; the count read (short at end of file).
size_t ReadAt(int fd, uint8_t* buffer, size_t size, off_t offset)
{
    size_t done = 0;
    while (done < size) {
        ssize_t n = pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
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

std::string SubdirTiName(const std::string& name)
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
// cannot be read at all (it is then left out of the list).
bool ScanFile(const std::string& path, const std::string& name, CatalogEntry& entry)
{
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd); // a FIFO or device is nothing to list (and must never block us)
        return false;
    }
    uint64_t fileSize = static_cast<uint64_t>(info.st_size);
    uint8_t first[kSectorSize];
    size_t got = ReadAt(fd, first, sizeof first, 0);

    entry.pcName = name;
    bool decided = false;
    if (got < kHeaderSize) {
        entry.ti.kind = kKindDos;
        decided = true;
    } else if (got == kSectorSize) {
        decided = RecognizeImage(path, first, fileSize, entry);
    }
    if (!decided) {
        if (!DecodeHeader(first, name, false, entry.ti)) {
            entry.ti = TiFileDescriptor();
            entry.ti.kind = kKindDos;
        } else if (entry.ti.headerKind == kHeaderTifiles) {
            uint64_t dataLength = fileSize - kHeaderSize;
            if (IsClassic99(entry.ti, dataLength)) {
                uint8_t last[kSectorSize];
                size_t lastLength = 0;
                if ((entry.ti.kind == kKindDisVar || entry.ti.kind == kKindIntVar) &&
                    dataLength > 0) {
                    lastLength = ReadAt(fd, last, sizeof last,
                                        static_cast<off_t>(Classic99LastSectorOffset(dataLength)));
                }
                CorrectClassic99(entry.ti, dataLength, last, lastLength);
            }
        }
    }
    close(fd);
    return true;
}

// An entry that cannot be allocated is missing from the list; the scan goes on.
CatalogEntry* TryAddEntry(Catalog& catalog)
{
    try {
        return AddEntry(catalog);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace

int ScanPcDirectory(Location& location, const std::string& pattern, Ui& ui)
{
    location.entries.clear();
    location.kind = kLocPcDirectory;

    platform::DirSearch search = platform::FindFiles(pattern);
    if (search.error != 0) {
        ReportSystemError(ui, search.error, 0, {location.path});
        return search.error;
    }
    std::string directory = platform::CutAtLastSeparator(pattern);
    if (directory.empty() && !pattern.empty() && platform::IsPathSeparator(pattern[0])) {
        directory.assign(1, platform::kPathSeparator);
    }
    std::string path;
    for (const platform::DirMatch& match : search.matches) {
        const std::string& name = match.name;
        if (match.isDirectory) {
            if (name == ".") {
                continue;
            }
            if (name == "..") {
                if (location.pcLevelsEntered < 1) {
                    continue;
                }
                CatalogEntry* entry = TryAddEntry(location.entries);
                if (entry == nullptr) {
                    continue;
                }
                entry->pcName = name;
                entry->ti.tiName = "..";
                entry->ti.kind = kKindUpDir;
                continue;
            }
            CatalogEntry* entry = TryAddEntry(location.entries);
            if (entry == nullptr) {
                continue;
            }
            entry->pcName = name;
            entry->ti.tiName = SubdirTiName(name);
            entry->ti.kind = kKindSubdir;
            continue;
        }
        CatalogEntry* entry = TryAddEntry(location.entries);
        if (entry == nullptr) {
            continue;
        }
        path = directory.empty() ? name : platform::JoinPath(directory, name);
        if (!ScanFile(path, name, *entry)) {
            location.entries.pop_back();
        }
    }
    return 0;
}

} // namespace kestrel
