// The entry point: return codes, the log with its levels, options, the
// input reader, and what the library exports.
#include "tokenizer_fixture.h"

#include <algorithm>
#include <cstdio>

namespace kestrel::testing
{
namespace
{

using Entry = TokenizerTest;

bool Contains(const std::vector<std::string> &log, const std::string &line)
{
    return std::find(log.begin(), log.end(), line) != log.end();
}

TEST_F(Entry, SuccessfulRunLogsAtDefaultVerbosity)
{
    const TokenizerRun run = Run("10 PRINT A\r\n20 END\r\n", true, true);
    ASSERT_EQ(run.rc, 0);
    const std::vector<std::string> expected = {
        "",
        "Read file " + PathOf("in.txt") + " into memory",
        "2 lines read.",
        "",
        "",
        "Writing MERGE-File " + PathOf("out.mrg") + ".",
        "Writing PROGRAM-File " + PathOf("out.prg") + ".",
    };
    EXPECT_EQ(run.log, expected);
    EXPECT_TRUE(run.programWritten);
    EXPECT_TRUE(run.mergeWritten);
}

TEST_F(Entry, MissingInput)
{
    const std::string missing = PathOf("nowhere.txt");
    const std::string log = PathOf("run.log");
    const std::string prg = PathOf("out.prg");
    EXPECT_EQ(s_entry(missing.c_str(), prg.c_str(), nullptr, log.c_str(), ""), 10);
    EXPECT_EQ(ReadLines(log),
              (std::vector<std::string>{"Error opening file " + missing, "Errors found, RC=10"}));
    EXPECT_FALSE(std::filesystem::exists(prg));
}

TEST_F(Entry, LogInMissingFolder)
{
    WriteText("in.txt", "10 PRINT\n");
    const std::string in = PathOf("in.txt");
    const std::string prg = PathOf("out.prg");
    const std::string log = PathOf("no/such/dir/run.log");
    EXPECT_EQ(s_entry(in.c_str(), prg.c_str(), "", log.c_str(), ""), 50);
    EXPECT_FALSE(std::filesystem::exists(prg));
}

TEST_F(Entry, NullArgumentsAreEmpty)
{
    WriteText("in.txt", "10 PRINT\n");
    const std::string in = PathOf("in.txt");
    EXPECT_EQ(s_entry(in.c_str(), nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(s_entry(nullptr, nullptr, nullptr, nullptr, nullptr), 10);
}

TEST_F(Entry, VerbosityOption)
{
    const std::string text = "10 PRINT A\nno number\n";
    // v=0: only errors; the strange line (level 1) and progress are gone.
    EXPECT_TRUE(Run(text, false, true, "v=0").log.empty());
    EXPECT_EQ(Run("10 GOTO 70000\n", false, true, "v=0").log,
              std::vector<std::string>{"Error converting file " + PathOf("in.txt")});
    // Level 1 keeps the strange line and nothing of level 2.
    EXPECT_EQ(Run(text, false, true, "v=1").log,
              std::vector<std::string>{"Line 1is strange [no number]"});
    // v=5 adds the traces; keys ignore case, items are separated by ';'.
    for (const char *options : {"v=5", "V=5", "x=1;v=5", " v = 5 ;"}) {
        const TokenizerRun run = Run(text, false, true, options);
        EXPECT_TRUE(Contains(run.log, "10 PRINT A -> PRINT|A| -> 9C[PRINT] 41 (?A)")) << options;
    }
    // A value that is no number keeps the default 3.
    for (const char *options : {"v=five", "v=", "v=5x", "v"}) {
        const TokenizerRun run = Run(text, false, true, options);
        EXPECT_TRUE(Contains(run.log, "1 lines read.")) << options;
        EXPECT_TRUE(Contains(run.log, "")) << options;
        EXPECT_FALSE(Contains(run.log, "10 PRINT A -> PRINT|A| -> 9C[PRINT] 41 (?A)")) << options;
    }
}

TEST_F(Entry, InputReaderRules)
{
    std::string text = "  20   PRINT X  \t\r\n\n   \n0\n";
    text += "30 " + std::string(300, 'A') + "\n"; // cut to 255 characters
    text += "40" + std::string(10000, 'B') + "\n";
    text += "99999999999 PRINT\n";
    text += "2147483647 END\n";
    const TokenizerRun run = Run(text, false, true, "v=5");
    ASSERT_EQ(run.rc, 30); // 2147483647 is stored but is no TI line number
    EXPECT_TRUE(Contains(run.log, "20 PRINT X -> PRINT|X| -> 9C[PRINT] 58 (?X)"));
    EXPECT_TRUE(Contains(run.log, "0  ->  -> ()"));
    std::string dump;
    for (int i = 0; i < 254; ++i)
        dump += "41 ";
    const std::string cut(254, 'A'); // 255 characters behind the number, then trimmed
    EXPECT_TRUE(Contains(run.log, "30 " + cut + " -> " + cut + "| -> " + dump + "(" + cut + ")"));
    EXPECT_TRUE(Contains(run.log, "Line 4is strange [99999999999 PRINT]"));
    EXPECT_TRUE(Contains(run.log, "5 lines read."));
    EXPECT_TRUE(Contains(run.log, "Errors found, RC=30"));
}

TEST_F(Entry, LinesBeyondTheTableAreStrange)
{
    std::string text;
    for (int i = 1; i <= 1026; ++i)
        text += std::to_string(i) + " A\n";
    const TokenizerRun run = Run(text, false, false);
    EXPECT_EQ(run.rc, 0);
    EXPECT_TRUE(Contains(run.log, "Line 1024is strange [1025 A]"));
    EXPECT_TRUE(Contains(run.log, "Line 1024is strange [1026 A]"));
    EXPECT_TRUE(Contains(run.log, "1024 lines read."));
}

TEST_F(Entry, UnwritableOutputs)
{
    WriteText("in.txt", "10 PRINT\n");
    const std::string in = PathOf("in.txt");
    const std::string log = PathOf("run.log");
    const std::string bad = PathOf("missing/OUT");
    const std::string prg = PathOf("out.prg");
    EXPECT_EQ(s_entry(in.c_str(), prg.c_str(), bad.c_str(), log.c_str(), ""), 30);
    EXPECT_FALSE(std::filesystem::exists(prg));
    const auto lines = ReadLines(log);
    EXPECT_TRUE(Contains(lines, "Error writing MERGE-File " + bad + "."));
    EXPECT_EQ(lines.back(), "Errors found, RC=30");
    EXPECT_EQ(s_entry(in.c_str(), bad.c_str(), "", "", ""), 40);
    // A directory in place of the output file.
    EXPECT_EQ(s_entry(in.c_str(), PathOf("").c_str(), "", "", ""), 40);
}

TEST_F(Entry, EachCallStartsAfresh)
{
    std::string many;
    for (int i = 1; i <= 1024; ++i)
        many += std::to_string(i) + " A\n";
    EXPECT_EQ(Run(many, true, true).rc, 0);
    EXPECT_EQ(Run("10 GOTO 70000\n", true, true).rc, 20);
    // Nothing of the earlier calls remains: one line, one table entry.
    const TokenizerRun run = Run("5 A\n", true, true);
    EXPECT_EQ(run.rc, 0);
    EXPECT_TRUE(Contains(run.log, "1 lines read."));
    EXPECT_EQ(MergeRecords(run.merge).size(), 1u);
    EXPECT_EQ(run.program[128 + 4], 0x37);
    EXPECT_EQ(run.program[128 + 5], 0xD7 - 6); // 7 bytes end at top
}

TEST_F(Entry, ExportsOnlyTheOrdinalTable)
{
    const std::string path =
        std::string(KESTREL_BIN_DIR) + "/" + platform::LibraryFileName("Wendover32");
    FILE *nm = popen(("nm -D --defined-only '" + path + "' 2>/dev/null").c_str(), "r");
    ASSERT_NE(nm, nullptr);
    std::vector<std::string> symbols;
    char line[512];
    while (fgets(line, sizeof line, nm)) {
        std::string s(line);
        while (!s.empty() && (s.back() == '\n' || s.back() == '\r'))
            s.pop_back();
        symbols.push_back(s.substr(s.rfind(' ') + 1));
    }
    if (pclose(nm) != 0 && symbols.empty())
        GTEST_SKIP() << "nm is not available";
    EXPECT_EQ(symbols, std::vector<std::string>{"LibraryOrdinal"});
    platform::Library lib;
    ASSERT_TRUE(lib.Load(path));
    EXPECT_NE(lib.Ordinal(1), nullptr);
    EXPECT_EQ(lib.Ordinal(0), nullptr);
    EXPECT_EQ(lib.Ordinal(2), nullptr);
}

} // namespace
} // namespace kestrel::testing
