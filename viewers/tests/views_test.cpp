#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/basic_builder.h"
#include "tests/support/record_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/location_listers.h"
#include "viewers/archive_member_text.h"
#include "viewers/forth_blocks.h"
#include "viewers/hex_dump.h"
#include "viewers/record_text.h"
#include "viewers/sector_range_view.h"
#include "viewers/tifile_view.h"
#include "viewers/view_caption.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::RecordingUi;
using testing::TiFileData;

class ViewFiles : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kestrel-views-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_location.path = m_dir.string();
    }
    void TearDown() override { fs::remove_all(m_dir); }

    CatalogEntry Put(const std::string &name, const TiFileData &file)
    {
        EXPECT_TRUE(testing::WriteFileBytes((m_dir / name).string(), file.Bytes()));
        return file.Entry(name);
    }

    TextView View(const CatalogEntry &entry, int mode)
    {
        TextView view;
        ComposeTiFileView(m_location, entry, mode, (m_dir / "tmp.$$$").string(), m_ui, view);
        return view;
    }

    fs::path m_dir;
    Location m_location;
    RecordingUi m_ui;
};

std::string Lines(std::initializer_list<const char *> lines)
{
    std::string text;
    for (const char *line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

TEST(HexDumpLines, FormatsLinesAndStopsWhenFull)
{
    uint8_t data[32];
    for (int i = 0; i < 32; ++i) {
        data[i] = static_cast<uint8_t>(0x41 + i - 8);
    }
    data[0] = 0x00;
    data[1] = 0x7F;
    char out[200];
    char *end = HexDumpLines(data, 32, 0x1F0, out, out + sizeof out);
    ASSERT_NE(end, nullptr);
    ASSERT_EQ(end - out, 2 * static_cast<long>(kHexDumpLineLength));
    *end = 0;
    EXPECT_EQ(std::string(out, kHexDumpLineLength),
              "000001F0 00 7F 3B 3C 3D 3E 3F 40 41 42 43 44 45 46 47 48 ..;<=>?@ABCDEFGH\r\n");
    EXPECT_EQ(std::string(out + kHexDumpLineLength, 10), "00000200 4");
    // Room for one line only: the second one is not copied, a NUL ends the text.
    char small[kHexDumpLineLength + 5];
    EXPECT_EQ(HexDumpLines(data, 32, 0, small, small + sizeof small), nullptr);
    EXPECT_EQ(std::string(small).size(), kHexDumpLineLength);
}

TEST(RecordText, FixedRecordsPerSectorAndLevel3Count)
{
    TiFileData f = testing::FixedRecordFile(false, 80, {"ONE", "TWO", "THREE", "FOUR"});
    CatalogEntry entry = f.Entry("F80");
    // Bytes behind the third record of a sector are never shown.
    std::fill(f.data.begin() + 240, f.data.begin() + 256, 'Z');
    std::vector<char> out(4096);
    uint32_t counter = 0;
    char *p = FixedRecordsToText(false, f.data.data(), 256, counter, entry, out.data(),
                                 out.data() + out.size());
    p = FixedRecordsToText(false, f.data.data() + 256, 256, counter, entry, p,
                           out.data() + out.size());
    ASSERT_NE(p, nullptr);
    const std::string text(out.data(), p);
    EXPECT_EQ(counter, 4u);
    EXPECT_EQ(text.find('Z'), std::string::npos);
    EXPECT_EQ(text, std::string("ONE") + std::string(77, ' ') + "\r\nTWO" + std::string(77, ' ') +
                        "\r\nTHREE" + std::string(75, ' ') + "\r\nFOUR" + std::string(76, ' ') +
                        "\r\n");
    // Raw mode copies bytes unchanged, without line ends.
    TiFileData bin = testing::FixedRecordFile(true, 2, {std::string("\x01\xFF", 2)});
    uint32_t rawCounter = 0;
    p = FixedRecordsToText(true, bin.data.data(), 256, rawCounter, bin.Entry("B"), out.data(),
                           out.data() + out.size());
    EXPECT_EQ(std::string(out.data(), p), std::string("\x01\xFF", 2));
    // Full buffer: null, the text ends with a NUL where it stopped.
    std::vector<char> tiny(50, 'x');
    counter = 0;
    EXPECT_EQ(FixedRecordsToText(false, f.data.data(), 256, counter, entry, tiny.data(),
                                 tiny.data() + tiny.size()),
              nullptr);
    EXPECT_EQ(std::string(tiny.data()), "ONE" + std::string(44, ' '));
}

TEST(RecordText, VariableRecordsEndAtTheSectorMark)
{
    TiFileData f = testing::VariableRecordFile(false, 80, {"ALPHA", "", std::string("B\x01", 2)});
    std::vector<char> out(1024);
    char *p = VariableRecordsToText(f.data.data(), 256, out.data(), out.data() + out.size());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(out.data(), p), "ALPHA\r\n\r\nB.\r\n");

    // A sector holding no record is only its end mark: no line of 255
    // bytes of padding.
    std::vector<uint8_t> empty(256, 0xFF);
    empty[1] = 'X';
    p = VariableRecordsToText(empty.data(), 256, out.data(), out.data() + out.size());
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p, out.data());
}

