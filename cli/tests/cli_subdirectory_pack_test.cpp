// kestrel-cli mkdir, rm and ren on floppy subdirectories, and pack, run as a program.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tests/cli_test_support.h"
#include "tests/support/floppy_builder.h"

namespace
{

namespace fs = std::filesystem;
using namespace kestrel::testing;

class CliSubdirectoryPack : public ::testing::Test
{
protected:
    void SetUp() override { dir = MakeScratchFolder("kestrel-subpack"); }
    void TearDown() override { fs::remove_all(dir); }
    std::string WriteTiFile(const std::string &name, uint16_t sectors, uint8_t seed)
    {
        TiFileSpec fileSpec;
        fileSpec.tiName = name;
        fileSpec.sectors = sectors;
        fileSpec.seed = seed;
        std::string path = dir + "/" + name;
        EXPECT_TRUE(WriteBytes(path, MakeTiFileBytes(fileSpec)));
        return path;
    }
    std::string dir;
};

TEST_F(CliSubdirectoryPack, ThreeSubdirectoriesMadeFilledListedAndChecked)
{
    ASSERT_EQ(RunCli("mkdsk " + dir + " WORK --preset 1").status, 0);
    const std::string image = dir + "/WORK.dsk";
    const char *names[] = {"ALPHA", "beta", "GAMMA"};
    for (const char *name : names) {
        ASSERT_EQ(RunCli("mkdir " + image + " " + name).status, 0) << name;
    }
    CliRun fourth = RunCli("mkdir " + image + " DELTA");
    EXPECT_EQ(fourth.status, 1);
    EXPECT_NE(fourth.out.find("ERROR: No free directory slot on <"), std::string::npos);
    EXPECT_EQ(RunCli("mkdir " + image + "/ALPHA INNER").status, 1);

    const std::string file = WriteTiFile("DATA", 6, 3);
    for (const char *sub : {"ALPHA", "BETA", "GAMMA"}) {
        ASSERT_EQ(RunCli("put " + image + "/" + sub + " " + file).status, 0) << sub;
    }
    CliRun root = RunCli("ls " + image);
    for (const char *sub : {"ALPHA", "BETA", "GAMMA"}) {
        EXPECT_NE(root.out.find(std::string(sub) + " "), std::string::npos) << root.out;
        CliRun inside = RunCli("ls " + image + "/" + sub);
        EXPECT_EQ(inside.status, 0);
        EXPECT_NE(inside.out.find("DATA"), std::string::npos) << inside.out;
    }
    CliRun check = RunCli("check " + image);
    EXPECT_EQ(check.status, 0);
    EXPECT_NE(check.out.find("3 files, 3 subdirectories"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find(": clean"), std::string::npos) << check.out;

    CliRun notEmpty = RunCli("rm " + image + "/BETA");
    EXPECT_EQ(notEmpty.status, 1);
    EXPECT_NE(notEmpty.out.find("Directory <BETA> is not empty"), std::string::npos);
    ASSERT_EQ(RunCli("rm " + image + "/BETA/DATA").status, 0);
    ASSERT_EQ(RunCli("rm " + image + "/BETA").status, 0);
    ASSERT_EQ(RunCli("ren " + image + "/GAMMA OMEGA").status, 0);
    ASSERT_EQ(RunCli("get " + image + "/OMEGA/DATA " + dir + "/back").status, 0);
    EXPECT_EQ(ReadBytes(dir + "/back"), ReadBytes(file));
    check = RunCli("check " + image);
    EXPECT_NE(check.out.find("2 files, 2 subdirectories"), std::string::npos) << check.out;
    EXPECT_NE(check.out.find(": clean"), std::string::npos) << check.out;
}

TEST_F(CliSubdirectoryPack, PackFromFoldersAndContainersAndGetBack)
{
    const std::string a = WriteTiFile("AAA", 9, 1);
    const std::string b = WriteTiFile("BBB", 0, 2);
    ASSERT_EQ(RunCli("pack " + dir + "/both.ark " + a + " " + b).status, 0);
    CliRun listed = RunCli("ls " + dir + "/both.ark");
    EXPECT_NE(listed.out.find("AAA"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("BBB"), std::string::npos) << listed.out;

    ASSERT_EQ(RunCli("mkdsk " + dir + " DISK --preset 2").status, 0);
    const std::string image = dir + "/DISK.dsk";
    // Members taken from inside the first archive, packed plain into an image.
    ASSERT_EQ(RunCli("pack --plain " + image + "/FLAT " + dir + "/both.ark/AAA " + b).status, 0);
    ASSERT_EQ(RunCli("get " + image + "/FLAT/AAA " + dir + "/a.back").status, 0);
    EXPECT_EQ(ReadBytes(dir + "/a.back"), ReadBytes(a));
    EXPECT_EQ(RunCli("check " + image).status, 0);

    CliRun usage = RunCli("pack " + dir + "/x.ark");
    EXPECT_EQ(usage.status, 1);
    CliRun intoArchive = RunCli("pack " + dir + "/both.ark/NEW " + a);
    EXPECT_EQ(intoArchive.status, 1);
    EXPECT_NE(intoArchive.out.find("Can only pack files to a directory or a disk image"),
              std::string::npos)
        << intoArchive.out;
}

// Archives made by TI software beside their members on the same disk: packed
// again from those members, the archive's sectors come out byte for byte.
TEST_F(CliSubdirectoryPack, RepackedTiMadeArchivesAreByteIdentical)
{
    const fs::path disks = fs::path(KESTREL_REALDATA) / "xdt99" / "disk";
    if (!fs::is_directory(disks)) {
        GTEST_SKIP() << "no real data at " << disks;
    }
    struct Case {
        const char *disk;
        const char *archive;
        std::vector<std::string> members;
    };
    const Case cases[] = {
        {"ark1.dsk", "FILE1_ARK", {"ARKFILE1T"}},
        {"ark1.dsk", "FILE2_ARK", {"ARKFILE2T"}},
        {"ark1.dsk", "FILE3_ARK", {"ARKFILE3B"}},
        {"ark1.dsk", "FILE4_ARK", {"ARKFILE4B"}},
        {"ark1.dsk", "FILE5_ARK", {"ARKFILE5T"}},
        {"ark2.dsk", "ALL_ARK", {"ARKFILE1T", "ARKFILE2T", "ARKFILE3B", "ARKFILE4B", "ARKFILE5T"}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.disk) + " " + c.archive);
        const std::string disk = dir + "/" + c.disk;
        fs::copy_file(disks / c.disk, disk, fs::copy_options::overwrite_existing);
        std::string members;
        for (const std::string &member : c.members) {
            members += " " + disk + "/" + member;
        }
        const std::string repacked = dir + "/repacked";
        fs::remove(repacked);
        ASSERT_EQ(RunCli("pack " + repacked + members).status, 0);
        ASSERT_EQ(
            RunCli("get --tifiles " + disk + "/" + c.archive + " " + dir + "/original").status, 0);
        std::vector<uint8_t> mine = ReadBytes(repacked);
        std::vector<uint8_t> theirs = ReadBytes(dir + "/original");
        ASSERT_EQ(mine.size(), theirs.size());
        EXPECT_TRUE(std::equal(mine.begin() + 128, mine.end(), theirs.begin() + 128));
    }
}

TEST_F(CliSubdirectoryPack, PackOntoAnExistingFileExitsAsPutDoes)
{
    const std::string a = WriteTiFile("AAA", 3, 1);
    const std::string b = WriteTiFile("BBB", 5, 2);
    const std::string ark = dir + "/one.ark";
    ASSERT_EQ(RunCli("pack " + ark + " " + a).status, 0);
    const auto before = ReadBytes(ark);

    // Nobody to ask and no answer given: refused, nothing written, a failure.
    EXPECT_EQ(RunCli("pack " + ark + " " + b).status, 1);
    EXPECT_EQ(ReadBytes(ark), before);
    EXPECT_EQ(RunCli("pack --no " + ark + " " + b).status, 0);
    EXPECT_EQ(ReadBytes(ark), before);
    EXPECT_EQ(RunCli("pack --yes " + ark + " " + b).status, 0);
    EXPECT_NE(ReadBytes(ark), before);

    // The same inside an image, side by side with put.
    ASSERT_EQ(RunCli("mkdsk " + dir + " DISK --preset 2").status, 0);
    const std::string image = dir + "/DISK.dsk";
    ASSERT_EQ(RunCli("pack " + image + "/PACKED " + a).status, 0);
    ASSERT_EQ(RunCli("put " + image + " " + a).status, 0);
    const auto disk = ReadBytes(image);
    EXPECT_EQ(RunCli("put " + image + " " + a).status, 1);
    EXPECT_EQ(RunCli("pack " + image + "/PACKED " + b).status, 1);
    EXPECT_EQ(ReadBytes(image), disk);
}

} // namespace
