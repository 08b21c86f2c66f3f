// Backup and restore of a 128 MiB card in a file-backed drive through
// kestrel-cli, against dd bs=1M moving the same bytes in the same run. Both
// are whole program runs; the ratio is kestrel's time over dd's (goal: 1.5).
// Best of several runs each.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace
{

constexpr uint64_t kCardBytes = 128ull << 20;
constexpr int kRuns = 3;

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

double Run(const std::string &command)
{
    Clock::time_point start = Clock::now();
    int status = std::system(command.c_str());
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (status != 0) {
        std::fprintf(stderr, "cf7_bench: failed: %s\n", command.c_str());
        return -1;
    }
    return seconds;
}

double Best(const std::string &command)
{
    double best = -1;
    for (int i = 0; i < kRuns; ++i) {
        double t = Run(command);
        if (t < 0) {
            return -1;
        }
        if (best < 0 || t < best) {
            best = t;
        }
    }
    return best;
}

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
    double ddRead = Best("dd if='" + card + "' of='" + copy + "' bs=1M status=none");
    double backup = Best(env + "'" + cli + "' backup D '" + image + "' 2>/dev/null");
    double ddWrite =
        Best("dd if='" + copy + "' of='" + card + "' bs=1M conv=notrunc,fsync status=none");
    double restore = Best(env + "'" + cli + "' restore --yes '" + image + "' D 2>/dev/null");
    fs::remove_all(dir);
    if (ddRead <= 0 || backup < 0 || ddWrite <= 0 || restore < 0) {
        return 1;
    }
    std::printf("cf7 backup  128 MiB card: %.3f s, dd %.3f s, ratio %.2f\n", backup, ddRead,
                backup / ddRead);
    std::printf("cf7 restore 128 MiB card: %.3f s, dd %.3f s, ratio %.2f\n", restore, ddWrite,
                restore / ddWrite);
    return 0;
}