std::vector<std::string> ColonScreen()
{
    return {"( DEMO )", ": SQUARE DUP * ;", ": CUBE DUP SQUARE * ;"};
}

TEST(ForthBlocks, TextOfOneBlock)
{
    TiFileData f = testing::ForthScreenFile({ColonScreen()});
    std::vector<char> out(8192);
    uint32_t counter = 0;
    char *p = out.data();
    for (int s = 0; s < 4; ++s) {
        p = ForthBlocksToText(f.data.data() + s * 256, 256, counter, p, out.data() + out.size());
        ASSERT_NE(p, nullptr);
    }
    const std::string text(out.data(), p);
    EXPECT_EQ(text.rfind("Block 001\r\n---------\r\n( DEMO )" + std::string(56, ' ') + "\r\n", 0),
              0u);
    EXPECT_EQ(text.size(), 22u + 16 * 66 + 2);
    EXPECT_EQ(text.substr(text.size() - 4), "\r\n\r\n");
    counter = 4;
    p = ForthBlocksToText(f.data.data(), 256, counter, out.data(), out.data() + out.size());
    EXPECT_EQ(std::string(out.data(), 9), "Block 002");
}

TEST(ForthBlocks, DetectionNeedsMoreThan40SectorsAndAColonDefinition)
{
    EXPECT_TRUE(testing::ForthScreenFile({ColonScreen()}).data.size() == 1024);
    const std::string block = ": X ;" + std::string(1019, ' ');
    EXPECT_TRUE(LooksLikeForthData(reinterpret_cast<const uint8_t *>(block.data()), 1024));
    const std::string tooClose = ":  ;" + std::string(1020, ' ');
    EXPECT_FALSE(LooksLikeForthData(reinterpret_cast<const uint8_t *>(tooClose.data()), 1024));
    const std::string noDefinition = ":;" + std::string(1022, ' ');
    EXPECT_FALSE(LooksLikeForthData(reinterpret_cast<const uint8_t *>(noDefinition.data()), 1024));
    std::string binary = block;
    binary[500] = '\x01';
    EXPECT_FALSE(LooksLikeForthData(reinterpret_cast<const uint8_t *>(binary.data()), 1024));
    // The second block may carry the definition; a block cut short is skipped.
    const std::string twoBlocks = std::string(1024, 'A') + block;
    EXPECT_TRUE(LooksLikeForthData(reinterpret_cast<const uint8_t *>(twoBlocks.data()), 2048));
    EXPECT_FALSE(LooksLikeForthData(reinterpret_cast<const uint8_t *>(twoBlocks.data()), 2047));
}

TEST_F(ViewFiles, ForthScreensFrom41SectorsRecordsAt40)
{
    const CatalogEntry big = Put("FORTH41", testing::ForthScreenFile({ColonScreen()}, 37));
    ASSERT_EQ(big.ti.sectors, 41);
    TextView view = View(big, kViewAuto);
    ASSERT_TRUE(view.hasText);
    EXPECT_EQ(view.mode, kViewForth);
    EXPECT_EQ(view.text.rfind("Block 001\r\n", 0), 0u);
    EXPECT_NE(view.text.find("Block 011\r\n"), std::string::npos);

    const CatalogEntry small = Put("FORTH40", testing::ForthScreenFile({ColonScreen()}, 36));
    view = View(small, kViewAuto);
    EXPECT_EQ(view.mode, kViewAuto);
    EXPECT_EQ(view.text.rfind("( DEMO )" + std::string(56, ' ') + ": SQUARE", 0), 0u);
    // Forth mode on request.
    view = View(small, kViewForth);
    EXPECT_EQ(view.text.rfind("Block 001", 0), 0u);
    EXPECT_TRUE(m_ui.Silent());
}

