// PROGRAM, long-format and MERGE files, byte for byte.
#include "tokenizer_fixture.h"

#include <algorithm>

namespace kestrel::testing
{
namespace
{

uint16_t Word(const Bytes &b, size_t pos)
{
    return static_cast<uint16_t>(b.at(pos) << 8 | b.at(pos + 1));
}

Bytes Header(uint16_t sectors, uint8_t flags, uint8_t recs, uint8_t eof, uint8_t reclen,
             uint16_t level3)
{
    Bytes h(128, 0);
    const char magic[] = "\x07TIFILES";
    std::copy(magic, magic + 8, h.begin());
    h[8] = static_cast<uint8_t>(sectors >> 8);
    h[9] = static_cast<uint8_t>(sectors);
    h[10] = flags;
    h[11] = recs;
    h[12] = eof;
    h[13] = reclen;
    h[14] = static_cast<uint8_t>(level3);
    h[15] = static_cast<uint8_t>(level3 >> 8);
    return h;
}

Bytes HeaderOf(const Bytes &file)
{
    return Bytes(file.begin(), file.begin() + std::min<size_t>(128, file.size()));
}

// A REM line whose tokens are exactly `tokens` bytes long (at least 2).
std::string RemLine(int number, size_t tokens)
{
    return std::to_string(number) + " REM " + std::string(tokens - 2, 'x') + "\n";
}

using Writers = TokenizerTest;

TEST_F(Writers, TwoLineProgramImage)
{
    // Tokens of 3 bytes (PRINT A;) and 5 bytes (GOTO 10 + :: ).
    const TokenizerRun run = Run("10 PRINT A;\n20 GOTO 10::\n", true, false);
    ASSERT_EQ(run.rc, 0);
    ASSERT_EQ(run.program.size(), 128u + 256u);
    EXPECT_EQ(Hex(HeaderOf(run.program)), Hex(Header(1, 0x01, 0, 28, 0, 0)));
    const Bytes expected = {
        0x00, 0x0F, 0x37, 0xCB, 0x37, 0xC4, 0x37, 0xD7, // check, end, start, top
        0x00, 20,   0x37, 0xCD, 0x00, 10,   0x37, 0xD4, // table: line 20 first
        0x06, 0x86, 0xC9, 0x00, 10,   0x82, 0x00,       // line 20 at 0x37CC
        0x04, 0x9C, 'A',  0xB4, 0x00,                   // line 10 ends at top
    };
    EXPECT_EQ(Hex(Bytes(run.program.begin() + 128, run.program.begin() + 128 + 28)), Hex(expected));
    EXPECT_TRUE(std::all_of(run.program.begin() + 156, run.program.end(),
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(Writers, LinesAreWrittenInInputOrder)
{
    const TokenizerRun run = Run("30 A\n10 B\n20 C\n", true, true);
    ASSERT_EQ(run.rc, 0);
    const auto records = MergeRecords(run.merge);
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].line, 30);
    EXPECT_EQ(records[1].line, 10);
    EXPECT_EQ(records[2].line, 20);
    // Table entry 0 describes the last input line.
    const Bytes &p = run.program;
    EXPECT_EQ(Word(p, 128 + 8), 20);
    EXPECT_EQ(Word(p, 128 + 12), 10);
    EXPECT_EQ(Word(p, 128 + 16), 30);
    // The first input line's text ends at top.
    EXPECT_EQ(Word(p, 128 + 18), 0x37D7 - 1); // "A" and its 0 end at top
}

TEST_F(Writers, BodyOfExactlyTwoSectors)
{
    // 512 = 8 + 4 lines * 6 + 480 token bytes.
    std::string text;
    for (int i = 0; i < 4; ++i)
        text += RemLine(i + 1, 120);
    const TokenizerRun run = Run(text, true, false);
    ASSERT_EQ(run.rc, 0);
    EXPECT_EQ(run.program.size(), 128u + 512u);
    EXPECT_EQ(Hex(HeaderOf(run.program)), Hex(Header(2, 0x01, 0, 0, 0, 0)));
    EXPECT_EQ(Word(run.program, 128 + 4), 0x37D7 - 512 + 9); // tableStart
}

TEST_F(Writers, VdpLimitAndLongFormat)
{
    // 111 lines of 100 token bytes (106 each) and one of 3: exactly 0x2DFF.
    std::string text;
    for (int i = 0; i < 111; ++i)
        text += RemLine(i + 1, 100);
    TokenizerRun fits = Run(text + RemLine(200, 3), true, false);
    ASSERT_EQ(fits.rc, 0);
    EXPECT_EQ(fits.program[10], 0x01);
    EXPECT_EQ(Word(fits.program, 128 + 6), 0x37D7);
    EXPECT_EQ(
        std::count(fits.log.begin(), fits.log.end(), "Program requires 32k Extension to load."), 0);

    TokenizerRun big = Run(text + RemLine(200, 4), true, false);
    ASSERT_EQ(big.rc, 0);
    const size_t s = 0x2E00; // image without its header
    const size_t sectors = s / 254 + 2;
    ASSERT_EQ(big.program.size(), 128 + sectors * 256);
    EXPECT_EQ(Hex(HeaderOf(big.program)),
              Hex(Header(static_cast<uint16_t>(sectors), 0x82, 1, static_cast<uint8_t>(s % 254 + 1),
                         254, static_cast<uint16_t>(sectors))));
    const auto warn =
        std::find(big.log.begin(), big.log.end(),
                  "Warning: Program too large for VDP RAM, use Long Format for CPU RAM");
    ASSERT_NE(warn, big.log.end());
    ASSERT_NE(warn + 1, big.log.end());
    EXPECT_EQ(*(warn + 1), "Program requires 32k Extension to load.");

    // Record 1: AB CD, start, end, check, top FFE7; then 0xFF and zeros.
    const Bytes &f = big.program;
    const uint16_t start = Word(f, 128 + 3);
    const uint16_t end = Word(f, 128 + 5);
    EXPECT_EQ(f[128], 10);
    EXPECT_EQ(f[129], 0xAB);
    EXPECT_EQ(f[130], 0xCD);
    EXPECT_EQ(Word(f, 128 + 7), start ^ end);
    EXPECT_EQ(Word(f, 128 + 9), 0xFFE7);
    EXPECT_EQ(f[128 + 11], 0xFF);
    EXPECT_EQ(end - start + 1, 4 * 112);
    EXPECT_EQ(static_cast<size_t>(0xFFE7 - start + 1), s);

    // The records concatenated are the image from tableStart up.
    Bytes image;
    for (size_t sec = 1; sec < sectors; ++sec) {
        const size_t at = 128 + sec * 256;
        const size_t len = f[at];
        EXPECT_EQ(len, sec + 1 < sectors ? 254u : s % 254);
        EXPECT_EQ(f[at + 1 + len], 0xFF);
        image.insert(image.end(), f.begin() + at + 1, f.begin() + at + 1 + len);
    }
    ASSERT_EQ(image.size(), s);
    // Entry 0 (line 200) points behind its length byte; line 1 ends at top.
    EXPECT_EQ(Word(image, 0), 200);
    const uint16_t p0 = Word(image, 2);
    EXPECT_EQ(p0, end + 2);
    EXPECT_EQ(image[p0 - start - 1], 5);
    EXPECT_EQ(image[s - 1], 0);
    EXPECT_EQ(Word(image, 4 * 111), 1);
    EXPECT_EQ(Word(image, 4 * 111 + 2), 0xFFE7 - 100);
}

TEST_F(Writers, MergeFileLayout)
{
    const TokenizerRun run = Run("10 PRINT A;\n20 GOTO 10::\n", false, true);
    ASSERT_EQ(run.rc, 0);
    ASSERT_EQ(run.merge.size(), 128u + 256u);
    // Body: 7 + 9 bytes of records, the end record and its mark: 20 bytes.
    EXPECT_EQ(Hex(HeaderOf(run.merge)), Hex(Header(1, 0x80, 1, 19, 163, 1)));
    const Bytes body = {6,    0,    10, 0x9C, 'A',  0xB4, 0, 8,    0,    20,
                        0x86, 0xC9, 0,  10,   0x82, 0,    2, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Hex(Bytes(run.merge.begin() + 128, run.merge.begin() + 148)), Hex(body));
    EXPECT_TRUE(
        std::all_of(run.merge.begin() + 148, run.merge.end(), [](uint8_t b) { return b == 0; }));
}

TEST_F(Writers, MergeRecordMovesWhenNoRoomForTheMark)
{
    // First record 1 + 3 + 158 = 162 bytes; the second (94 bytes with its
    // length byte) would fill the sector to its last byte, leaving no room
    // for 0xFF, so it goes to the next sector.
    const TokenizerRun run = Run(RemLine(1, 158) + RemLine(2, 90), false, true);
    ASSERT_EQ(run.rc, 0);
    const Bytes &m = run.merge;
    ASSERT_EQ(m.size(), 128u + 512u);
    EXPECT_EQ(m[128 + 162], 0xFF);
    EXPECT_TRUE(std::all_of(m.begin() + 128 + 163, m.begin() + 128 + 256,
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(m[128 + 256], 93);
    EXPECT_EQ(Hex(HeaderOf(m)), Hex(Header(2, 0x80, 1, 97, 163, 2)));
    EXPECT_EQ(MergeRecords(m).size(), 2u);

    // One byte shorter fits, with the mark in the sector's last byte.
    const TokenizerRun fit = Run(RemLine(1, 158) + RemLine(2, 89), false, true);
    EXPECT_EQ(fit.merge[128 + 162], 92);
    EXPECT_EQ(fit.merge[128 + 255], 0xFF);
    // The end record follows the same rule and opens the second sector.
    EXPECT_EQ(fit.merge[128 + 256], 2);
}

TEST_F(Writers, EmptyTableGivesEndRecordOnlyAndNoProgram)
{
    const TokenizerRun run = Run("no numbers here\nnor here\n", true, true);
    EXPECT_EQ(run.rc, 40);
    ASSERT_EQ(run.merge.size(), 128u + 256u);
    EXPECT_EQ(Hex(HeaderOf(run.merge)), Hex(Header(1, 0x80, 1, 3, 163, 1)));
    EXPECT_EQ(Hex(Bytes(run.merge.begin() + 128, run.merge.begin() + 132)), "02 FF FF FF");
    EXPECT_NE(std::find(run.log.begin(), run.log.end(), "0 lines read."), run.log.end());
    EXPECT_NE(std::find(run.log.begin(), run.log.end(),
                        "Error writing PROGRAM-File " + PathOf("out.prg") + "."),
              run.log.end());
}

TEST_F(Writers, WriterFailures)
{
    // A record longer than 163 bytes is refused for MERGE but fits PROGRAM.
    TokenizerRun run = Run(RemLine(1, 161), true, true);
    EXPECT_EQ(run.rc, 30);
    EXPECT_FALSE(run.programWritten); // a MERGE failure stops the PROGRAM
    EXPECT_EQ(Run(RemLine(1, 160), false, true).rc, 0);
    EXPECT_EQ(Run(RemLine(1, 161), true, false).rc, 0);
    // A line of more than 253 token bytes does not fit a PROGRAM line.
    std::string many = "1 X=1";
    while (many.size() < 200)
        many += ",1";
    EXPECT_EQ(Run(many + "\n", true, false).rc, 40);
    // Line numbers above 65535.
    EXPECT_EQ(Run("70000 PRINT\n", false, true).rc, 30);
    EXPECT_EQ(Run("70000 PRINT\n", true, false).rc, 40);
    // Images and bodies above the 32 KiB work buffer.
    std::string big;
    for (int i = 0; i < 320; ++i)
        big += RemLine(i + 1, 100);
    EXPECT_EQ(Run(big, false, true).rc, 30);
    EXPECT_EQ(Run(big, true, false).rc, 40);
    // A program size above 65535 ends the conversion itself.
    std::string huge;
    for (int i = 0; i < 700; ++i)
        huge += RemLine(i + 1, 100);
    EXPECT_EQ(Run(huge, true, false).rc, 20);
}

} // namespace
} // namespace kestrel::testing
