// Listing folders of 10,000 and 100,000 TI files the way users do, each
// against the least any listing must do: enumerate the folder, open each
// file, read its first 256 bytes, close it.
//  - in process: the listing a pane makes (open the location, sort it),
//    against that floor in the same process;
//  - from process start: `kestrel-cli ls DIR` with its output, against this
//    program started as a process that runs the floor.
// Every run takes all four in turn, so a slow spell of the machine slows
// measurement and floor alike; the medians of the runs are compared. The
// memory the catalog takes per entry is stated beside.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "bench/bench_result.h"
#include "bench/ti_folder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

extern char **environ;

namespace
{

using Clock = std::chrono::steady_clock;

using kestrel::bench::SecondsSince;

// The mix of a real collection: TIFILES and V9T9 headers, fixed and variable
// records, and one in ten a Classic99 file without padding.
bool MakeFolder(const std::string &dir, int count)
{
    return kestrel::bench::WriteFolder(dir, count, [](int i) {
        kestrel::bench::FolderFile file;
        char name[32];
        std::snprintf(name, sizeof name, "FILE%06d", i);
        file.pcName = name;
        kestrel::TiFileDescriptor &d = file.descriptor;
        d.tiName = kestrel::PadTiName(file.pcName.substr(0, 10));
        int sectors = 1 + i % 4;
        bool variable = i % 2 == 0;
        d.flags = variable ? kestrel::kFlagVariable : 0;
        d.recordLength = 80;
        d.recordsPerSector = 3;
        d.sectors = static_cast<uint16_t>(sectors);
        d.level3Count = static_cast<uint16_t>(variable ? sectors : sectors * 3);
        d.eofOffset = variable ? 100 : 0;
        file.v9t9 = i % 3 == 0;
        file.cut = i % 10 == 1 ? 100 : 0;
        return file;
    });
}

size_t Floor(const std::string &dir)
{
    size_t count = 0;
    DIR *d = opendir(dir.c_str());
    if (d == nullptr) {
        return 0;
    }
    int dirFd = dirfd(d);
    uint8_t buffer[256];
    while (dirent *item = readdir(d)) {
        if (item->d_name[0] == '.') {
            continue;
        }
        int fd = openat(dirFd, item->d_name, O_RDONLY);
        if (fd < 0) {
            continue;
        }
        if (read(fd, buffer, sizeof buffer) > 0) {
            ++count;
        }
        close(fd);
    }
    closedir(d);
    return count;
}

// The pane's listing: open the location and sort it.
size_t List(const std::string &dir, kestrel::Location &location)
{
    kestrel::testing::RecordingUi ui;
    location = kestrel::Location{};
    location.path = dir;
    location.sortOrder = kestrel::ProgramSettings().sortBy;
    if (!kestrel::OpenLocation(location, ui)) {
        return 0;
    }
    kestrel::SortCatalog(location);
    return location.entries.size();
}

double CpuSeconds(const struct rusage &usage)
{
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double ProcessCpu()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

// Wall time of a program run from its start, output to /dev/null (and the
// processor time it used in cpu); -1 on failure.
double RunProcess(std::vector<std::string> args, double &cpu)
{
    std::vector<char *> argv;
    for (std::string &arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto start = Clock::now();
    pid_t pid = 0;
    int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    struct rusage usage {
    };
    if (failed != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return -1;
    }
    double wall = SecondsSince(start);
    cpu = CpuSeconds(usage);
    return wall;
}

size_t HeapInUse()
{
    struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    if (argc == 3 && std::strcmp(argv[1], "--floor") == 0) {
        std::printf("%zu\n", Floor(argv[2]));
        return 0;
    }
    kestrel::RegisterLocationListers();
    std::string self = fs::canonical("/proc/self/exe").string();
    std::string cli = (fs::path(self).parent_path() / "kestrel-cli").string();
    bool haveCli = fs::exists(cli);

    const char *base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base ? base : "/tmp") + "/kestrel-scan-bench-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string root = pattern;
    int status = 0;
    for (int count : {10000, 100000}) {
        const std::string dir = root + "/f" + std::to_string(count);
        fs::create_directory(dir);
        if (!MakeFolder(dir, count)) {
            std::fprintf(stderr, "catalog_scan_bench: cannot write the files\n");
            status = 1;
            break;
        }
        const int runs = count <= 10000 ? 11 : 3;
        std::vector<double> floor, list, floorProcess, cliRun;
        std::vector<double> floorCpu, listCpu, floorProcessCpu, cliCpu;
        kestrel::Location location;
        size_t listed = List(dir, location); // warms the caches for every run alike
        bool ok = listed == static_cast<size_t>(count) && Floor(dir) == listed;
        for (int run = 0; run < runs && ok; ++run) {
            double cpu = ProcessCpu();
            auto start = Clock::now();
            ok = Floor(dir) == static_cast<size_t>(count);
            floor.push_back(SecondsSince(start));
            floorCpu.push_back(ProcessCpu() - cpu);
            cpu = ProcessCpu();
            start = Clock::now();
            ok = ok && List(dir, location) == static_cast<size_t>(count);
            list.push_back(SecondsSince(start));
            listCpu.push_back(ProcessCpu() - cpu);
            if (haveCli) {
                double fc = 0, cc = 0;
                double f = RunProcess({self, "--floor", dir}, fc);
                double c = RunProcess({cli, "ls", dir}, cc);
                ok = ok && f > 0 && c > 0;
                floorProcess.push_back(f);
                cliRun.push_back(c);
                floorProcessCpu.push_back(fc);
                cliCpu.push_back(cc);
            }
        }
        if (!ok) {
            std::fprintf(stderr, "catalog_scan_bench: listing of %d files failed\n", count);
            status = 1;
            break;
        }
        // What the catalog of this folder holds on the heap, per entry.
        location = kestrel::Location{};
        malloc_trim(0);
        size_t before = HeapInUse();
        List(dir, location);
        size_t after = HeapInUse();
        std::string n = std::to_string(count / 1000) + "k";
        kestrel::bench::PrintResult("pane listing, " + n + " TI files", list,
                                    "open+read 256+close, same process", floor, 1.3);
        if (haveCli) {
            kestrel::bench::PrintResult("kestrel-cli ls, " + n + " TI files", cliRun,
                                        "floor as a process", floorProcess, 1.3);
        }
        // Processor time is what the program itself spends; on a loaded machine the wall
        // time also holds the waits for a processor.
        kestrel::bench::PrintResult("pane listing, " + n + ", cpu time", listCpu, "floor, cpu time",
                                    floorCpu, 1.3);
        if (haveCli) {
            kestrel::bench::PrintResult("kestrel-cli ls, " + n + ", cpu time", cliCpu,
                                        "floor as a process, cpu time", floorProcessCpu, 1.3);
        }
        std::printf("catalog of %d entries: %.0f bytes per entry on the heap "
                    "(entry %zu bytes + its list slot + names beyond the inline buffer)\n",
                    count, static_cast<double>(after - before) / count,
                    sizeof(kestrel::CatalogEntry));
        location = kestrel::Location{};
        fs::remove_all(dir);
    }
    fs::remove_all(root);
    return status;
}
