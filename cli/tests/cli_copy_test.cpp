// kestrel-cli cp, extract and arc2dsk run as a program: round trips through
// a disk image and a full disk that keeps its earlier files.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>

#include "tests/support/floppy_builder.h"

namespace
{

namespace fs = std::filesystem;
using namespace kestrel::testing;

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun Cli(const std::string &args)
{
    CliRun run;
    std::string command =
        std::string(KESTREL_BIN_DIR) + "/kestrel-cli " + args + " 2>&1 </dev/null";
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        run.out.append(buffer, n);
    }
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class CliCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "kestrel-cp-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        dir = mkdtemp(buffer.data());
        fs::create_directory(dir + "/src");
        fs::create_directory(dir + "/back");
    }
    void TearDown() override { fs::remove_all(dir); }

    void Write(const std::string &name, uint8_t flags, uint8_t recordLength, uint16_t sectors)
    {
        TiFileSpec fileSpec;
        fileSpec.tiName = name;
        fileSpec.flags = flags;
        fileSpec.recordLength = recordLength;
        fileSpec.recordsPerSector = recordLength == 0 ? 0 : static_cast<uint8_t>(256 / recordLength);
        fileSpec.sectors = sectors;
        fileSpec.level3 =
            flags & 0x80 ? sectors : static_cast<uint16_t>(sectors * fileSpec.recordsPerSector);
        fileSpec.eofOffset = flags & 0x80 ? 0x40 : 0;
        fileSpec.seed = static_cast<uint8_t>(sectors + flags);
        ASSERT_TRUE(WriteBytes(dir + "/src/" + name, MakeTiFileBytes(fileSpec)));
    }
    std::string dir;
};

TEST_F(CliCopy, TiFilesRoundTripThroughADiskImageByteForByte)
{
    Write("DF80", 0x00, 80, 3);
    Write("DV80", 0x80, 80, 2);
    Write("IF128", 0x02, 128, 4);
    Write("IV254", 0x82, 254, 1);
    Write("PROG", 0x01, 0, 5);
    ASSERT_EQ(Cli("mkdsk " + dir + " WORK --preset 1").status, 0);
    std::string image = dir + "/WORK.dsk";
    std::string sources;
    for (const char *name : {"DF80", "DV80", "IF128", "IV254", "PROG"}) {
        sources += " " + dir + "/src/" + name;
    }
    CliRun in = Cli("cp" + sources + " " + image);
    ASSERT_EQ(in.status, 0) << in.out;
    std::string inside;
    for (const char *name : {"DF80", "DV80", "IF128", "IV254", "PROG"}) {
        inside += " " + image + "/" + name;
    }
    CliRun out = Cli("cp" + inside + " " + dir + "/back");
    ASSERT_EQ(out.status, 0) << out.out;
    for (const char *name : {"DF80", "DV80", "IF128", "IV254", "PROG"}) {
        std::vector<uint8_t> before = ReadBytes(dir + "/src/" + name);
        std::vector<uint8_t> after = ReadBytes(dir + "/back/" + name);
        EXPECT_EQ(after, before) << name;
    }
    // Copying back again without an answer leaves the files as they are.
    CliRun again = Cli("cp --no " + image + "/DF80 " + dir + "/back");
    EXPECT_EQ(again.status, 0) << again.out;
}

// Without a terminal and without --yes, --no or --all a file that exists is kept, the
// others of the batch are copied, and the status tells that not all was done.
TEST_F(CliCopy, AnOverwriteNobodyAnsweredKeepsTheFileAndFailsTheStatus)
{
    Write("OLD", 0x00, 128, 2);
    Write("NEW", 0x00, 128, 3);
    ASSERT_EQ(Cli("mkdsk " + dir + " KEEP --preset 0").status, 0);
    const std::string image = dir + "/KEEP.dsk";
    ASSERT_EQ(Cli("cp " + dir + "/src/OLD " + image).status, 0);
    const std::vector<uint8_t> before = ReadBytes(image);
    Write("OLD", 0x00, 128, 5); // a different file under the same name
    CliRun run = Cli("cp " + dir + "/src/OLD " + dir + "/src/NEW " + image);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find("<OLD> allready exist. Overwrite?: no terminal to ask, answered no"),
              std::string::npos)
        << run.out;
    CliRun list = Cli("ls " + image);
    EXPECT_NE(list.out.find("NEW"), std::string::npos) << list.out;
    EXPECT_NE(ReadBytes(image), before); // NEW went in
    CliRun kept = Cli("cp --no " + dir + "/src/OLD " + image);
    EXPECT_EQ(kept.status, 0) << kept.out;
    EXPECT_EQ(kept.out.find("no terminal"), std::string::npos) << kept.out;
}

TEST_F(CliCopy, FullDiskReportsAndKeepsEarlierFiles)
{
    Write("FIRST", 0x00, 128, 10);
    Write("HUGE", 0x00, 128, 700);
    ASSERT_EQ(Cli("mkdsk " + dir + " SMALL --preset 0").status, 0);
    std::string image = dir + "/SMALL.dsk";
    CliRun run = Cli("cp " + dir + "/src/FIRST " + dir + "/src/HUGE " + image);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("DSK is full"), std::string::npos) << run.out;
    CliRun list = Cli("ls " + image);
    EXPECT_EQ(list.status, 0) << list.out;
    EXPECT_NE(list.out.find("FIRST"), std::string::npos) << list.out;
    EXPECT_EQ(list.out.find("HUGE"), std::string::npos) << list.out;
    CliRun back = Cli("cp " + image + "/FIRST " + dir + "/back");
    ASSERT_EQ(back.status, 0) << back.out;
    std::vector<uint8_t> before = ReadBytes(dir + "/src/FIRST");
    std::vector<uint8_t> after = ReadBytes(dir + "/back/FIRST");
    EXPECT_EQ(after, before);
}

TEST_F(CliCopy, ExtractMakesNumberedFolders)
{
    Write("ONE", 0x00, 80, 1);
    ASSERT_EQ(Cli("mkdsk " + dir + " DISK --preset 0").status, 0);
    ASSERT_EQ(Cli("cp " + dir + "/src/ONE " + dir + "/DISK.dsk").status, 0);
    ASSERT_EQ(Cli("extract " + dir + "/DISK.dsk " + dir + "/back").status, 0);
    CliRun second = Cli("extract " + dir + "/DISK.dsk " + dir + "/back");
    ASSERT_EQ(second.status, 0) << second.out;
    EXPECT_TRUE(fs::exists(dir + "/back/DISK/ONE"));
    EXPECT_TRUE(fs::exists(dir + "/back/DISK(1)/ONE"));
    CliRun refused = Cli("arc2dsk " + dir + "/src/ONE " + dir + "/DISK.dsk");
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.out.find("Can only convert ARC files to a directory"), std::string::npos);
}

} // namespace
