// kestrel-cli mkdsk, put, get, ren, rm, pc99-to-dsk and layout, run as a
// program: exit codes and the files they leave.
#include <cstdio>
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

class CliFloppy : public ::testing::Test
{
protected:
    void SetUp() override { dir = MakeScratchFolder("kestrel-floppy"); }
    void TearDown() override { fs::remove_all(dir); }
    std::string dir;
};

TEST_F(CliFloppy, PutGetRenRmThroughTheProgram)
{
    ASSERT_EQ(RunCli("mkdsk " + dir + " WORK --preset 2").status, 0);
    std::string image = dir + "/WORK.dsk";
    TiFileSpec fileSpec;
    fileSpec.tiName = "HELLO";
    fileSpec.sectors = 7;
    std::string source = dir + "/hello.v9t9";
    ASSERT_TRUE(WriteBytes(source, MakeTiFileBytes(fileSpec)));

    ASSERT_EQ(RunCli("put " + image + " " + source).status, 0);
    EXPECT_EQ(RunCli("put " + image + " " + source).status, 1) << "refused without a terminal";
    EXPECT_EQ(RunCli("put --yes " + image + " " + source).status, 0);
    ASSERT_EQ(RunCli("get " + image + "/HELLO " + dir + "/back").status, 0);
    EXPECT_EQ(ReadBytes(dir + "/back"), ReadBytes(source));

    ASSERT_EQ(RunCli("ren " + image + "/HELLO WORLD").status, 0);
    CliRun missing = RunCli("get " + image + "/HELLO " + dir + "/x");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("ERROR: "), std::string::npos);
    ASSERT_EQ(RunCli("rm " + image + "/WORLD").status, 0);
    EXPECT_EQ(RunCli("rm " + image + "/WORLD").status, 1);
}

TEST_F(CliFloppy, Pc99ConversionAndLayout)
{
    ASSERT_EQ(RunCli("mkdsk " + dir + " TRACKS").status, 0);
    std::vector<uint8_t> dsk = ReadBytes(dir + "/TRACKS.dsk");
    std::string pc99 = dir + "/t.pc99";
    ASSERT_TRUE(WriteBytes(pc99, MakePc99Image(dsk, 10, 40, 2)));
    CliRun same = RunCli("pc99-to-dsk " + pc99 + " " + pc99);
    EXPECT_EQ(same.status, 1);
    ASSERT_EQ(RunCli("pc99-to-dsk " + pc99 + " " + dir + "/t.dsk").status, 0);
    EXPECT_EQ(ReadBytes(dir + "/t.dsk"), dsk);
    CliRun layout = RunCli("layout " + pc99);
    EXPECT_EQ(layout.status, 0);
    EXPECT_NE(layout.out.find("\t 1   39     00 01 02 03 04 05 06 07 08"), std::string::npos);
}

} // namespace
