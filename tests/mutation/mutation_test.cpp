// Every real and demo image and TI file, damaged in fixed, repeatable ways: cut at sector
// boundaries, one byte in a hundred flipped, the fields of the VIB, the file index, an FDR and
// a PC-side header set to 0, 0xFF and values out of range, a data chain made to point back at
// itself. Each damaged copy goes through ls, view and get of its files, check and inspect.
// Each case runs in a child process with a time limit, so a crash or a hang is told apart
// from a refusal; the input must come back unwritten, and a command that refuses must have
// shown a numbered message.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

#include "tests/faults/in_process_cli.h"

namespace kestrel::testing
{
namespace
{

namespace fs = std::filesystem;

constexpr unsigned kCaseSeconds = 10;
constexpr size_t kSector = 256;
constexpr size_t kMostFilesPerCase = 3;

struct Mutant {
    std::string what;
    std::string bytes;
};

void SetWord(std::string &bytes, size_t at, unsigned value)
{
    if (at + 1 < bytes.size()) {
        bytes[at] = static_cast<char>(value >> 8);
        bytes[at + 1] = static_cast<char>(value);
    }
}

unsigned Word(const std::string &bytes, size_t at)
{
    return at + 1 < bytes.size()
               ? (static_cast<uint8_t>(bytes[at]) << 8) | static_cast<uint8_t>(bytes[at + 1])
               : 0;
}

// The damaged copies of one file, always the same ones.
std::vector<Mutant> Mutate(const std::string &original, bool floppy)
{
    std::vector<Mutant> mutants;
    const size_t sectors = original.size() / kSector;
    // Cut at sector boundaries: every one of a small file, else the first ones, a spread of
    // the rest and the last; and once inside a sector.
    std::vector<size_t> cuts;
    for (size_t s = 0; s < sectors; ++s) {
        if (sectors <= 8 || s < 3 || s % (sectors / 5 + 1) == 0 || s + 1 == sectors) {
            cuts.push_back(s);
        }
    }
    for (size_t s : cuts) {
        mutants.push_back({"cut at sector " + std::to_string(s), original.substr(0, s * kSector)});
    }
    if (original.size() > 100) {
        mutants.push_back({"cut 100 bytes short", original.substr(0, original.size() - 100)});
    }
    // One byte in a hundred flipped, three ways.
    for (uint32_t seed = 1; seed <= 2; ++seed) {
        std::string bytes = original;
        uint32_t state = seed * 2654435761u;
        for (size_t n = 0; n < bytes.size() / 100 + 1 && !bytes.empty(); ++n) {
            state = state * 1664525u + 1013904223u;
            bytes[state % bytes.size()] ^= static_cast<char>(1u << (state >> 29));
        }
        mutants.push_back({"1% flipped, seed " + std::to_string(seed), bytes});
    }
    const unsigned kValues[] = {0, 0xFFFF, 0x0FFF};
    auto field = [&](const std::string &name, size_t at, bool word) {
        for (unsigned value : kValues) {
            std::string bytes = original;
            if (at >= bytes.size()) {
                return;
            }
            if (word) {
                SetWord(bytes, at, value);
            } else {
                bytes[at] = static_cast<char>(value);
            }
            std::ostringstream what;
            what << name << " = " << value;
            mutants.push_back({what.str(), bytes});
        }
    };
    if (floppy) {
        field("VIB total sectors", 10, true);
        field("VIB sectors per track", 12, false);
        field("VIB tracks", 17, false);
        field("VIB sides", 18, false);
        field("VIB density", 19, false);
        field("VIB first subdirectory FDIR", 30, true);
        field("VIB bitmap", 56, true);
        field("FDIR first entry", kSector, true);
        field("FDIR second entry", kSector + 2, true);
        const unsigned fdr = Word(original, kSector);
        if (fdr != 0 && (fdr + 1) * kSector <= original.size()) {
            const size_t at = fdr * kSector;
            field("FDR flags", at + 12, false);
            field("FDR records per sector", at + 13, false);
            field("FDR sectors", at + 14, true);
            field("FDR end offset", at + 16, false);
            field("FDR record length", at + 17, false);
            field("FDR level-3 records", at + 18, true);
            field("FDR first chain entry", at + 28, true);
            // The chain made to loop: its first cluster starts at the FDR, and a second
            // cluster runs back to the first.
            std::string loop = original;
            loop[at + 28] = static_cast<char>(fdr & 0xFF);
            loop[at + 29] = static_cast<char>((fdr >> 8) & 0x0F);
            mutants.push_back({"chain starts at its own FDR", loop});
            loop = original;
            std::copy(loop.begin() + at + 28, loop.begin() + at + 31, loop.begin() + at + 31);
            mutants.push_back({"chain repeats its first cluster", loop});
        }
    } else {
        field("header sectors", 8, true);
        field("header flags", 10, false);
        field("header records per sector", 11, false);
        field("header end offset", 12, false);
        field("header record length", 13, false);
        field("header level-3 records", 14, true);
    }
    return mutants;
}

std::vector<std::string> Names(const std::string &listing)
{
    std::vector<std::string> names;
    std::istringstream lines(listing);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) {
        rows.push_back(line);
    }
    if (!rows.empty()) {
        rows.pop_back();
    }
    for (const std::string &row : rows) {
        const size_t tab = row.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        std::string name = row.substr(tab + 1, row.find('\t', tab + 1) - tab - 1);
        // Files only: subdirectories and volumes are listed, not viewed.
        const bool file = row.find("DIS/") != std::string::npos ||
                          row.find("INT/") != std::string::npos ||
                          row.find("PROGRAM") != std::string::npos;
        if (!file) {
            continue;
        }
        while (!name.empty() && name.back() == ' ') {
            name.pop_back();
        }
        if (!name.empty() && name != ".." && names.size() < kMostFilesPerCase) {
            names.push_back(name);
        }
    }
    return names;
}

// The child's side of one case: every command, and the first thing wrong, if any.
std::string RunCase(const std::string &path, bool container, const std::string &scratch)
{
    std::string wrong;
    auto refused = [&](const InProcessRun &run, const std::string &what) {
        if (run.status != 0 && run.errors + run.dsrErrors == 0 && wrong.empty()) {
            wrong = what + " refused without a numbered message: " + run.err;
        }
    };
    if (container) {
        InProcessRun listing = RunInProcess({"ls", "--tsv", path});
        refused(listing, "ls");
        for (const std::string &name : Names(listing.out)) {
            refused(RunInProcess({"view", path + "/" + name}), "view " + name);
            refused(RunInProcess({"get", path + "/" + name, scratch + "/got"}), "get " + name);
        }
        RunInProcess({"check", path});
        RunInProcess({"inspect", path});
    } else {
        refused(RunInProcess({"view", path}), "view");
        RunInProcess({"view", "--hex", path});
        RunInProcess({"view", "--forth", path});
    }
    return wrong;
}

struct Input {
    std::string path;
    bool container;
    bool floppy;
};

std::vector<Input> Inputs()
{
    std::vector<Input> inputs;
    auto add = [&](const fs::path &file) {
        const std::string ext = file.extension().string();
        if (ext == ".gz" || ext == ".bas" || ext == ".txt" || file.filename() == "COPYING" ||
            fs::file_size(file) > 4 * 1024 * 1024) {
            return;
        }
        const bool floppy = ext == ".dsk";
        const bool container =
            floppy || ext == ".pc99" || ext == ".cf7" || ext == ".ark" || ext == ".img";
        inputs.push_back({file.string(), container, floppy});
    };
    std::error_code ec;
    for (const char *folder : {"/xdt99/disk", "/xdt99/files", "/xdt99/basic"}) {
        for (const auto &entry :
             fs::directory_iterator(std::string(KESTREL_REALDATA) + folder, ec)) {
            if (entry.is_regular_file()) {
                add(entry.path());
            }
        }
    }
    const std::string demo = NewScratchFolder("kestrel-mutation-demo") + "/demo";
    const std::string command =
        std::string(KESTREL_BIN_DIR) + "/kestrel-samples '" + demo + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) == 0) {
        for (const auto &entry : fs::directory_iterator(demo, ec)) {
            if (entry.is_regular_file()) {
                add(entry.path());
            }
        }
    }
    std::sort(inputs.begin(), inputs.end(),
              [](const Input &a, const Input &b) { return a.path < b.path; });
    return inputs;
}