TEST_F(ViewFiles, ProgramFilesListOrDump)
{
    const std::vector<testing::BasicLine> lines = {
        {10, testing::TokenLine().Keyword(0x9C).Quoted("HI").Bytes()}};
    const CatalogEntry program =
        Put("HELLO", testing::ProgramTiFile(testing::BuildProgramFile(lines)));
    TextView view = View(program, kViewAuto);
    ASSERT_TRUE(view.hasText);
    EXPECT_EQ(view.text, "10 PRINT \"HI\"\r\n");
    EXPECT_EQ(view.caption, "Kestrel - " + m_dir.string() + "->HELLO");
    EXPECT_EQ(view.recordName, "HELLO");

    // Hexadecimal on request, and for a PROGRAM file that is no program.
    view = View(program, kViewHex);
    EXPECT_EQ(view.text.rfind("[File header information]\r\n-------------------------\r\n"
                              "00000000 07 54 49 46 49 4C 45 53",
                              0),
              0u);
    EXPECT_NE(view.text.find("\r\n[File data]\r\n-----------\r\n00000000 "), std::string::npos);
    TiFileData junk = testing::ProgramTiFile(std::vector<uint8_t>(300, 0x41));
    view = View(Put("JUNK", junk), kViewAuto);
    ASSERT_TRUE(view.hasText);
    EXPECT_NE(view.text.find("[File data]"), std::string::npos);
    EXPECT_NE(view.text.find("00000100 41 41"), std::string::npos);
    EXPECT_EQ(view.text.find("00000200 "), std::string::npos); // two sectors only
    EXPECT_TRUE(m_ui.Silent());
}

TEST_F(ViewFiles, LongAndMergeFormsListLikeThePrograms)
{
    const std::vector<testing::BasicLine> lines = {
        {100, testing::TokenLine().Keyword(0x9D).Unquoted("CLEAR").Bytes()},
        {110, testing::TokenLine().Keyword(0x86).LineRef(100).Bytes()}};
    const std::string listing = "100 CALL CLEAR\r\n110 GOTO 100\r\n";
    EXPECT_EQ(
        View(Put("L", testing::LongProgramTiFile(testing::BuildLongProgram(lines))), kViewAuto)
            .text,
        listing);
    EXPECT_EQ(View(Put("M", testing::MergeTiFile(testing::BuildMergeFile(lines))), kViewAuto).text,
              listing);
    // INT/VAR 254 that is no long-format program shows its records.
    TiFileData records = testing::VariableRecordFile(true, 254, {"DATA"});
    EXPECT_EQ(View(Put("R", records), kViewAuto).text, "DATA\r\n");
}

TEST_F(ViewFiles, RecordFilesAndPartlyUsedLastSector)
{
    std::vector<std::string> records;
    for (int i = 1; i <= 7; ++i) {
        records.push_back("REC" + std::to_string(i));
    }
    TiFileData fixed = testing::FixedRecordFile(false, 80, records); // 3 sectors, last holds 1
    TextView view = View(Put("F80", fixed), kViewAuto);
    EXPECT_EQ(std::count(view.text.begin(), view.text.end(), '\n'), 7);
    EXPECT_EQ(view.text.substr(view.text.size() - 82), "REC7" + std::string(76, ' ') + "\r\n");

    TiFileData variable = testing::VariableRecordFile(false, 80, {"LINE ONE", "LINE TWO"});
    EXPECT_EQ(View(Put("V80", variable), kViewAuto).text, Lines({"LINE ONE", "LINE TWO"}));
    // The level-3 count says how many sectors of a variable file are read.
    TiFileData longer = testing::VariableRecordFile(false, 254, {std::string(254, 'A'), "B"});
    ASSERT_EQ(longer.fileSpec.sectors, 2);
    longer.fileSpec.level3 = 1;
    EXPECT_EQ(View(Put("V254", longer), kViewAuto).text, std::string(254, 'A') + "\r\n");
}

