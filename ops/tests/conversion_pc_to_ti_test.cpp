#include <algorithm>
#include <string>

#include <gtest/gtest.h>

#include "conversion_test_support.h"
#include "ops/line_reader.h"
#include "ops/pc_to_ti.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"

namespace kestrel
{
namespace
{

using testing::Bytes;
using testing::ReadBytes;
using testing::RecordingUi;
using testing::ScratchDir;

std::vector<TextLine> ReadAll(const std::string &text, int tabWidth)
{
    LineReader reader(reinterpret_cast<const uint8_t *>(text.data()), text.size(), tabWidth);
    std::vector<TextLine> lines;
    TextLine line;
    while (reader.Next(line)) {
        lines.push_back(line);
    }
    return lines;
}

TEST(LineReader, LineEndPairsCountOnceAndLoneEndsEachEndALine)
{
    auto lines = ReadAll("A\r\nB\n\rC\r\rD\n\nE", 0);
    std::vector<std::string> texts;
    for (const auto &l : lines) {
        texts.push_back(l.text);
    }
    EXPECT_EQ(texts, (std::vector<std::string>{"A", "B", "C", "", "D", "", "E"}));
    EXPECT_EQ(lines[0].lineEnd, '\r');
    EXPECT_EQ(lines[1].lineEnd, '\n');
    EXPECT_EQ(lines.back().lineEnd, 0);
    EXPECT_TRUE(ReadAll("", 8).empty());
    EXPECT_EQ(ReadAll("X\r\n", 8).size(), 1u);
}

TEST(LineReader, TabsReachTheNextMultipleFromTheLineStart)
{
    auto lines = ReadAll("\tA\tB\nab\tc", 4);
    EXPECT_EQ(lines[0].text, "    A   B");
    EXPECT_EQ(lines[1].text, "ab  c");
    EXPECT_EQ(ReadAll("\tA", 0)[0].text, "\tA");
}

TEST(LineReader, LongLinesContinueOnTheNextLine)
{
    auto lines = ReadAll(std::string(300, 'x') + "\n" + std::string(255, 'y') + "\nz", 0);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text.size(), 255u);
    EXPECT_EQ(lines[0].lineEnd, 0);
    EXPECT_EQ(lines[1].text.size(), 45u);
    // A line end right behind a full line still belongs to it.
    EXPECT_EQ(lines[2].text.size(), 255u);
    EXPECT_EQ(lines[2].lineEnd, '\n');
    EXPECT_EQ(lines[3].text, "z");
}

TEST(LineReader, MethodsShapeTheLineEnd)
{
    TextLine line{"AB", '\n'};
    EXPECT_EQ(ApplyLineEndMethod(line, kPcTiRemoveLineEnd), "AB");
    EXPECT_EQ(ApplyLineEndMethod(line, kPcTiLineEndToCr), "AB\r");
    EXPECT_EQ(ApplyLineEndMethod(line, kPcTiLineEndToLf), "AB\n");
    TextLine last{"AB", 0};
    EXPECT_EQ(ApplyLineEndMethod(last, kPcTiLineEndToCr), "AB\r");
    TextLine zero{std::string("AB\0CD", 5), '\r'};
    EXPECT_EQ(ApplyLineEndMethod(zero, kPcTiLineEndToCr), "AB");
}

PcToTiOptions Options(uint8_t type, int length, int method, int tabs = 8)
{
    PcToTiOptions o;
    o.name = "OUT";
    o.typeFlags = type;
    o.recordLength = length;
    o.method = method;
    o.tabWidth = tabs;
    return o;
}

TiFileImage Encode(const std::string &text, const PcToTiOptions &o)
{
    TiFileImage image;
    EXPECT_TRUE(EncodeTiFile(reinterpret_cast<const uint8_t *>(text.data()), text.size(), o, "OUT",
                             false, image));
    return image;
}

TEST(PcToTiWriter, TwoLinesToDisVar80WithMethod1)
{
    TiFileImage image = Encode("AB\r\nCDE", Options(0x80, 80, kPcTiRemoveLineEnd));
    ASSERT_EQ(image.data.size(), 256u);
    const std::vector<uint8_t> expect = {2, 'A', 'B', 3, 'C', 'D', 'E', 0xFF};
    EXPECT_TRUE(std::equal(expect.begin(), expect.end(), image.data.begin()));
    EXPECT_TRUE(
        std::all_of(image.data.begin() + 8, image.data.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(image.descriptor.eofOffset, 7);
    EXPECT_EQ(image.descriptor.sectors, 1);
    EXPECT_EQ(image.descriptor.level3Count, 1);
    EXPECT_EQ(image.descriptor.recordsPerSector, 3);
    // The V9T9 header as written: name, flags, counts, little-endian level 3.
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(image.header), 10), "OUT       ");
    EXPECT_EQ(image.header[12], 0x80);
    EXPECT_EQ(image.header[13], 3);
    EXPECT_EQ(image.header[15], 1);
    EXPECT_EQ(image.header[16], 7);
    EXPECT_EQ(image.header[17], 80);
    EXPECT_EQ(image.header[18], 1);
    EXPECT_EQ(image.header[19], 0);
}

TEST(PcToTiWriter, LongLineBecomesFullRecordsAndARest)
{
    TiFileImage image = Encode(std::string(100, 'q'), Options(0x80, 80, kPcTiRemoveLineEnd));
    EXPECT_EQ(image.data[0], 80);
    EXPECT_EQ(image.data[81], 20);
    EXPECT_EQ(image.data[102], 0xFF);
    EXPECT_EQ(image.descriptor.eofOffset, 102);
}

TEST(PcToTiWriter, EmptyLinesAreEmptyVariableRecordsAndNoFixedRecords)
{
    TiFileImage var = Encode("A\n\nB", Options(0x80, 80, kPcTiRemoveLineEnd));
    const std::vector<uint8_t> expect = {1, 'A', 0, 1, 'B', 0xFF};
    EXPECT_TRUE(std::equal(expect.begin(), expect.end(), var.data.begin()));
    TiFileImage fix = Encode("A\n\nB", Options(0x00, 80, kPcTiRemoveLineEnd));
    EXPECT_EQ(fix.descriptor.level3Count, 2);
    EXPECT_EQ(fix.data[0], 'A');
    EXPECT_EQ(fix.data[80], 'B');
}

TEST(PcToTiWriter, FiveLinesOfDisFix80)
{
    TiFileImage image = Encode("1\n2\n3\n4\n5\n", Options(0x00, 80, kPcTiRemoveLineEnd));
    EXPECT_EQ(image.descriptor.recordsPerSector, 3);
    EXPECT_EQ(image.descriptor.sectors, 2);
    EXPECT_EQ(image.descriptor.eofOffset, 160);
    EXPECT_EQ(image.descriptor.level3Count, 5);
    EXPECT_EQ(image.data[256 + 80], '5');
    EXPECT_EQ(image.data[256 + 81], 0);
    // A full last sector has end-of-file offset 0.
    EXPECT_EQ(Encode("1\n2\n3", Options(0x00, 80, 1)).descriptor.eofOffset, 0);
}

TEST(PcToTiWriter, RecordsThatDoNotFitTheMarkerOpenANewSector)
{
    std::string text;
    for (int i = 0; i < 4; ++i) {
        text += std::string(80, 'a' + i) + "\n";
    }
    TiFileImage image = Encode(text, Options(0x80, 80, kPcTiRemoveLineEnd));
    ASSERT_EQ(image.descriptor.sectors, 2);
    EXPECT_EQ(image.data[243], 0xFF);
    EXPECT_EQ(image.data[256], 80);
    EXPECT_EQ(image.data[257], 'd');
    EXPECT_EQ(image.descriptor.eofOffset, 81);
    EXPECT_EQ(image.descriptor.level3Count, 2);
}

TEST(PcToTiWriter, RecordOf255BytesFillsASectorWithoutHanging)
{
    TiFileImage image = Encode(std::string(510, 'z'), Options(0x82, 255, kPcTiBinary));
    EXPECT_EQ(image.descriptor.recordsPerSector, 1);
    EXPECT_EQ(image.descriptor.sectors, 2);
    EXPECT_EQ(image.data[0], 255);
    EXPECT_EQ(image.data[256], 255);
}

TEST(PcToTiWriter, MethodsAndBinaryBlocks)
{
    TiFileImage cr = Encode("AB\nC", Options(0x80, 80, kPcTiLineEndToCr));
    const std::vector<uint8_t> expect = {3, 'A', 'B', '\r', 2, 'C', '\r', 0xFF};
    EXPECT_TRUE(std::equal(expect.begin(), expect.end(), cr.data.begin()));
    // Binary: the file in raw blocks of the record length, line ends kept.
    TiFileImage bin = Encode("AB\nCD", Options(0x80, 2, kPcTiBinary));
    const std::vector<uint8_t> raw = {2, 'A', 'B', 2, '\n', 'C', 1, 'D', 0xFF};
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), bin.data.begin()));
    // Fixed binary: raw 256-byte blocks cut into records.
    TiFileImage fix = Encode(std::string(300, 'r'), Options(0x02, 128, kPcTiBinary));
    EXPECT_EQ(fix.descriptor.level3Count, 3);
    EXPECT_EQ(fix.descriptor.sectors, 2);
    EXPECT_EQ(fix.data[256 + 43], 'r');
    EXPECT_EQ(fix.data[256 + 44], 0);
}

