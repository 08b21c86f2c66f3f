// Packing archives: LZW compression speed (MB/s of archive input) and ratio
// (compressed size / plain size) for several sets of members, each next to
// `gzip -6` on the very same bytes (the plain archive: directory blocks and
// member sectors). gzip runs as a process: its time is the best wall time
// of three runs less the best time of a run on empty input (its start-up),
// and the gross figure with start-up is printed beside it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_result.h"
#include "tifs/arc/archive_directory.h"
#include "tifs/arc/archive_writer.h"
#include "tifs/arc/lzw_decoder.h"
#include "tifs/ti_header.h"

namespace
{

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using kestrel::ArcMember;

double Seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

ArcMember Member(const std::string &name, uint8_t flags, uint8_t recordLength,
                 std::vector<uint8_t> data)
{
    ArcMember member;
    data.resize((data.size() + 255) / 256 * 256, 0);
    member.ti.tiName = kestrel::PadTiName(name);
    member.ti.flags = flags;
    member.ti.recordLength = recordLength;
    member.ti.recordsPerSector = recordLength == 0 ? 0 : static_cast<uint8_t>(256 / recordLength);
    member.ti.sectors = static_cast<uint16_t>(data.size() / 256);
    member.data = std::move(data);
    return member;
}

// DIS/VAR 80 records of a BASIC listing.
std::vector<ArcMember> ListingSet()
{
    std::mt19937 rng(7);
    const char *words[] = {"CALL CLEAR",  "PRINT \"SCORE:\";S", "GOTO ", "FOR I=1 TO 10",
                           "NEXT I",      "IF X>Y THEN ",       ":: ",   "CALL HCHAR(12,",
                           "DISPLAY AT(", "ACCEPT AT(",         "REM "};
    std::vector<ArcMember> set;
    for (int file = 0; file < 20; ++file) {
        std::vector<uint8_t> data;
        for (int sector = 0; sector < 60; ++sector) {
            size_t start = data.size();
            while (data.size() - start < 240) {
                std::string line = std::to_string(100 + 10 * (rng() % 900)) + " ";
                while (line.size() < 60) {
                    line += words[rng() % std::size(words)];
                }
                data.push_back(static_cast<uint8_t>(line.size()));
                data.insert(data.end(), line.begin(), line.end());
            }
            data.push_back(0xFF);
            data.resize(start + 256, 0);
        }
        set.push_back(Member("LIST" + std::to_string(file), 0x80, 80, std::move(data)));
    }
    return set;
}

// PROGRAM images: short opcodes and addresses with repeats, like machine code.
std::vector<ArcMember> ProgramSet()
{
    std::mt19937 rng(11);
    std::vector<ArcMember> set;
    for (int file = 0; file < 10; ++file) {
        std::vector<uint8_t> data;
        while (data.size() < 32 * 256) {
            const uint16_t op = static_cast<uint16_t>(0x0200 + 0x20 * (rng() % 40));
            data.push_back(static_cast<uint8_t>(op >> 8));
            data.push_back(static_cast<uint8_t>(op | (rng() % 16)));
            if (rng() % 3 == 0) {
                data.push_back(0xA0);
                data.push_back(static_cast<uint8_t>(rng() % 64));
            }
        }
        set.push_back(Member("PROG" + std::to_string(file), 0x01, 0, std::move(data)));
    }
    return set;
}

std::vector<ArcMember> RandomSet()
{
    std::mt19937 rng(13);
    std::vector<ArcMember> set;
    for (int file = 0; file < 4; ++file) {
        std::vector<uint8_t> data(100 * 256);
        for (uint8_t &b : data) {
            b = static_cast<uint8_t>(rng());
        }
        set.push_back(Member("NOISE" + std::to_string(file), 0x02, 128, std::move(data)));
    }
    return set;
}

// Real TI files, when the folder of real data is there: every file with a
// TI header in xdt99/files and every disk image's sectors as one member.
std::vector<ArcMember> RealSet(const fs::path &root)
{
    std::vector<ArcMember> set;
    std::error_code error;
    for (const char *folder : {"files", "disk", "basic"}) {
        for (const auto &item : fs::directory_iterator(root / folder, error)) {
            if (set.size() == kestrel::kArcMaxMembers || !item.is_regular_file()) {
                continue;
            }
            std::ifstream in(item.path(), std::ios::binary);
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            kestrel::TiFileDescriptor d;
            if (item.path().extension() == ".dsk" && bytes.size() <= 1440 * 256) {
                set.push_back(Member("DISK" + std::to_string(set.size()), 0x02, 128, bytes));
            } else if (bytes.size() >= 128 &&
                       kestrel::DecodeHeader(bytes.data(), item.path().filename().string(), false,
                                             d)) {
                bytes.erase(bytes.begin(), bytes.begin() + 128);
                set.push_back(Member("F" + std::to_string(set.size()), 0x00, 80, bytes));
            }
        }
    }
    return set;
}

struct GzipResult {
    bool ran = false;
    double seconds = 0; // start-up included
    double startup = 0; // the same command on empty input
    uint64_t size = 0;
    std::vector<double> runs; // of the whole command
};

double BestOf(const std::string &command, int rounds, bool &ran,
              std::vector<double> *runs = nullptr)
{
    double best = 1e9;
    ran = true;
    for (int round = 0; round < rounds && ran; ++round) {
        Clock::time_point start = Clock::now();
        ran = std::system(command.c_str()) == 0;
        const double seconds = Seconds(start);
        best = std::min(best, seconds);
        if (runs != nullptr) {
            runs->push_back(seconds);
        }
    }
    return best;
}

GzipResult RunGzip(const std::vector<uint8_t> &plain, int rounds)
{
    GzipResult result;
    const fs::path dir = fs::temp_directory_path();
    const std::string in = (dir / ("arc_pack_bench_" + std::to_string(::getpid()))).string();
    const std::string out = in + ".gz";
    {
        std::ofstream file(in, std::ios::binary);
        file.write(reinterpret_cast<const char *>(plain.data()),
                   static_cast<std::streamsize>(plain.size()));
    }
    const std::string command = "gzip -6 -c '" + in + "' > '" + out + "' 2>/dev/null";
    bool emptyRan = false;
    result.startup = BestOf("gzip -6 -c </dev/null >/dev/null 2>&1", rounds, emptyRan);
    result.seconds = BestOf(command, rounds, result.ran, &result.runs);
    result.ran = result.ran && emptyRan;
    std::error_code error;
    result.size = fs::file_size(out, error);
    fs::remove(in, error);
    fs::remove(out, error);
    return result;
}

// Decompresses the stream and compares with plain: a benchmark of a wrong
// compressor would be worth nothing.
bool RoundTrips(const std::vector<uint8_t> &stream, const std::vector<uint8_t> &plain)
{
    kestrel::MemoryByteSource source(stream.data(), stream.size());
    kestrel::LzwDecoder decoder;
    decoder.Reset(&source);
    uint8_t block[kestrel::kLzwBlockSize];
    size_t filled = 0;
    size_t at = 0;
    while (decoder.NextBlock(block, filled) == kestrel::LzwStatus::Block) {
        if (at + filled > plain.size() || std::memcmp(block, plain.data() + at, filled) != 0) {
            return false;
        }
        at += filled;
    }
    return at == plain.size();
}

bool Measure(const char *name, const std::vector<ArcMember> &members)
{
    if (members.empty()) {
        std::printf("arc_pack %-8s: no members here, skipped\n", name);
        return true;
    }
    const std::vector<uint8_t> plain = kestrel::ArchivePlainSectors(members, true);
    const int rounds = 5;
    double best = 1e9;
    std::vector<double> runs;
    std::vector<uint8_t> stream;
    for (int round = 0; round < rounds; ++round) {
        Clock::time_point start = Clock::now();
        stream = kestrel::LzwCompress(plain.data(), plain.size());
        runs.push_back(Seconds(start));
        best = std::min(best, runs.back());
    }
    if (!RoundTrips(stream, plain)) {
        std::fprintf(stderr, "arc_pack_bench: %s does not decompress to its input\n", name);
        return false;
    }
    const double mb = static_cast<double>(plain.size()) / 1e6;
    GzipResult gzip = RunGzip(plain, 3);
    if (gzip.ran) {
        // gzip is a program of its own: its start-up is taken off each run.
        std::vector<double> gzipRuns;
        for (double seconds : gzip.runs) {
            gzipRuns.push_back(std::max(seconds - gzip.startup, 1e-6));
        }
        kestrel::bench::PrintResult(std::string("arc pack ") + name + ", LZW", runs,
                                    "gzip -6, less its start-up", gzipRuns, 0);
    }
    std::printf("arc_pack %-8s: %3zu members, %8zu bytes: LZW %7.1f MB/s, ratio %.3f", name,
                members.size(), plain.size(), mb / best,
                static_cast<double>(stream.size()) / static_cast<double>(plain.size()));
    if (gzip.ran) {
        const double net = std::max(gzip.seconds - gzip.startup, 1e-6);
        std::printf(" | gzip -6 %7.1f MB/s (%.1f with start-up), ratio %.3f\n", mb / net,
                    mb / gzip.seconds,
                    static_cast<double>(gzip.size) / static_cast<double>(plain.size()));
    } else {
        std::printf(" | gzip -6 not available\n");
    }
    return true;
}

} // namespace

int main()
{
    bool ok = true;
    ok = Measure("listing", ListingSet()) && ok;
    ok = Measure("program", ProgramSet()) && ok;
    ok = Measure("random", RandomSet()) && ok;
#ifdef KESTREL_REALDATA
    ok = Measure("real", RealSet(fs::path(KESTREL_REALDATA) / "xdt99")) && ok;
#endif
    return ok ? 0 : 1;
}
