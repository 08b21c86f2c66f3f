// Adding 127 files to a DSDD image and extracting them all again, each timed
// as a ratio to copying the same bytes between plain files in the same run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/ti_header.h"

namespace
{

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from)
{
    return std::chrono::duration<double>(Clock::now() - from).count();
}

bool CopyFile(const std::string &from, const std::string &to)
{
    std::vector<uint8_t> bytes = kestrel::testing::ReadBytes(from);
    return kestrel::testing::WriteBytes(to, bytes);
}

} // namespace

int main()
{
    using namespace kestrel;
    namespace fs = std::filesystem;
    std::string dir =
        (fs::temp_directory_path() / ("kestrel-floppy-bench-" + std::to_string(::getpid())))
            .string();
    fs::create_directories(dir);
    testing::RecordingUi ui;
    const int kFiles = 127;
    std::vector<std::string> sources;
    std::vector<CatalogEntry> entries;
    for (int i = 0; i < kFiles; ++i) {
        testing::TiFileSpec fileSpec;
        fileSpec.tiName = "F" + std::to_string(100 + i);
        fileSpec.sectors = 10;
        fileSpec.seed = static_cast<uint8_t>(i);
        std::vector<uint8_t> bytes = testing::MakeTiFileBytes(fileSpec);
        std::string path = dir + "/" + fileSpec.tiName;
        testing::WriteBytes(path, bytes);
        CatalogEntry entry;
        entry.pcName = fileSpec.tiName;
        DecodeHeader(bytes.data(), entry.pcName, false, entry.ti);
        sources.push_back(path);
        entries.push_back(entry);
    }

    const int kRounds = 5;
    double add = 0, extract = 0, plain = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::string image = dir + "/bench.dsk";
        WriteNewImage(*FindPreset(2), "BENCH", image, ui);
        Clock::time_point t = Clock::now();
        AddFileState state;
        for (int i = 0; i < kFiles; ++i) {
            if (AddFileToImage({image}, entries[i], sources[i], state, ui) != kAddDone) {
                std::fprintf(stderr, "add failed\n");
                return 1;
            }
        }
        add += Seconds(t);

        Location location;
        ListFloppyImage(location, image, 1, "", false, ui);
        t = Clock::now();
        for (const auto &e : location.entries) {
            SaveEntryAsTiFile(location, *e,
                              dir + "/out_" + std::to_string(&e - &location.entries[0]), ui);
        }
        extract += Seconds(t);

        t = Clock::now();
        for (int i = 0; i < kFiles; ++i) {
            CopyFile(sources[i], dir + "/copy_" + std::to_string(i));
        }
        plain += Seconds(t);
    }
    if (!ui.Silent()) {
        std::fprintf(stderr, "floppy bench: %s\n",
                     ui.Errors().empty() ? "" : ui.Errors()[0].c_str());
    }
    std::printf("floppy: add 127 files to DSDD   %8.4f s  ratio to plain copy %6.2f\n",
                add / kRounds, add / plain);
    std::printf("floppy: extract 127 files       %8.4f s  ratio to plain copy %6.2f\n",
                extract / kRounds, extract / plain);
    fs::remove_all(dir);
    return 0;
}
