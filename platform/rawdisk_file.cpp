// Image files that stand in for drives: KESTREL_DRIVES="a.img:b.cf7", or a
// list set by a test. Nothing here touches a device.
#include <cstdlib>
#include <sys/stat.h>

#include "platform/rawdisk.h"

namespace kestrel::platform
{

namespace
{

std::vector<FileDriveSpec> &TestDrives()
{
    static std::vector<FileDriveSpec> drives;
    return drives;
}

std::string BaseName(const std::string &path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void SetFileDrives(const std::vector<FileDriveSpec> &drives)
{
    TestDrives() = drives;
}

bool FileRawDrives(std::vector<RawDriveInfo> &drives)
{
    std::vector<FileDriveSpec> specs = TestDrives();
    if (specs.empty()) {
        const char *list = std::getenv("KESTREL_DRIVES");
        if (list == nullptr || *list == '\0') {
            return false;
        }
        std::string text(list);
        size_t start = 0;
        while (start <= text.size()) {
            size_t end = text.find(':', start);
            if (end == std::string::npos) {
                end = text.size();
            }
            if (end > start) {
                specs.push_back({text.substr(start, end - start), kRawSectorSize});
            }
            start = end + 1;
        }
    }
    drives.clear();
    for (const FileDriveSpec &drive : specs) {
        RawDriveInfo info;
        info.devicePath = drive.path;
        info.description = BaseName(drive.path);
        info.sectorSize = drive.sectorSize;
        info.fileBacked = true;
        struct stat st {
        };
        // A missing file is still a drive (with no medium), so letters stay put.
        if (::stat(drive.path.c_str(), &st) == 0) {
            info.sizeBytes = static_cast<uint64_t>(st.st_size);
        }
        drives.push_back(info);
    }
    return true;
}

} // namespace kestrel::platform
