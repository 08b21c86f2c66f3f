// Backup and restore of a 128 MiB card in a file-backed drive through
// kestrel-cli, against dd bs=1M moving the same bytes. Both are whole program
// runs; every run takes dd and kestrel in turn, and the medians of the runs
// are compared, in wall time and in the processor time the programs used.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_result.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr uint64_t kCardBytes = 128ull << 20;
constexpr int kRuns = 5;

using Clock = std::chrono::steady_clock;

// The card: a VIB in the even bytes of sector 0, fillers and a pattern elsewhere.
bool MakeCard(const std::string &path)
{
    std::FILE *out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        return false;
    }
    std::vector<uint8_t> block(1 << 20);
    for (uint64_t done = 0; done < kCardBytes; done += block.size()) {
        for (size_t i = 0; i < block.size(); ++i) {
            block[i] = i % 2 == 1 ? 0xE5 : static_cast<uint8_t>((done + i) / 512 * 31 + i);
        }
        if (done == 0) {
            const uint8_t vib[20] = {'B',  'E',  'N', 'C', 'H', ' ', ' ', ' ', ' ', ' ',
                                     0x06, 0x40, 20,  'D', 'S', 'K', ' ', 40,  2,   1};
            for (size_t j = 0; j < sizeof vib; ++j) {
                block[2 * j] = vib[j];
            }
            for (size_t j = 1; j < 512; j += 2) {
                block[j] = 0xE4;
            }
        }
        if (std::fwrite(block.data(), 1, block.size(), out) != block.size()) {
            std::fclose(out);
            return false;
        }
    }
    return std::fclose(out) == 0;
}

double ChildrenCpu()
{
    struct rusage usage {
    };
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall time of the command, and in cpu the processor time it used; -1 on failure.
double Run(const std::string &command, double &cpu)
{
    double before = ChildrenCpu();
    Clock::time_point start = Clock::now();
    int status = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cpu = ChildrenCpu() - before;
    if (status != 0) {
        std::fprintf(stderr, "cf7_bench: failed: %s\n", command.c_str());
        return -1;
    }
    return seconds;
}

struct Timings {
    std::vector<double> wall, cpu;
    bool Add(const std::string &command)
    {
        double c = 0;
        double t = Run(command, c);
        wall.push_back(t);
        cpu.push_back(c);
        return t >= 0;
    }
};

} // namespace

int main(int argc, char **argv)
{
    namespace fs = std::filesystem;
    fs::path self = fs::canonical(fs::path(argc > 0 ? argv[0] : "cf7_bench")).parent_path();
    std::string cli = (self / "kestrel-cli").string();
    if (!fs::exists(cli)) {
        std::printf("cf7_bench: skipped (no %s)\n", cli.c_str());
        return 0;
    }
    char pattern[] = "/tmp/kestrel-cf7-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) {
        return 1;
    }
    std::string dir = pattern;
    std::string card = dir + "/card.img";
    std::string image = dir + "/card.cf7";
    std::string copy = dir + "/copy.img";
    if (!MakeCard(card)) {
        std::fprintf(stderr, "cf7_bench: cannot write %s\n", card.c_str());
        fs::remove_all(dir);
        return 1;
    }
    std::string env = "KESTREL_DRIVES='" + card + "' ";
    Timings ddRead, backup, ddWrite, restore;
    bool ok = true;
    for (int run = 0; run < kRuns && ok; ++run) {
        ok = ddRead.Add("dd if='" + card + "' of='" + copy + "' bs=1M status=none") &&
             backup.Add(env + "'" + cli + "' backup D '" + image + "' 2>/dev/null") &&
             ddWrite.Add("dd if='" + copy + "' of='" + card +
                         "' bs=1M conv=notrunc,fsync status=none") &&
             restore.Add(env + "'" + cli + "' restore --yes '" + image + "' D 2>/dev/null");
        fs::remove(copy);
        fs::remove(image);
    }
    fs::remove_all(dir);
    if (!ok) {
        return 1;
    }
    using kestrel::bench::PrintResult;
    PrintResult("cf7 backup 128 MiB card", backup.wall, "dd bs=1M read", ddRead.wall, 1.3);
    PrintResult("cf7 restore 128 MiB card", restore.wall, "dd bs=1M write+fsync", ddWrite.wall,
                1.3);
    PrintResult("cf7 backup, cpu time", backup.cpu, "dd bs=1M read, cpu time", ddRead.cpu, 1.3);
    PrintResult("cf7 restore, cpu time", restore.cpu, "dd bs=1M write, cpu time", ddWrite.cpu, 1.3);
    return 0;
}
