// Catalog scan of a folder of 10,000 TI files against a floor that only
// enumerates the folder, opens each file and reads its first 256 bytes: the
// least any scan must do. Best of several warm runs each.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/ti_header.h"

namespace
{

constexpr int kFileCount = 10000;
constexpr int kRuns = 5;

using Clock = std::chrono::steady_clock;

bool MakeFolder(const std::string &dir)
{
    std::vector<uint8_t> bytes;
    for (int i = 0; i < kFileCount; ++i) {
        kestrel::TiFileDescriptor d;
        char name[32];
        std::snprintf(name, sizeof name, "FILE%05d", i);
        d.tiName = kestrel::PadTiName(name);
        int sectors = 1 + i % 4;
        bool variable = i % 2 == 0;
        d.flags = variable ? kestrel::kFlagVariable : 0;
        d.recordLength = 80;
        d.recordsPerSector = 3;
        d.sectors = static_cast<uint16_t>(sectors);
        d.level3Count = static_cast<uint16_t>(variable ? sectors : sectors * 3);
        d.eofOffset = variable ? 100 : 0;
        bytes.assign(kestrel::kHeaderSize + sectors * kestrel::kSectorSize, ' ');
        if (i % 3 == 0) {
            kestrel::MakeV9t9Header(d, bytes.data());
        } else {
            kestrel::MakeTifilesHeader(d, bytes.data());
        }
        if (i % 10 == 1) {
            bytes.resize(bytes.size() - 100); // Classic99: no padding of the last sector
            bytes.back() = 0xFF;
        }
        std::string path = dir + "/" + name;
        FILE *f = std::fopen(path.c_str(), "wb");
        if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
            return false;
        }
        std::fclose(f);
    }
    return true;
}

double FloorSeconds(const std::string &dir, size_t &count)
{
    auto start = Clock::now();
    count = 0;
    DIR *d = opendir(dir.c_str());
    if (d == nullptr) {
        return 0;
    }
    uint8_t buffer[256];
    std::string path;
    while (dirent *item = readdir(d)) {
        if (item->d_name[0] == '.') {
            continue;
        }
        path = dir + "/" + item->d_name;
        int fd = open(path.c_str(), O_RDONLY);
        if (fd < 0) {
            continue;
        }
        if (read(fd, buffer, sizeof buffer) > 0) {
            ++count;
        }
        close(fd);
    }
    closedir(d);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double ScanSeconds(const std::string &dir, size_t &count)
{
    kestrel::testing::RecordingUi ui;
    kestrel::Location location;
    location.path = dir;
    auto start = Clock::now();
    bool ok = kestrel::OpenLocation(location, ui);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    count = ok ? location.entries.size() : 0;
    return seconds;
}

} // namespace

int main()
{
    const char *base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base ? base : "/tmp") + "/kestrel-scan-bench-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (mkdtemp(buffer.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    std::string dir = buffer.data();
    if (!MakeFolder(dir)) {
        std::fprintf(stderr, "catalog_scan_bench: cannot write the files\n");
        std::filesystem::remove_all(dir);
        return 1;
    }

    double bestFloor = 1e9;
    double bestScan = 1e9;
    size_t floorCount = 0;
    size_t scanCount = 0;
    for (int run = 0; run < kRuns; ++run) {
        bestFloor = std::min(bestFloor, FloorSeconds(dir, floorCount));
        bestScan = std::min(bestScan, ScanSeconds(dir, scanCount));
    }
    std::filesystem::remove_all(dir);

    double ratio = bestFloor > 0 ? bestScan / bestFloor : 0;
    std::printf("catalog scan of %d TI files: %.1f ms (%zu entries)\n", kFileCount, bestScan * 1000,
                scanCount);
    std::printf("floor (open + read 256 bytes): %.1f ms (%zu files)\n", bestFloor * 1000,
                floorCount);
    std::printf("ratio scan / floor: %.2fx (goal: within 1.50x)\n", ratio);
    return scanCount == static_cast<size_t>(kFileCount) ? 0 : 1;
}