TEST_F(ViewFiles, FailuresAndShortFiles)
{
    CatalogEntry missing = testing::FixedRecordFile(false, 80, {"X"}).Entry("NOFILE");
    TextView view = View(missing, kViewAuto);
    EXPECT_FALSE(view.hasText);
    ASSERT_EQ(m_ui.Errors().size(), 1u);
    EXPECT_EQ(m_ui.Errors()[0], "Can't open file for read <" + (m_dir / "NOFILE").string() + ">");

    testing::WriteFileBytes((m_dir / "TINY").string(), std::vector<uint8_t>(100, 7));
    view = View(testing::FixedRecordFile(false, 80, {"X"}).Entry("TINY"), kViewAuto);
    EXPECT_FALSE(view.hasText);
    EXPECT_EQ(m_ui.Errors().back(), "Can't read from file <" + (m_dir / "TINY").string() + ">");

    // The header says 3 sectors, the file holds one and a half: the first is
    // shown, the half one filled with 0xCC, then message 6 for sector 3.
    TiFileData f = testing::FixedRecordFile(false, 128, {"A", "B", "C", "D", "E", "F"});
    auto bytes = f.Bytes();
    bytes.resize(128 + 256 + 128);
    testing::WriteFileBytes((m_dir / "CUT").string(), bytes);
    view = View(f.Entry("CUT"), kViewAuto);
    ASSERT_TRUE(view.hasText);
    EXPECT_EQ(m_ui.Errors().back(),
              "Can't read sector <3> from <" + (m_dir / "CUT").string() + ">");
    EXPECT_EQ(std::count(view.text.begin(), view.text.end(), '\n'), 4);
    EXPECT_NE(view.text.find("C" + std::string(127, ' ') + "\r\n" + std::string(128, '.')),
              std::string::npos);
}

TEST_F(ViewFiles, CapacityLimitsTheRecordView)
{
    // One-byte records make three characters each: the record view's
    // capacity of (sectors + 8) * 256 cuts the text, without a message.
    std::vector<std::string> records(10 * 255, "Q");
    TiFileData f = testing::FixedRecordFile(false, 1, records);
    const TextView view = View(Put("F1", f), kViewAuto);
    ASSERT_TRUE(view.hasText);
    ASSERT_EQ(f.fileSpec.sectors, 10);
    EXPECT_LT(view.text.size(), RecordViewCapacity(10));
    EXPECT_GT(view.text.size(), RecordViewCapacity(10) - 8);
    EXPECT_TRUE(m_ui.Silent());
    EXPECT_EQ(HexViewCapacity(1), 384u * 26 / 16 + 384 * 5 + 128);
    EXPECT_EQ(ForthViewCapacity(41), 41u * 256 + 11 * 62);
}

// A container module stand-in: "saves" an entry by copying a prepared file.
std::string g_savedSource;
bool CopySaver(const Location &, const CatalogEntry &, const std::string &target, Ui &)
{
    std::error_code error;
    fs::copy_file(g_savedSource, target, fs::copy_options::overwrite_existing, error);
    return !error;
}
bool FailingSaver(const Location &, const CatalogEntry &, const std::string &, Ui &)
{
    return false;
}

TEST_F(ViewFiles, FileInsideAContainerGoesThroughTheTemporaryFile)
{
    const std::vector<testing::BasicLine> lines = {{5, testing::TokenLine().Keyword(0x8B).Bytes()}};
    const CatalogEntry inDirectory =
        Put("END", testing::ProgramTiFile(testing::BuildProgramFile(lines)));
    g_savedSource = (m_dir / "END").string();
    RegisterLocationListers();
    const EntrySaver floppySaver = FindEntrySaver(kLocDskImage);
    RegisterEntrySaver(kLocDskImage, CopySaver);

    Location disk;
    disk.kind = kLocDskImage;
    disk.path = "/images/work.dsk";
    disk.insideContainer = true;
    disk.containerDepth = 1;
    CatalogEntry entry = inDirectory;
    entry.pcName = disk.path;
    entry.ti.tiName = "PROG      ";
    TextView view;
    const std::string temp = (m_dir / "ti_tmp.$$$").string();
    ASSERT_TRUE(ComposeTiFileView(disk, entry, kViewAuto, temp, m_ui, view));
    EXPECT_EQ(view.text, "5 END\r\n");
    EXPECT_EQ(view.caption, "Kestrel - /images/work.dsk->PROG");
    EXPECT_EQ(view.recordName, "PROG");
    EXPECT_TRUE(fs::exists(temp)); // kept for the next request

    RegisterEntrySaver(kLocDskImage, FailingSaver);
    EXPECT_FALSE(ComposeTiFileView(disk, entry, kViewAuto, temp, m_ui, view));
    EXPECT_FALSE(view.hasText);
    RegisterEntrySaver(kLocDskImage, floppySaver);
}

