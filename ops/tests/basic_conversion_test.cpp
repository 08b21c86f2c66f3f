#include <string>

#include <gtest/gtest.h>

#include "conversion_test_support.h"
#include "ops/basic_conversion.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"
#include "viewers/tokenizer_loader.h"

namespace kestrel
{
namespace
{

using testing::Bytes;
using testing::ReadBytes;
using testing::RecordingUi;
using testing::ScratchDir;

TEST(TokenizerError, EveryCodeHasItsText)
{
    const std::string log = "/d/P.log", in = "/s/p.txt", out = "/d/P";
    EXPECT_EQ(TokenizerErrorText(log, in, 10, out, true),
              "Error 10: Could not open XB input file\n[/s/p.txt]");
    EXPECT_EQ(TokenizerErrorText(log, in, 11, out, true),
              "Error 11: Error reading XB input file\n[/s/p.txt]");
    EXPECT_EQ(TokenizerErrorText(log, in, 20, out, true),
              "Error 20: Error converting file\nSee log file [/d/P.log]");
    EXPECT_EQ(TokenizerErrorText(log, in, 20, out, false),
              "Error 20: Error converting file\nSee log file [no log file created]");
    EXPECT_EQ(TokenizerErrorText(log, in, 30, out, true),
              "Error 30: Error writing MERGE file\n[/d/P]");
    EXPECT_EQ(TokenizerErrorText(log, in, 40, out, true),
              "Error 40: Error writing PROGRAM file\n[/d/P]");
    EXPECT_EQ(TokenizerErrorText(log, in, 50, out, true),
              "Error 50: Could not open log file\n[/d/P.log]");
    EXPECT_EQ(TokenizerErrorText(log, in, 7, out, true), "Error 07: Unknown error");
}

TEST(BasicConversionNames, DefaultsAndChecks)
{
    EXPECT_EQ(BasicNameProblem(""), "Please enter a filename");
    EXPECT_EQ(BasicNameProblem("A/B"), "Invalid filename <A/B>");
    EXPECT_EQ(BasicNameProblem(".."), "Invalid filename <..>");
    EXPECT_EQ(BasicNameProblem("GAME"), "");
    EXPECT_EQ(DefaultBasicName("game.txt"), "GAME");
}

class BasicConversionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramSettings() = Settings{};
        ProgramSettings().dllDirectory = KESTREL_BIN_DIR;
        RegisterLocationListers();
        if (!LoadTokenizerLibrary(ui)) {
            GTEST_SKIP() << "tokenizer library not built";
        }
        std::filesystem::create_directory(dir.File("src"));
        std::filesystem::create_directory(dir.File("out"));
        source.kind = kLocPcDirectory;
        source.path = dir.File("src");
        destination.kind = kLocPcDirectory;
        destination.path = dir.File("out");
    }

    CatalogEntry Text(const std::string &name, const std::string &text)
    {
        testing::WriteText(dir.File("src/" + name), text);
        CatalogEntry e;
        e.pcName = name;
        e.ti.kind = kKindDos;
        return e;
    }

    size_t OutCount() const
    {
        return static_cast<size_t>(
            std::distance(std::filesystem::directory_iterator(dir.File("out")),
                          std::filesystem::directory_iterator()));
    }

    ScratchDir dir;
    Location source;
    Location destination;
    RecordingUi ui;
    BasicConversionBatch batch;
};

TEST_F(BasicConversionTest, MergeWithLogWritesTheNameAsGivenAndItsLog)
{
    CatalogEntry entry = Text("prog.txt", "10 PRINT \"HI\"\n20 END\n");
    BasicConversionOptions options;
    options.program = false;
    options.log = true;
    ASSERT_EQ(ConvertTextToBasic(ui, destination, source, entry, "MYPROG", options, batch), 0)
        << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/MYPROG")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/MYPROG.log")));
    EXPECT_EQ(OutCount(), 2u);
    std::vector<uint8_t> merge = ReadBytes(dir.File("out/MYPROG"));
    ASSERT_GE(merge.size(), kHeaderSize);
    TiFileDescriptor d;
    ASSERT_TRUE(DecodeHeader(merge.data(), "MYPROG", false, d));
    EXPECT_EQ(d.kind, kKindDisVar);
    EXPECT_EQ(d.recordLength, 163);
    EXPECT_EQ(ui.progressMaximum, 10u);
    EXPECT_EQ(ui.progressPosition, 10u);
}

