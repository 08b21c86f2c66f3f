// kestrel-cli view and sectors, run as a program on files built in code.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/tests/cli_test_support.h"
#include "tests/support/basic_builder.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"

namespace
{

namespace fs = std::filesystem;
using kestrel::testing::CliRun;
using kestrel::testing::RunCli;
using kestrel::testing::TokenLine;

class CliView : public ::testing::Test
{
protected:
    void SetUp() override { m_dir = kestrel::testing::MakeScratchFolder("kestrel-view"); }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string m_dir;
};

TEST_F(CliView, PrintsCaptionThenListingOfEachForm)
{
    const std::vector<kestrel::testing::BasicLine> lines = {
        {10, TokenLine().Keyword(0x9C).Quoted("HI").Bytes()},
        {20, TokenLine().Keyword(0x86).LineRef(10).Bytes()}};
    namespace t = kestrel::testing;
    ASSERT_TRUE(
        t::WriteFileBytes(m_dir + "/P", t::ProgramTiFile(t::BuildProgramFile(lines)).Bytes()));
    ASSERT_TRUE(
        t::WriteFileBytes(m_dir + "/L", t::LongProgramTiFile(t::BuildLongProgram(lines)).Bytes()));
    ASSERT_TRUE(t::WriteFileBytes(m_dir + "/M", t::MergeTiFile(t::BuildMergeFile(lines)).Bytes()));
    for (const char *name : {"P", "L", "M"}) {
        const CliRun run = RunCli("view '" + m_dir + "/" + name + "'");
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out,
                  "Kestrel - " + m_dir + "->" + name + "\n10 PRINT \"HI\"\r\n20 GOTO 10\r\n");
    }
    // The same files inside a floppy image list alike, under the image's caption.
    kestrel::testing::RecordingUi ui;
    const std::string image = m_dir + "/work.dsk";
    ASSERT_EQ(
        kestrel::WriteNewImage(*kestrel::FindPreset(kestrel::kDefaultPreset), "WORK", image, ui),
        0);
    kestrel::FloppyTarget target;
    target.imagePath = image;
    kestrel::AddFileState state;
    const auto program = t::ProgramTiFile(t::BuildProgramFile(lines));
    const auto merge = t::MergeTiFile(t::BuildMergeFile(lines));
    ASSERT_EQ(kestrel::AddFileToImage(target, program.Entry("P"), m_dir + "/P", state, ui),
              kestrel::kAddDone);
    ASSERT_EQ(kestrel::AddFileToImage(target, merge.Entry("M"), m_dir + "/M", state, ui),
              kestrel::kAddDone);
    for (const char *name : {"P", "M"}) {
        const CliRun run = RunCli("view '" + image + "/" + name + "'");
        EXPECT_EQ(run.status, 0) << run.out;
        EXPECT_EQ(run.out,
                  "Kestrel - " + image + "->" + name + "\n10 PRINT \"HI\"\r\n20 GOTO 10\r\n");
    }
    const CliRun hex = RunCli("view --hex '" + m_dir + "/P'");
    EXPECT_NE(hex.out.find("\n[File header information]\r\n"), std::string::npos);
    const CliRun missing = RunCli("view '" + m_dir + "/NOPE'");
    EXPECT_EQ(missing.status, 1);
    // A name missing inside an image is told by its catalog message.
    const CliRun missingInside = RunCli("view '" + image + "/NOPE'");
    EXPECT_EQ(missingInside.status, 1);
    EXPECT_NE(missingInside.out.find("File <NOPE> doesn't exist"), std::string::npos)
        << missingInside.out;
}

TEST_F(CliView, SectorsPrintsTheRangeAndReportsAnEarlyEnd)
{
    ASSERT_TRUE(kestrel::testing::WriteFileBytes(m_dir + "/img", std::vector<uint8_t>(512, 0x41)));
    const CliRun run = RunCli("sectors '" + m_dir + "/img' 1 2");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ERROR: Can't read sector <2> from <" + m_dir + "/img>"),
              std::string::npos);
    EXPECT_NE(run.out.find(m_dir + "/img: FirstSector: >0001  NumberOfSectors: >0002\n"
                                   "00000000 41 41"),
              std::string::npos);
}

} // namespace
