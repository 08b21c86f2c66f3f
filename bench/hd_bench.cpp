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

// A floor of a millisecond or two wobbles with the machine; the middle of five runs does not.
double PlainWriteFloor(const std::string &path, uint64_t bytes, size_t chunk)
{
    std::vector<double> runs;
    for (int i = 0; i < 5; ++i) {
        runs.push_back(PlainWrite(path, bytes, chunk));
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

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

    const uint32_t sectors = kNewHdMaxSectors;
    double floorImage = PlainWrite((dir / "plain.bin").string(), uint64_t(sectors) * 256, 256);
    auto start = Clock::now();
    bool ok = WriteNewHdImage(ui, (dir / "big.img").string(),
                              DescribeNewHdImage("big", false, {"BIG"}, {sectors}));
    double image = Seconds(start);

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
    Location target;
    target.path = target.startPath = dir.string();
    ok = ok && OpenLocation(source, ui) && OpenLocation(target, ui);
    const CatalogEntry *img = ok ? FindEntryByName(target, "big.img") : nullptr;
    ok = ok && img != nullptr && OpenEntry(target, *img, ui);
    std::vector<const CatalogEntry *> entries;
    for (const auto &e : source.entries) {
        if (IsTiFileKind(e->ti.kind)) {
            entries.push_back(e.get());
        }
    }
    double floorCopy =
        PlainWriteFloor((dir / "plain.bin").string(), uint64_t(kFiles) * kFileSectors * 256, 256);
    start = Clock::now();
    int copied = ok ? CopyEntriesToHd(ui, target, source, entries) : 0;
    // Every sector is in the image when the copy returns; unloading belongs to program end.
    double copy = Seconds(start);
    UnloadHdLibrary();
    std::filesystem::remove_all(dir);
    if (!ok || copied != kFiles || !ui.Errors().empty()) {
        std::fprintf(stderr, "hd_bench: the image could not be made or filled\n");
        return 1;
    }
    std::printf("hd_create_image: %u sectors in %.3f s, plain writes %.3f s, ratio %.3f\n", sectors,
                image, floorImage, image / floorImage);
    std::printf("hd_copy_files: %d files of %u sectors in %.3f s, plain writes %.3f s, "
                "ratio %.3f\n",
                kFiles, kFileSectors, copy, floorCopy, copy / floorCopy);
    return 0;
}
