// Adding 127 files to a DSDD image and extracting them all again, each timed
// against plain copies of the same files between PC files in the same run:
// open, read, close the source, create, write, close the copy. Extraction is
// timed twice: into new names, and over the files of the previous round
// (which replaces each one only once its new content is complete), against
// a plain copy over existing files. Each round takes every figure beside its
// floor; the medians of the rounds are compared.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "bench/bench_result.h"
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

// The least a copy of a small file costs: one read, one write.
bool PlainCopy(const std::string &from, const std::string &to)
{
    uint8_t buffer[64 * 1024];
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    ssize_t got = ::read(in, buffer, sizeof buffer);
    ::close(in);
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0 || got < 0) {
        return false;
    }
    bool ok = ::write(out, buffer, static_cast<size_t>(got)) == got;
    return ::close(out) == 0 && ok;
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

    const int kRounds = 7;
    std::vector<double> add, addFloor, extract, extractFloor, replace, replaceFloor;
    std::vector<double> extractCpu, floorCpu;
    bool ok = true;
    for (int round = 0; round < kRounds && ok; ++round) {
        std::string image = dir + "/bench.dsk";
        WriteNewImage(*FindPreset(2), "BENCH", image, ui);
        Clock::time_point t = Clock::now();
        AddFileState state;
        for (int i = 0; i < kFiles && ok; ++i) {
            ok = AddFileToImage({image}, entries[i], sources[i], state, ui) == kAddDone;
        }
        add.push_back(Seconds(t));

        const std::string out = dir + "/out" + std::to_string(round);
        const std::string copies = dir + "/copy" + std::to_string(round);
        fs::create_directory(out);
        fs::create_directory(copies);
        double cpu = bench::CpuNow();
        t = Clock::now();
        for (int i = 0; i < kFiles; ++i) {
            ok = PlainCopy(sources[i], copies + "/" + std::to_string(i)) && ok;
        }
        addFloor.push_back(Seconds(t));
        floorCpu.push_back(bench::CpuNow() - cpu);
        extractFloor.push_back(addFloor.back());

        Location location;
        ListFloppyImage(location, image, 1, "", false, ui);
        cpu = bench::CpuNow();
        t = Clock::now();
        for (size_t i = 0; i < location.entries.size(); ++i) {
            ok = SaveEntryAsTiFile(location, *location.entries[i], out + "/" + std::to_string(i),
                                   ui) &&
                 ok;
        }
        extract.push_back(Seconds(t));
        extractCpu.push_back(bench::CpuNow() - cpu);

        t = Clock::now();
        for (int i = 0; i < kFiles; ++i) {
            ok = PlainCopy(sources[i], copies + "/" + std::to_string(i)) && ok;
        }
        replaceFloor.push_back(Seconds(t));
        t = Clock::now();
        for (size_t i = 0; i < location.entries.size(); ++i) {
            ok = SaveEntryAsTiFile(location, *location.entries[i], out + "/" + std::to_string(i),
                                   ui) &&
                 ok;
        }
        replace.push_back(Seconds(t));
        ok = ok && location.entries.size() == static_cast<size_t>(kFiles);
        fs::remove_all(out);
        fs::remove_all(copies);
    }
    fs::remove_all(dir);
    if (!ok || !ui.Silent()) {
        std::fprintf(stderr, "floppy_bench: failed %s\n",
                     ui.Errors().empty() ? "" : ui.Errors()[0].c_str());
        return 1;
    }
    bench::PrintResult("floppy: add 127 files to DSDD", add, "plain copy of the files", addFloor,
                       0);
    bench::PrintResult("floppy: extract 127 files", extract, "plain copy of the files",
                       extractFloor, 1.3);
    bench::PrintResult("floppy: extract 127 files, cpu time", extractCpu, "plain copy, cpu time",
                       floorCpu, 1.3);
    bench::PrintResult("floppy: extract 127 over existing", replace,
                       "plain copy over existing files", replaceFloor, 0);
    return 0;
}