TEST_F(BasicConversionTest, ConversionErrorWithoutLogSaysSoAndKeepsTheOldOutput)
{
    testing::WriteText(dir.File("out/BAD"), "old program");
    CatalogEntry entry = Text("bad.txt", "10 GOTO 65536\n");
    ui.answers = {Answer::Yes};
    EXPECT_EQ(ConvertTextToBasic(ui, destination, source, entry, "BAD", {}, batch), 2);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].text, "TI/EX Basic file <BAD> allready exist. Overwrite?");
    EXPECT_EQ(ui.boxes[1].kind, "kestrel-error");
    EXPECT_EQ(ui.boxes[1].text,
              "Error 20: Error converting file\nSee log file [no log file created]");
    EXPECT_EQ(ui.LastMessage(), 20);
    EXPECT_EQ(ReadBytes(dir.File("out/BAD")), Bytes("old program"));
    EXPECT_EQ(OutCount(), 1u);
}

TEST_F(BasicConversionTest, AllReplacesTheRestOfTheBatchWithoutAsking)
{
    for (const char *name : {"A", "B", "C"}) {
        testing::WriteText(dir.File(std::string("out/") + name), "old");
    }
    ui.answers = {Answer::All};
    for (const char *name : {"A", "B", "C"}) {
        CatalogEntry entry = Text(std::string(name) + ".txt", "10 END\n");
        ASSERT_EQ(ConvertTextToBasic(ui, destination, source, entry, name, {}, batch), 0);
        EXPECT_NE(ReadBytes(dir.File(std::string("out/") + name)), Bytes("old"));
    }
    EXPECT_EQ(ui.boxes.size(), 1u);
    // No and Cancel on a fresh batch.
    BasicConversionBatch fresh;
    ui.answers = {Answer::No, Answer::Cancel};
    std::vector<uint8_t> before = ReadBytes(dir.File("out/A"));
    CatalogEntry entry = Text("A.txt", "10 PRINT 1\n");
    EXPECT_EQ(ConvertTextToBasic(ui, destination, source, entry, "A", {}, fresh), 0);
    EXPECT_EQ(ConvertTextToBasic(ui, destination, source, entry, "A", {}, fresh), 2);
    EXPECT_EQ(ReadBytes(dir.File("out/A")), before);
}

TEST_F(BasicConversionTest, SamePathAndMissingInput)
{
    CatalogEntry entry = Text("SAME", "10 END\n");
    EXPECT_EQ(ConvertTextToBasic(ui, source, source, entry, "SAME", {}, batch), 2);
    EXPECT_EQ(ui.Errors().back(), "Can't copy files to itself");
    CatalogEntry missing;
    missing.pcName = "none.txt";
    EXPECT_EQ(ConvertTextToBasic(ui, destination, source, missing, "NONE", {}, batch), 2);
    EXPECT_EQ(ui.Errors().back(), "Can't open file for read <" + dir.File("src/none.txt") + ">");
    Location archive;
    archive.kind = kLocArchive;
    EXPECT_FALSE(CheckBasicDestination(ui, archive));
    EXPECT_EQ(ui.Errors().back(), "Can only convert TI-files to PC-files");
}

TEST_F(BasicConversionTest, IntoADiskImageWithTheLogBesideIt)
{
    const FloppyPreset *preset = FindPreset(kDefaultPreset);
    ASSERT_NE(preset, nullptr);
    ASSERT_EQ(WriteNewImage(*preset, "XB", dir.File("out/xb.dsk"), ui), 0);
    Location image;
    image.path = dir.File("out/xb.dsk");
    ASSERT_TRUE(OpenLocation(image, ui));
    CatalogEntry entry = Text("hello.txt", "10 PRINT \"HELLO\"\n20 END\n");
    BasicConversionOptions options;
    options.log = true;
    options.verbose = true;
    ASSERT_EQ(ConvertTextToBasic(ui, image, source, entry, "HELLO", options, batch), 0)
        << (ui.boxes.empty() ? "" : ui.boxes[0].text);
    EXPECT_TRUE(std::filesystem::exists(dir.File("out/HELLO.log")));
    ASSERT_TRUE(OpenLocation(image, ui));
    const CatalogEntry *added = FindEntryByName(image, "HELLO");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->ti.kind, kKindProgram);
}

} // namespace
} // namespace kestrel