TEST(PcToTiWriter, ProgramSizesAndDataHeader)
{
    std::string data(1000, '\x5A');
    PcToTiOptions o = Options(0x01, 0, kPcTiBinary);
    TiFileImage image = Encode(data, o);
    EXPECT_EQ(image.descriptor.sectors, 4);
    EXPECT_EQ(image.descriptor.eofOffset, 232);
    EXPECT_EQ(image.descriptor.recordsPerSector, 0);
    EXPECT_EQ(image.descriptor.level3Count, 0);
    EXPECT_EQ(image.header[17], 0);
    EXPECT_EQ(image.data.size(), 1024u);
    EXPECT_EQ(image.data[999], 0x5A);
    EXPECT_EQ(image.data[1000], 0);

    o.dataHeader = true;
    o.dataHeaderText = {"ffff", "1234", "A"};
    TiFileImage withHeader = Encode(data, o);
    EXPECT_EQ(withHeader.descriptor.eofOffset, 238);
    const std::vector<uint8_t> words = {0xFF, 0xFF, 0x12, 0x34, 0x00, 0x0A, 0x5A};
    EXPECT_TRUE(std::equal(words.begin(), words.end(), withHeader.data.begin()));
}

TEST(PcToTiWriter, TifilesHeaderWhenAsked)
{
    TiFileImage image;
    ASSERT_TRUE(EncodeTiFile(reinterpret_cast<const uint8_t *>("X"), 1,
                             Options(0x80, 80, kPcTiRemoveLineEnd), "OUT", true, image));
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(image.header), 8), "\x07TIFILES");
    EXPECT_EQ(image.header[10], 0x80);
    EXPECT_EQ(image.header[16], 0xCA);
}

