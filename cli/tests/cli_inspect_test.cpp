// kestrel-cli inspect: structure windows of floppy and partitioned images as text.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cli/tests/cli_test_support.h"
#include "tests/support/hd_image_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel::testing
{
namespace
{

class CliInspect : public ::testing::Test
{
protected:
    void SetUp() override { m_dir = MakeScratchFolder("kestrel-inspect"); }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string PathOf(const std::string &name) const { return m_dir + "/" + name; }
    std::string m_dir;
};

TEST_F(CliInspect, FloppyVibAndRootIndex)
{
    RecordingUi ui;
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "CLIDISK", PathOf("disk.dsk"), ui), 0);
    CliRun run = RunCli("inspect " + PathOf("disk.dsk"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "FloppyDisk VIB - Sector >0000");
    EXPECT_NE(run.out.find("  0  Volume name                          CLIDISK   \n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(" 30  Directory 1 file index               >0000  (>>)\n"),
              std::string::npos)
        << run.out;
    run = RunCli("inspect " + PathOf("disk.dsk") + " --kind fdir");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "FloppyDisk FDIR - Sector >0001");
    EXPECT_NE(run.out.find("      254\t>0000\n"), std::string::npos) << run.out;

    run = RunCli("inspect " + PathOf("disk.dsk") + " --kind pti");
    EXPECT_EQ(run.status, 1);
    run = RunCli("inspect " + PathOf("disk.dsk") + " --kind fdr");
    EXPECT_EQ(run.status, 1); // which FDR is for --au to say
}

TEST_F(CliInspect, PartitionedImageTableAndAPartitionsIndex)
{
    HdVolumeLayout one;
    one.sectors = 0x10000; // 2 sectors per AU
    one.label = "PART1";
    ASSERT_TRUE(WriteHdImageFile(PathOf("parts.img"), MakePartitionedHdImage({one})));
    CliRun run = RunCli("inspect " + PathOf("parts.img"));
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "HardDisk PTI - Sector >0000");
    EXPECT_NE(run.out.find(" 24  Partition 1 offset                   >00000001  >>\n"),
              std::string::npos)
        << run.out;
    run = RunCli("inspect " + PathOf("parts.img") + " --partition 1 --kind fdir");
    ASSERT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "HardDisk FDIR - AU >0020 - Sector >0042");

    run = RunCli("inspect " + PathOf("parts.img") + " --partition 2");
    EXPECT_EQ(run.status, 1);
}

} // namespace
} // namespace kestrel::testing
