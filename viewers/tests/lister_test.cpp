#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/support/basic_builder.h"
#include "tests/support/recording_ui.h"
#include "viewers/detokenize_line.h"
#include "viewers/keyword_table.h"
#include "viewers/program_lister.h"

namespace kestrel
{
namespace
{

using testing::BasicLine;
using testing::RecordingUi;
using testing::TokenLine;

// Keyword codes used below.
constexpr uint8_t kIf = 0x84, kGoto = 0x86, kPrint = 0x9C, kCall = 0x9D, kThen = 0xB0,
                  kSemicolon = 0xB4, kColon = 0xB5, kEquals = 0xBE, kLen = 0xD5, kOpen = 0x9F,
                  kVariable = 0xF3, kInternal = 0xF5, kRem = 0x9A, kDisplay = 0xA2, kAt = 0xF0,
                  kComma = 0xB3, kOpenParen = 0xB7, kCloseParen = 0xB6, kHash = 0xFD;

std::string Detokenize(const TokenLine &line)
{
    const std::vector<uint8_t> bytes = line.Bytes();
    char out[kDetokenizedLineSize];
    DetokenizeLine(out, static_cast<uint8_t>(bytes.size()), bytes.data());
    std::string text(out);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    return text.substr(0, text.size() - 2);
}

TEST(DetokenizeLine, ExamplesOfTheListingRules)
{
    EXPECT_EQ(
        Detokenize(TokenLine().Keyword(kPrint).Literal("A").Keyword(kSemicolon).Unquoted("10")),
        "PRINT A;10");
    EXPECT_EQ(Detokenize(TokenLine()
                             .Keyword(kIf)
                             .Literal("X")
                             .Keyword(kEquals)
                             .Unquoted("1")
                             .Keyword(kThen)
                             .LineRef(100)),
              "IF X=1 THEN 100");
    EXPECT_EQ(Detokenize(TokenLine()
                             .Keyword(kCall)
                             .Unquoted("CLEAR")
                             .Keyword(kTokenStatementSeparator)
                             .Keyword(kGoto)
                             .LineRef(20)),
              "CALL CLEAR :: GOTO 20");
}

TEST(DetokenizeLine, SpacingClasses)
{
    // space-before only: a function after a keyword that asked for a blank.
    EXPECT_EQ(Detokenize(TokenLine()
                             .Keyword(kPrint)
                             .Keyword(kLen)
                             .Keyword(kOpenParen)
                             .Literal("A$")
                             .Keyword(kCloseParen)),
              "PRINT LEN(A$)");
    // a function right after a literal still gets its blank (not attach).
    EXPECT_EQ(Detokenize(TokenLine().Literal("X").Keyword(kLen)), "X LEN");
    // space-after only: VARIABLE asks for a blank, INTERNAL (no property) gets none after it.
    EXPECT_EQ(Detokenize(TokenLine()
                             .Keyword(kOpen)
                             .Keyword(kHash)
                             .Unquoted("1")
                             .Keyword(kComma)
                             .Keyword(kInternal)
                             .Keyword(kComma)
                             .Keyword(kVariable)
                             .Unquoted("80")),
              "OPEN #1,INTERNAL,VARIABLE 80");
    // no property: no blank before it after a keyword that asked for one.
    EXPECT_EQ(Detokenize(TokenLine().Keyword(kPrint).Keyword(kInternal)), "PRINTINTERNAL");
    // attach: operators follow literals directly.
    EXPECT_EQ(Detokenize(TokenLine().Literal("A").Keyword(kEquals).Literal("B")), "A=B");
    // both: a keyword between literals.
    EXPECT_EQ(
        Detokenize(TokenLine().Keyword(kDisplay).Keyword(kAt).Keyword(kOpenParen).Unquoted("1")),
        "DISPLAY AT(1");
}

TEST(DetokenizeLine, ColonsQuotesAndUndefinedCodes)
{
    EXPECT_EQ(Detokenize(TokenLine().Keyword(kPrint).Keyword(kColon).Keyword(kColon)), "PRINT : :");
    EXPECT_EQ(Detokenize(TokenLine().Literal("A").Keyword(kColon)), "A:");
    EXPECT_EQ(Detokenize(TokenLine().Keyword(kPrint).Quoted("SAY \"HI\"")),
              "PRINT \"SAY \"\"HI\"\"\"");
    EXPECT_EQ(Detokenize(TokenLine().Keyword(kPrint).Quoted("")), "PRINT \"\"");
    // 0xB9 prints nothing, but after a literal its blank is still written.
    EXPECT_EQ(Detokenize(TokenLine().Literal("A").Keyword(0xB9).Literal("B")), "A B");
    EXPECT_EQ(Detokenize(TokenLine().Keyword(kRem).Literal("HELLO")), "REM HELLO");
    EXPECT_EQ(Detokenize(TokenLine().Literal("A").Unquoted("1")), "A 1");
}

TEST(DetokenizeLine, StopsAtZeroAndAtTheLength)
{
    const uint8_t tokens[] = {kPrint, 'A', 0, 'B', 'C'};
    char out[kDetokenizedLineSize];
    DetokenizeLine(out, sizeof tokens, tokens);
    EXPECT_STREQ(out, "PRINT A\r\n");
    DetokenizeLine(out, 1, tokens);
    EXPECT_STREQ(out, "PRINT\r\n");
    // A string whose count runs past the length is cut at the length.
    const uint8_t cut[] = {0xC7, 200, 'X', 'Y'};
    DetokenizeLine(out, sizeof cut, cut);
    EXPECT_STREQ(out, "\"XY\"\r\n");
    const uint8_t number[] = {0xC9, 0x01};
    DetokenizeLine(out, sizeof number, number);
    EXPECT_STREQ(out, "\r\n");
}

TEST(DetokenizeLine, WorstCaseLineFitsTheBuffer)
{
    std::vector<uint8_t> tokens(255, 0xF6); // SEQUENTIAL, the longest text
    tokens[0] = 'A';
    std::vector<char> out(kDetokenizedLineSize, 'x');
    char *end = DetokenizeLine(out.data(), 255, tokens.data());
    EXPECT_LT(end, out.data() + out.size());
    // Every code from 0x80 up has a table entry (possibly empty).
    for (unsigned code = 0x80; code <= 0xFF; ++code) {
        EXPECT_NE(LookupKeyword(static_cast<uint8_t>(code)).text, nullptr);
        EXPECT_LE(std::string(LookupKeyword(static_cast<uint8_t>(code)).text).size(),
                  kLongestKeywordText);
    }
}

std::vector<BasicLine> SampleProgram()
{
    return {
        {10, TokenLine().Keyword(kCall).Unquoted("CLEAR").Bytes()},
        {20, TokenLine().Keyword(kPrint).Quoted("HELLO").Bytes()},
        {30, TokenLine().Keyword(kGoto).LineRef(10).Bytes()},
    };
}

const char *const kSampleListing = "10 CALL CLEAR\r\n20 PRINT \"HELLO\"\r\n30 GOTO 10\r\n";

TEST(ProgramLister, ThreeFormsListTheSameProgram)
{
    RecordingUi ui;
    const auto lines = SampleProgram();

    TextBlock program;
    const auto image = testing::BuildProgramFile(lines);
    ASSERT_EQ(ListProgramImageData(image.data(), image.size(), "p", program, ui), kListed);
    EXPECT_EQ(program.Text(), kSampleListing);

    TextBlock negated;
    const auto negatedImage = testing::BuildProgramFile(lines, {true, 0});
    ASSERT_EQ(ListProgramImageData(negatedImage.data(), negatedImage.size(), "p", negated, ui),
              kListed);
    EXPECT_EQ(negated.Text(), kSampleListing);

    TextBlock longForm;
    const auto sectors = testing::BuildLongProgram(lines);
    ASSERT_EQ(ListLongProgramData(sectors.data(), sectors.size(), 2, "l", longForm, ui), kListed);
    EXPECT_EQ(longForm.Text(), kSampleListing);

    TextBlock merge;
    const auto mergeSectors = testing::BuildMergeFile(lines);
    ASSERT_EQ(ListMergeData(mergeSectors.data(), mergeSectors.size(), 1, "m", merge, ui), kListed);
    EXPECT_EQ(merge.Text(), kSampleListing);
    EXPECT_TRUE(ui.Silent());
}

TEST(ProgramLister, LongProgramSpanningManyRecords)
{
    std::vector<BasicLine> lines;
    std::string expected;
    for (uint16_t n = 1; n <= 300; ++n) {
        lines.push_back(
            {n, TokenLine().Keyword(kPrint).Quoted("LINE " + std::to_string(n)).Bytes()});
        expected += std::to_string(n) + " PRINT \"LINE " + std::to_string(n) + "\"\r\n";
    }
    RecordingUi ui;
    const auto sectors = testing::BuildLongProgram(lines);
    TextBlock text;
    ASSERT_EQ(ListLongProgramData(sectors.data(), sectors.size(),
                                  static_cast<uint16_t>(sectors.size() / 256), "l", text, ui),
              kListed);
    EXPECT_EQ(text.Text(), expected);
    // The same lines in MERGE form cross several sectors.
    const auto merge = testing::BuildMergeFile(lines);
    TextBlock mergeText;
    ASSERT_EQ(ListMergeData(merge.data(), merge.size(), static_cast<uint16_t>(merge.size() / 256),
                            "m", mergeText, ui),
              kListed);
    EXPECT_EQ(mergeText.Text(), expected);
}

TEST(ProgramLister, InvalidHeadersAreNotPrograms)
{
    RecordingUi ui;
    auto image = testing::BuildProgramFile(SampleProgram());
    auto equalTable = image;
    equalTable[2] = equalTable[4]; // tableEnd = tableStart
    equalTable[3] = equalTable[5];
    equalTable[0] = equalTable[1] = 0;
    TextBlock text;
    EXPECT_EQ(ListProgramImageData(equalTable.data(), equalTable.size(), "p", text, ui),
              kListNotProgram);
    auto badCheck = image;
    badCheck[1] ^= 1;
    EXPECT_EQ(ListProgramImageData(badCheck.data(), badCheck.size(), "p", text, ui),
              kListNotProgram);
    auto inverted = image; // tableEnd below tableStart, check recomputed
    std::swap(inverted[2], inverted[4]);
    std::swap(inverted[3], inverted[5]);
    EXPECT_EQ(ListProgramImageData(inverted.data(), inverted.size(), "p", text, ui),
              kListNotProgram);
    auto lowTop = image;
    lowTop[6] = 0;
    EXPECT_EQ(ListProgramImageData(lowTop.data(), lowTop.size(), "p", text, ui), kListNotProgram);
    auto longForm = testing::BuildLongProgram(SampleProgram());
    longForm[1] = 0xAA;
    EXPECT_EQ(ListLongProgramData(longForm.data(), longForm.size(), 2, "l", text, ui),
              kListNotProgram);
    EXPECT_FALSE(text.Exists());
    EXPECT_TRUE(ui.Silent());
}

TEST(ProgramLister, ShortHeadersReportMessage4)
{
    RecordingUi ui;
    TextBlock text;
    const uint8_t few[5] = {};
    EXPECT_EQ(ListProgramImageData(few, sizeof few, "short.prg", text, ui), kListReported);
    EXPECT_EQ(ListLongProgramData(few, sizeof few, 3, "short.int", text, ui), kListReported);
    ASSERT_EQ(ui.Errors().size(), 2u);
    EXPECT_EQ(ui.Errors()[0], "Can't read from file <short.prg>");
    EXPECT_EQ(ui.Errors()[1], "Can't read from file <short.int>");
    EXPECT_EQ(ui.LastMessage(), 4);
}

TEST(ProgramLister, TruncatedAndDamagedImagesKeepWhatWasListed)
{
    RecordingUi ui;
    const auto image = testing::BuildProgramFile(SampleProgram());
    // Cut inside the last line (line 10 is stored last): lines before it are
    // gone too since the listing stops at the first line it cannot read.
    for (size_t cut = 0; cut <= image.size(); ++cut) {
        TextBlock text;
        const int result = ListProgramImageData(image.data(), cut, "p", text, ui);
        EXPECT_TRUE(result == kListed || result == kListNotProgram || result == kListReported);
        if (result == kListed) {
            EXPECT_EQ(std::string(kSampleListing).rfind(text.Text(), 0), 0u) << cut;
        }
    }
    // A pointer outside the image ends the listing at that line.
    auto bad = image;
    const size_t line20Pointer = 8 + 4 + 2; // entry 1 (line 20) of the descending table
    bad[line20Pointer] = 0xFF;
    bad[line20Pointer + 1] = 0xFF;
    TextBlock text;
    ASSERT_EQ(ListProgramImageData(bad.data(), bad.size(), "p", text, ui), kListed);
    EXPECT_EQ(text.Text(), "10 CALL CLEAR\r\n");
    // A long-format header that claims 200 records lists what is there.
    const auto longForm = testing::BuildLongProgram(SampleProgram());
    TextBlock longText;
    ASSERT_EQ(ListLongProgramData(longForm.data(), longForm.size(), 200, "l", longText, ui),
              kListed);
    EXPECT_EQ(longText.Text(), kSampleListing);
}

TEST(ProgramLister, RandomBytesNeverCrash)
{
    std::mt19937 random(7);
    RecordingUi ui;
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> data(256 + random() % 2000);
        for (auto &b : data) {
            b = static_cast<uint8_t>(random());
        }
        if (round % 2 == 0) {
            // A valid header over random bytes reaches the line walk.
            const uint16_t start = static_cast<uint16_t>(0x3000 + random() % 64);
            const uint16_t end = static_cast<uint16_t>(start + 3 + random() % 400);
            data[0] = static_cast<uint8_t>((start ^ end) >> 8);
            data[1] = static_cast<uint8_t>(start ^ end);
            data[2] = static_cast<uint8_t>(end >> 8);
            data[3] = static_cast<uint8_t>(end);
            data[4] = static_cast<uint8_t>(start >> 8);
            data[5] = static_cast<uint8_t>(start);
            data[6] = data[7] = 0xFF;
        }
        TextBlock a, b, c;
        ListProgramImageData(data.data(), data.size(), "r", a, ui);
        ListLongProgramData(data.data(), data.size(), static_cast<uint16_t>(random()), "r", b, ui);
        EXPECT_EQ(
            ListMergeData(data.data(), data.size(), static_cast<uint16_t>(random()), "r", c, ui),
            kListed);
    }
    EXPECT_TRUE(ui.Silent());
}

TEST(MergeLister, SectorEndsAndEndRecord)
{
    RecordingUi ui;
    std::vector<uint8_t> data(3 * 256, 0);
    // Sector 0: line 1 then 0xFF; sector 1: line 2, then the end record;
    // sector 2: a line that must not be listed.
    const uint8_t line1[] = {5, 0, 1, kPrint, 'A', 0};
    const uint8_t line2[] = {5, 0, 2, kPrint, 'B', 0};
    const uint8_t end[] = {2, 0xFF, 0xFF};
    const uint8_t line3[] = {5, 0, 3, kPrint, 'C', 0};
    std::copy(std::begin(line1), std::end(line1), data.begin());
    data[sizeof line1] = 0xFF;
    std::copy(std::begin(line2), std::end(line2), data.begin() + 256);
    std::copy(std::begin(end), std::end(end), data.begin() + 256 + sizeof line2);
    std::copy(std::begin(line3), std::end(line3), data.begin() + 512);
    TextBlock text;
    ASSERT_EQ(ListMergeData(data.data(), data.size(), 3, "m", text, ui), kListed);
    EXPECT_EQ(text.Text(), "1 PRINT A\r\n2 PRINT B\r\n");
    // Without the end record the third sector is read, but never beyond the count.
    data[256 + sizeof line2] = 0;
    TextBlock two;
    ListMergeData(data.data(), data.size(), 2, "m", two, ui);
    EXPECT_EQ(two.Text(), "1 PRINT A\r\n2 PRINT B\r\n");
    TextBlock three;
    ListMergeData(data.data(), data.size(), 3, "m", three, ui);
    EXPECT_EQ(three.Text(), "1 PRINT A\r\n2 PRINT B\r\n3 PRINT C\r\n");
}

TEST(MergeLister, AllFfAndEmptyFilesGiveAnEmptyListing)
{
    RecordingUi ui;
    std::vector<uint8_t> ff(4 * 256, 0xFF);
    TextBlock text;
    ASSERT_EQ(ListMergeData(ff.data(), ff.size(), 4, "m", text, ui), kListed);
    EXPECT_TRUE(text.Exists());
    EXPECT_EQ(text.Text(), "");
    TextBlock none;
    ASSERT_EQ(ListMergeData(nullptr, 0, 9, "m", none, ui), kListed);
    EXPECT_TRUE(none.Exists());
    // A record running past its sector ends the listing.
    std::vector<uint8_t> over(256, 0);
    over[250] = 0;
    const uint8_t rec[] = {5, 0, 7, kPrint, 'A', 0};
    std::copy(std::begin(rec), std::end(rec), over.begin());
    over[6] = 252;
    TextBlock cut;
    ListMergeData(over.data(), over.size(), 1, "m", cut, ui);
    EXPECT_EQ(cut.Text(), "7 PRINT A\r\n");
    EXPECT_TRUE(ui.Silent());
}

TEST(ProgramLister, FileFormsRewindWhenNotAProgram)
{
    RecordingUi ui;
    std::FILE *file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::vector<uint8_t> bytes(128, 0);
    for (int i = 0; i < 600; ++i) {
        bytes.push_back(static_cast<uint8_t>(i));
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fseek(file, 128, SEEK_SET);
    TextBlock text;
    EXPECT_EQ(ListProgramImage(file, "x", text, ui), kListNotProgram);
    EXPECT_EQ(std::ftell(file), 128);
    EXPECT_EQ(ListLongProgram(file, "x", 2, text, ui), kListNotProgram);
    EXPECT_EQ(std::ftell(file), 128);
    std::fclose(file);
}

} // namespace
} // namespace kestrel