TEST(PcToTiOptions, ChecksInTheDialogsOrder)
{
    PcToTiOptions o;
    EXPECT_EQ(PcToTiOptionsProblem(o), "Please enter a filename");
    o.name = "A";
    EXPECT_EQ(PcToTiOptionsProblem(o), "Please select a filetype");
    o.typeFlags = 0x80;
    EXPECT_EQ(PcToTiOptionsProblem(o), "Please select a recordlength");
    o.recordLength = 255;
    EXPECT_EQ(PcToTiOptionsProblem(o),
              "Record length for a DIS/VAR file\nmust be in the range of 1 and 254 bytes");
    o.typeFlags = 0x82;
    EXPECT_EQ(PcToTiOptionsProblem(o), "Please select a conversion methode");
    o.method = 1;
    EXPECT_EQ(PcToTiOptionsProblem(o), "");
    PcToTiOptions program = Options(0x01, 0, 0);
    EXPECT_EQ(PcToTiOptionsProblem(program), "");
    program.dataHeader = true;
    program.dataHeaderText = {"1", "", "2"};
    EXPECT_EQ(PcToTiOptionsProblem(program), "Please enter a hexadecimal value header value");
    program.dataHeaderText = {"1", "12345", "2"};
    EXPECT_NE(PcToTiOptionsProblem(program), "");
}

TEST(PcToTiWriter, TooManyRecordsForATiFileFail)
{
    std::string text;
    for (int i = 0; i < 65536; ++i) {
        text += "a\n";
    }
    TiFileImage image;
    EXPECT_FALSE(EncodeTiFile(reinterpret_cast<const uint8_t *>(text.data()), text.size(),
                              Options(0x00, 1, kPcTiRemoveLineEnd), "OUT", false, image));
}

class ConvertPcFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ProgramSettings() = Settings{};
        RegisterLocationListers();
        source.kind = kLocPcDirectory;
        source.path = dir.Path();
        destination.kind = kLocPcDirectory;
        std::filesystem::create_directory(dir.File("out"));
        destination.path = dir.File("out");
        entry.pcName = "text.txt";
        entry.ti.kind = kKindDos;
    }

    ScratchDir dir;
    Location source;
    Location destination;
    CatalogEntry entry;
    RecordingUi ui;
    PcToTiBatch batch;
};

TEST_F(ConvertPcFileTest, WritesTheTiFileIntoTheDirectory)
{
    testing::WriteText(dir.File("text.txt"), "AB\r\nCDE");
    PcToTiOptions o = Options(0x80, 80, kPcTiRemoveLineEnd);
    ASSERT_EQ(ConvertPcFile(ui, destination, source, entry, o, batch), kConversionDone);
    std::vector<uint8_t> file = ReadBytes(dir.File("out/OUT"));
    ASSERT_EQ(file.size(), 384u);
    EXPECT_EQ(file[128], 2);
    EXPECT_TRUE(ui.Silent());
    EXPECT_EQ(ui.progressMaximum, 7u);
}

TEST_F(ConvertPcFileTest, FailureLeavesTheOldTargetUntouched)
{
    std::string text;
    for (int i = 0; i < 65536; ++i) {
        text += "a\n";
    }
    testing::WriteText(dir.File("text.txt"), text);
    testing::WriteText(dir.File("out/OUT"), "old content");
    ASSERT_EQ(ConvertPcFile(ui, destination, source, entry, Options(0x00, 1, 1), batch),
              kConversionFailed);
    EXPECT_EQ(ReadBytes(dir.File("out/OUT")), Bytes("old content"));
    EXPECT_EQ(dir.Names().size(), 2u); // text.txt and out: nothing left beside
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.File("out")),
                            std::filesystem::directory_iterator()),
              1);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_NE(ui.Errors()[0].find("Can't write to file"), std::string::npos);
}

TEST_F(ConvertPcFileTest, SamePathAndMissingSourceAreReported)
{
    testing::WriteText(dir.File("text.txt"), "x");
    PcToTiOptions o = Options(0x80, 80, 1);
    o.name = "text.txt";
    EXPECT_EQ(ConvertPcFile(ui, source, source, entry, o, batch), kConversionFailed);
    entry.pcName = "missing.txt";
    EXPECT_EQ(ConvertPcFile(ui, destination, source, entry, Options(0x80, 80, 1), batch),
              kConversionFailed);
    ASSERT_EQ(ui.Errors().size(), 2u);
    EXPECT_EQ(ui.Errors()[0], "Can't copy files to itself");
    EXPECT_NE(ui.Errors()[1].find("Can't open file for read <"), std::string::npos);
    o.name = "../escape";
    EXPECT_EQ(ConvertPcFile(ui, destination, source, entry, o, batch), kConversionFailed);
}

TEST_F(ConvertPcFileTest, IntoADiskImageThroughTheTemporaryFile)
{
    const FloppyPreset *preset = FindPreset(kDefaultPreset);
    ASSERT_NE(preset, nullptr);
    ASSERT_EQ(WriteNewImage(*preset, "DISK", dir.File("disk.dsk"), ui), 0);
    testing::WriteText(dir.File("text.txt"), "AB\r\nCDE");
    Location image;
    image.path = dir.File("disk.dsk");
    ASSERT_TRUE(OpenLocation(image, ui));
    ASSERT_EQ(image.kind, kLocDskImage);
    PcToTiOptions o = Options(0x80, 80, 1);
    o.name = "HELLO";
    ASSERT_EQ(ConvertPcFile(ui, image, source, entry, o, batch), kConversionDone)
        << (ui.Errors().empty() ? "" : ui.Errors()[0]);
    ASSERT_TRUE(OpenLocation(image, ui));
    const CatalogEntry *added = FindEntryByName(image, "HELLO");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->ti.kind, kKindDisVar);
    EXPECT_EQ(added->ti.recordLength, 80);
    EXPECT_EQ(added->ti.eofOffset, 7);
}

} // namespace
} // namespace kestrel
