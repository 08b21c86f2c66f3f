// rm, ren and mkdir on PC folders go through the same operations as the pane
// keys: a V9T9 file renamed gets its new TI name written into its header.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tests/cli_test_support.h"

namespace kestrel::testing
{
namespace
{

namespace fs = std::filesystem;

// A V9T9 DIS/VAR 80 file of one sector named GAME.
std::vector<uint8_t> V9t9File()
{
    std::vector<uint8_t> bytes(128 + 256, 0);
    const std::string name = "GAME      ";
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[12] = 0x80; // DIS/VAR
    bytes[13] = 3;    // records per sector
    bytes[15] = 1;    // one sector
    bytes[17] = 80;   // record length
    bytes[18] = 1;    // level-3: sectors used
    bytes[128] = 0xFF;
    return bytes;
}

std::vector<uint8_t> ReadAll(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

TEST(CliPcDirectory, RenameRewritesTheV9t9NameAndRmAndMkdirWork)
{
    const fs::path dir = MakeScratchFolder("kestrel-cli-pcdir");
    ASSERT_FALSE(dir.empty());
    {
        std::vector<uint8_t> bytes = V9t9File();
        std::ofstream(dir / "game.v9", std::ios::binary)
            .write(reinterpret_cast<const char *>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    CliRun ren = RunCli("ren " + (dir / "game.v9").string() + " NEWGAME");
    EXPECT_EQ(ren.status, 0) << ren.out;
    ASSERT_TRUE(fs::exists(dir / "NEWGAME.v9")) << ren.out;
    EXPECT_FALSE(fs::exists(dir / "game.v9"));
    std::vector<uint8_t> renamed = ReadAll(dir / "NEWGAME.v9");
    ASSERT_GE(renamed.size(), 10u);
    EXPECT_EQ(std::string(renamed.begin(), renamed.begin() + 10), "NEWGAME   ");
    // The data part is untouched.
    std::vector<uint8_t> original = V9t9File();
    EXPECT_TRUE(std::equal(original.begin() + 10, original.end(), renamed.begin() + 10));

    CliRun mkdir = RunCli("mkdir " + dir.string() + " NEWDIR");
    EXPECT_EQ(mkdir.status, 0) << mkdir.out;
    EXPECT_TRUE(fs::is_directory(dir / "NEWDIR"));

    CliRun rm = RunCli("rm " + (dir / "NEWGAME.v9").string());
    EXPECT_EQ(rm.status, 0) << rm.out;
    EXPECT_FALSE(fs::exists(dir / "NEWGAME.v9"));

    CliRun missing = RunCli("rm " + (dir / "NOPE").string());
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("ERROR: File <NOPE> doesn't exist"), std::string::npos)
        << missing.out;
    fs::remove_all(dir);
}

} // namespace
} // namespace kestrel::testing