TEST(ViewCaption, TruncationAbove61440Characters)
{
    std::string caption = "Kestrel - a->b";
    MarkTruncated(caption, 61440);
    EXPECT_EQ(caption, "Kestrel - a->b");
    MarkTruncated(caption, 61441);
    EXPECT_EQ(caption, "Kestrel - a->b (truncated to 60Kb)");

    Location location;
    location.path = "/data/disk.dsk";
    location.kind = kLocDskImage;
    location.insideContainer = true;
    location.containerDepth = 1;
    CatalogEntry entry;
    entry.pcName = "/data/disk.dsk";
    entry.ti.tiName = "HELLO     ";
    EXPECT_EQ(ViewFileName(location, entry), "HELLO");
    EXPECT_EQ(FileViewCaption(location, "HELLO"), "Kestrel - /data/disk.dsk->HELLO");
    location.kind = kLocHdImage;
    location.hdLevel = 3;
    location.innerPath = "VOL1.GAMES";
    EXPECT_EQ(FileViewCaption(location, "HELLO"), "Kestrel - /data/disk.dsk->VOL1.GAMES->HELLO");
}

TEST_F(ViewFiles, SectorRangeViewOfAnImageEndingEarly)
{
    std::vector<uint8_t> image(5 * 256);
    for (size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<uint8_t>(i / 256);
    }
    const std::string path = (m_dir / "img.dsk").string();
    testing::WriteFileBytes(path, image);
    SectorRange range;
    range.imagePath = path;
    range.label = "FDR";
    range.sectorsPerAu = 2;
    range.firstAu = 1;
    range.auCount = 2; // sectors 2 to 5; the image has 0 to 4
    TextView view;
    ASSERT_TRUE(ComposeSectorRangeView(range, m_ui, view));
    EXPECT_EQ(view.caption, "FDR: FirstSector: >0002  NumberOfSectors: >0004");
    EXPECT_EQ(view.recordName, "FDR");
    ASSERT_EQ(m_ui.Errors().size(), 1u);
    EXPECT_EQ(m_ui.Errors()[0], "Can't read sector <5> from <" + path + ">");
    EXPECT_EQ(view.text.size(), 3 * 16 * kHexDumpLineLength);
    EXPECT_EQ(view.text.rfind("00000000 02 02", 0), 0u);
    EXPECT_NE(view.text.find("00000200 04 04"), std::string::npos);

    // Offsets in sectors, and a range long enough to be cut.
    std::vector<uint8_t> big(80 * 256, 0x20);
    testing::WriteFileBytes(path, big);
    range.offsetInBytes = false;
    range.baseOffset = 1;
    range.sectorsPerAu = 1;
    range.firstAu = 0;
    range.auCount = 60;
    ASSERT_TRUE(ComposeSectorRangeView(range, m_ui, view));
    EXPECT_EQ(view.text.size(), 61440u + 22);
    EXPECT_EQ(view.text.substr(61440), "\r\n (truncated to 60Kb)");
    EXPECT_EQ(view.caption, "FDR: FirstSector: >0000  NumberOfSectors: >003C (truncated to 60Kb)");
}

TEST_F(ViewFiles, ArchiveMemberTextThroughTheFormatters)
{
    TiFileData fixed = testing::FixedRecordFile(false, 10, {"ABC", "DEF"});
    const std::string out = (m_dir / "member.txt").string();
    std::FILE *file = std::fopen(out.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ArchiveTextState state;
    ASSERT_TRUE(
        ArchiveMemberToPcText(fixed.data.data(), 1, fixed.Entry("M"), file, "a.ark", state, m_ui));
    std::fclose(file);
    EXPECT_EQ(fs::file_size(out), 20u);
    EXPECT_EQ(state.sectorNumber, 1u);

    // A write that fails reports the running sector number.
    std::FILE *readOnly = std::fopen(out.c_str(), "rb");
    TiFileData variable = testing::VariableRecordFile(false, 80, {"X"});
    ArchiveTextState second;
    EXPECT_FALSE(ArchiveMemberToPcText(variable.data.data(), 1, variable.Entry("V"), readOnly,
                                       "a.ark", second, m_ui));
    std::fclose(readOnly);
    EXPECT_EQ(m_ui.Errors().back(), "Can't write sector <1> to <a.ark>");
}

} // namespace
} // namespace kestrel
