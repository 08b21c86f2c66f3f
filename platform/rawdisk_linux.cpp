// Removable whole-disk block devices of Linux, from /sys/block.
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/rawdisk.h"

namespace kestrel::platform
{

namespace
{

std::string ReadLine(const std::filesystem::path &path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) {
        line.pop_back();
    }
    return line;
}

bool StartsWith(const std::string &text, const char *prefix)
{
    return text.rfind(prefix, 0) == 0;
}

} // namespace

std::vector<RawDriveInfo> SystemRawDrives()
{
    std::vector<RawDriveInfo> drives;
    std::error_code ec;
    std::vector<std::string> names;
    for (const auto &item : std::filesystem::directory_iterator("/sys/block", ec)) {
        std::string name = item.path().filename().string();
        // Loop, RAM, mapper, RAID and optical devices are never cards.
        if (StartsWith(name, "loop") || StartsWith(name, "ram") || StartsWith(name, "zram") ||
            StartsWith(name, "dm-") || StartsWith(name, "md") || StartsWith(name, "sr")) {
            continue;
        }
        if (ReadLine(item.path() / "removable") != "1") {
            continue;
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    });
    for (const std::string &name : names) {
        std::filesystem::path sys = std::filesystem::path("/sys/block") / name;
        RawDriveInfo info;
        info.devicePath = "/dev/" + name;
        std::string vendor = ReadLine(sys / "device" / "vendor");
        std::string model = ReadLine(sys / "device" / "model");
        info.description = vendor.empty() ? model : (model.empty() ? vendor : vendor + " " + model);
        if (info.description.empty()) {
            info.description = name;
        }
        info.sizeBytes = std::strtoull(ReadLine(sys / "size").c_str(), nullptr, 10) * 512u;
        unsigned long sectorSize =
            std::strtoul(ReadLine(sys / "queue" / "logical_block_size").c_str(), nullptr, 10);
        info.sectorSize = sectorSize == 0 ? kRawSectorSize : static_cast<uint32_t>(sectorSize);
        drives.push_back(info);
    }
    return drives;
}

int OpenSystemDevice(const std::string &path, bool writable, bool lock, int &error,
                     uint64_t &sizeBytes, uint32_t &sectorSize)
{
    error = 0;
    int flags = (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    if (lock) {
        // On a block device O_EXCL fails while anything has it open exclusively
        // or mounted: that is the write lock.
        flags |= O_EXCL;
    }
    int fd = ::open(path.c_str(), flags);
    if (fd < 0) {
        error = errno;
        return -1;
    }
    uint64_t bytes = 0;
    int ssz = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0 || ::ioctl(fd, BLKSSZGET, &ssz) != 0) {
        error = errno;
        ::close(fd);
        return -1;
    }
    sizeBytes = bytes;
    sectorSize = ssz > 0 ? static_cast<uint32_t>(ssz) : kRawSectorSize;
    return fd;
}

} // namespace kestrel::platform