// The inputs are dealt out to a few shards, so that CTest can run them side by side.
constexpr size_t kShards = 4;

class Mutation : public ::testing::TestWithParam<size_t>
{
};

TEST_P(Mutation, DamagedFilesAreReadWithoutCrashHangOrWriteAndRefusedWithANumberedMessage)
{
    PrepareInProcessCli();
    std::vector<Input> inputs;
    const std::vector<Input> all = Inputs();
    ASSERT_FALSE(all.empty());
    for (size_t i = GetParam(); i < all.size(); i += kShards) {
        inputs.push_back(all[i]);
    }
    const std::string scratch = NewScratchFolder("kestrel-mutation");
    size_t cases = 0;
    int problems = 0;
    for (const Input &input : inputs) {
        const std::string original = ReadAll(input.path);
        const std::string name = fs::path(input.path).filename().string();
        for (const Mutant &mutant : Mutate(original, input.floppy)) {
            ++cases;
            const std::string path = scratch + "/" + name;
            WriteAll(path, mutant.bytes);
            int pipeEnds[2];
            ASSERT_EQ(::pipe(pipeEnds), 0);
            std::fflush(nullptr);
            const pid_t child = ::fork();
            if (child == 0) {
                ::close(pipeEnds[0]);
                ::alarm(kCaseSeconds);
                const std::string wrong = RunCase(path, input.container, scratch);
                ssize_t ignored = ::write(pipeEnds[1], wrong.data(), wrong.size());
                (void)ignored;
                ::_exit(0);
            }
            ::close(pipeEnds[1]);
            std::string wrong;
            char buffer[512];
            for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;) {
                wrong.append(buffer, static_cast<size_t>(n));
            }
            ::close(pipeEnds[0]);
            int status = 0;
            ::waitpid(child, &status, 0);
            const std::string where = name + ", " + mutant.what;
            if (WIFSIGNALED(status)) {
                ++problems;
                ADD_FAILURE() << where << ": "
                              << (WTERMSIG(status) == SIGALRM
                                      ? "did not finish in time"
                                      : "crashed with signal " + std::to_string(WTERMSIG(status)));
            } else if (!wrong.empty()) {
                ++problems;
                ADD_FAILURE() << where << ": " << wrong;
            }
            if (ReadAll(path) != mutant.bytes) {
                ++problems;
                ADD_FAILURE() << where << ": the input was written";
            }
            if (problems > 20) {
                FAIL() << "stopped after 20 problems";
            }
        }
    }
    fs::remove_all(scratch);
    std::printf("mutation suite, shard %zu of %zu: %zu cases from %zu files, %d problems\n",
                GetParam() + 1, kShards, cases, inputs.size(), problems);
}

INSTANTIATE_TEST_SUITE_P(Shards, Mutation, ::testing::Range(size_t{0}, kShards));

} // namespace
} // namespace kestrel::testing
