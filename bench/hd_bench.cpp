// Creating the largest single-volume hard-disk image and copying 100 files
// of 100 sectors into it, each against plain buffered writes of the same
// number of bytes in the same run, so the ratios say what the image
// structures and the library cost on this machine.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_result.h"
#include "drives/hd_binding.h"
#include "drives/hd_file_ops.h"
#include "drives/new_hd_image.h"
#include "ops/register_all.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace
{

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double PlainWrite(const std::string &path, uint64_t bytes, size_t chunk)
{
    std::vector<uint8_t> buffer(chunk, 0x5A);
    auto start = Clock::now();
    std::FILE *f = std::fopen(path.c_str(), "wb");
    for (uint64_t done = 0; f != nullptr && done < bytes; done += chunk) {
        std::fwrite(buffer.data(), 1, static_cast<size_t>(std::min<uint64_t>(chunk, bytes - done)),
                    f);
    }
    if (f != nullptr) {
        std::fclose(f);
    }
    double t = Seconds(start);
    std::filesystem::remove(path);
    return t;
}

} // namespace

// A timing of a millisecond or two wobbles with the machine; the middle of five runs does
// not. Each run pairs its floor with its measurement, so a slow spell of the machine slows
// both.
constexpr int kRuns = 5;

int main()
{
    using namespace kestrel;
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        ProgramSettings().dllDirectory = self.parent_path().string();
    }
    RegisterAllListers();
    auto dir = std::filesystem::temp_directory_path() / "kestrel_hd_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "files");
    testing::RecordingUi ui;

    constexpr int kFiles = 100;
    constexpr uint16_t kFileSectors = 100;
    std::vector<uint8_t> bytes(kHeaderSize + size_t(kFileSectors) * 256);
    TiFileDescriptor d;
    d.flags = 0;
    d.recordLength = 128;
    d.recordsPerSector = 2;
    d.sectors = kFileSectors;
    d.level3Count = kFileSectors * 2;
    MakeTifilesHeader(d, bytes.data());
    for (int i = 0; i < kFiles; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "FILE%03d", i);
        std::FILE *f = std::fopen((dir / "files" / name).string().c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    Location source;
    source.path = source.startPath = (dir / "files").string();
    bool ok = OpenLocation(source, ui);
    std::vector<const CatalogEntry *> entries;
    for (const auto &e : source.entries) {
        if (IsTiFileKind(e->ti.kind)) {
            entries.push_back(e.get());
        }
    }

    const uint32_t sectors = kNewHdMaxSectors;
    const std::string plain = (dir / "plain.bin").string();
    std::vector<double> floorImage, image, floorCopy, copy;
    for (int run = 0; run < kRuns && ok; ++run) {
        floorImage.push_back(PlainWrite(plain, uint64_t(sectors) * 256, 256));
        const std::string path = (dir / "big.img").string();
        auto start = Clock::now();
        ok = WriteNewHdImage(ui, path, DescribeNewHdImage("big", false, {"BIG"}, {sectors}));
        image.push_back(Seconds(start));
        std::filesystem::remove(path);
    }
    for (int run = 0; run < kRuns && ok; ++run) {
        const auto runDir = dir / ("run" + std::to_string(run));
        std::filesystem::create_directories(runDir);
        ok = WriteNewHdImage(ui, (runDir / "big.img").string(),
                             DescribeNewHdImage("big", false, {"BIG"}, {sectors}));
        Location target;
        target.path = target.startPath = runDir.string();
        ok = ok && OpenLocation(target, ui);
        const CatalogEntry *img = ok ? FindEntryByName(target, "big.img") : nullptr;
        ok = ok && img != nullptr && OpenEntry(target, *img, ui);
        // What earlier runs left for the system to write back must not land in either timing.
        sync();
        floorCopy.push_back(PlainWrite(plain, uint64_t(kFiles) * kFileSectors * 256, 256));
        auto start = Clock::now();
        const int copied = ok ? CopyEntriesToHd(ui, target, source, entries) : 0;
        // Every sector is in the image when the copy returns; unloading belongs to program end.
        copy.push_back(Seconds(start));
        ok = ok && copied == kFiles;
        UnloadHdLibrary();
        std::filesystem::remove_all(runDir);
    }
    std::filesystem::remove_all(dir);
    if (!ok || !ui.Errors().empty()) {
        std::fprintf(stderr, "hd_bench: the image could not be made or filled\n");
        return 1;
    }
    bench::PrintResult("hd: create " + std::to_string(sectors) + "-sector image", image,
                       "plain writes of its bytes", floorImage, 0);
    bench::PrintResult("hd: copy " + std::to_string(kFiles) + " files of " +
                           std::to_string(kFileSectors) + " sectors",
                       copy, "plain writes of their bytes", floorCopy, 0);
    return 0;
}
