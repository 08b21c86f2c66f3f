#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "tifs/byte_order.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

std::vector<uint8_t> V9t9(const char *name, uint8_t flags, uint16_t sectors, uint8_t eof,
                          uint8_t recordLength)
{
    std::vector<uint8_t> h(256, 0);
    std::memcpy(h.data(), name, 10);
    h[fdr::kFlags] = flags;
    h[fdr::kRecordsPerSector] = 3;
    PutWordBE(h.data(), fdr::kSectors, sectors);
    h[fdr::kEofOffset] = eof;
    h[fdr::kRecordLength] = recordLength;
    PutWordLE(h.data(), fdr::kLevel3, 0x0102);
    return h;
}

TEST(TiHeader, FileTypesFromFlags)
{
    const struct {
        uint8_t flags;
        uint16_t kind;
    } cases[] = {
        {0x00, kKindDisFix},  {0x80, kKindDisVar},  {0x02, kKindIntFix},  {0x82, kKindIntVar},
        {0x01, kKindProgram}, {0x03, kKindUnknown}, {0x81, kKindUnknown}, {0x83, kKindUnknown},
        {0x88, kKindDisVar},  {0x18, kKindDisFix},
    };
    for (const auto &c : cases) {
        TiFileDescriptor d;
        d.flags = c.flags;
        DecodeFileType(d);
        EXPECT_EQ(d.kind, c.kind) << "flags " << int(c.flags);
    }
}

TEST(TiHeader, ProgramSizeFromSectorsAndEof)
{
    EXPECT_EQ(ProgramSize(3, 0x10), 528);
    EXPECT_EQ(ProgramSize(3, 0), 768);
    EXPECT_EQ(ProgramSize(0, 0x20), 0x20); // below 256: nothing to take off
    EXPECT_EQ(ProgramSize(256, 0), 0);     // 16-bit arithmetic wraps
    auto h = V9t9("PROG      ", kFlagProgram, 3, 0x10, 0);
    TiFileDescriptor d;
    ASSERT_TRUE(DecodeHeader(h.data(), "prog", false, d));
    EXPECT_EQ(d.kind, kKindProgram);
    EXPECT_EQ(d.recordLength, 528);
}

TEST(TiHeader, V9t9FieldsAndValidity)
{
    auto h = V9t9("HELLO     ", 0x80, 0x0203, 0x44, 80);
    TiFileDescriptor d;
    ASSERT_TRUE(DecodeHeader(h.data(), "x", false, d));
    EXPECT_EQ(d.headerKind, kHeaderV9t9);
    EXPECT_EQ(d.tiName, "HELLO     ");
    EXPECT_EQ(d.kind, kKindDisVar);
    EXPECT_EQ(d.sectors, 0x0203);
    EXPECT_EQ(d.eofOffset, 0x44);
    EXPECT_EQ(d.recordLength, 80);
    EXPECT_EQ(d.recordsPerSector, 3);
    EXPECT_EQ(d.level3Count, 0x0102);

    // All blanks is a valid name shown as "no_name!! ".
    auto blank = V9t9("          ", 0, 1, 0, 80);
    ASSERT_TRUE(DecodeHeader(blank.data(), "x", false, d));
    EXPECT_EQ(d.tiName, "no_name!! ");

    // A zero byte, an inner space, a dot or an unprintable byte: no TI file.
    for (const char *bad : {"AB\0DE     ", "AB CD     ", "A.B       ", "AB\x01       "}) {
        auto b = V9t9(bad, 0, 1, 0, 80);
        EXPECT_FALSE(DecodeHeader(b.data(), "x", false, d)) << bad;
    }
    // Trailing blanks of any kind after the name are fine.
    auto tab = V9t9("AB\t       ", 0, 1, 0, 80);
    EXPECT_TRUE(DecodeHeader(tab.data(), "x", false, d));
}

TEST(TiHeader, InvalidTypesAndFlags)
{
    TiFileDescriptor d;
    auto zeroLength = V9t9("FILE      ", 0x00, 1, 0, 0);
    EXPECT_FALSE(DecodeHeader(zeroLength.data(), "x", false, d));
    EXPECT_EQ(d.kind, kKindUnknown);
    for (uint8_t bit : {0x04, 0x20, 0x40}) {
        auto h = V9t9("FILE      ", bit, 1, 0, 80);
        EXPECT_FALSE(DecodeHeader(h.data(), "x", false, d)) << int(bit);
    }
    auto programVariable = V9t9("FILE      ", 0x81, 1, 0, 0);
    EXPECT_FALSE(DecodeHeader(programVariable.data(), "x", false, d));
    std::vector<uint8_t> ff(128, 0xFF);
    EXPECT_FALSE(DecodeHeader(ff.data(), "x", false, d));
}

TEST(TiHeader, TifilesNamesFromHeaderOrPcName)
{
    TiFileDescriptor d;
    d.tiName = "DATA";
    d.flags = kFlagVariable;
    d.recordLength = 80;
    d.sectors = 2;
    d.recordsPerSector = 3;
    d.level3Count = 2;
    d.eofOffset = 0x30;
    uint8_t h[128];
    MakeTifilesHeader(d, h);
    EXPECT_TRUE(HasTifilesMagic(h));
    EXPECT_EQ(h[16], 0xCA);
    EXPECT_EQ(h[127], 0x53);

    TiFileDescriptor out;
    ASSERT_TRUE(DecodeHeader(h, "hello.txt", false, out));
    EXPECT_EQ(out.headerKind, kHeaderTifiles);
    EXPECT_EQ(out.tiName, "hello     ");
    EXPECT_EQ(out.kind, kKindDisVar);
    EXPECT_EQ(out.sectors, 2);
    EXPECT_EQ(out.level3Count, 2);
    EXPECT_EQ(out.eofOffset, 0x30);

    // A PC name with top-bit bytes loses the top bit; a long one is cut at 10.
    ASSERT_TRUE(DecodeHeader(h, "\xC1VERYLONGNAME", false, out));
    EXPECT_EQ(out.tiName, "AVERYLONGN");

    // A stored name is cleaned: after a space everything is blank.
    std::memcpy(h + 16, "MY\xCDNAME X", 10);
    ASSERT_TRUE(DecodeHeader(h, "pc", false, out));
    EXPECT_EQ(out.tiName, "MYMNAME   ");
    // A stored name that starts blank falls back to the PC name.
    std::memcpy(h + 16, ".NAME     ", 10);
    ASSERT_TRUE(DecodeHeader(h, "pcname", false, out));
    EXPECT_EQ(out.tiName, "pcname    ");
    // Zero bytes 16 and 17 mean no name.
    std::memset(h + 16, 0, 10);
    ASSERT_TRUE(DecodeHeader(h, "zero", false, out));
    EXPECT_EQ(out.tiName, "zero      ");
}

TEST(TiHeader, FdrDescription)
{
    std::vector<uint8_t> fdr = V9t9("FILE      ", 0, 1, 0, 80);
    std::memcpy(fdr.data() + 220, "My text\x01!", 9);
    TiFileDescriptor d;
    ASSERT_TRUE(DecodeHeader(fdr.data(), "x", true, d));
    EXPECT_EQ(d.description, "My text.!");
    ASSERT_TRUE(DecodeHeader(fdr.data(), "x", false, d));
    EXPECT_EQ(d.description, "");

    fdr[217] = 1;
    EXPECT_EQ(FdrDescription(fdr.data()), "");
    fdr[217] = 0;
    fdr[220] = ' ';
    EXPECT_EQ(FdrDescription(fdr.data()), "");
    std::memset(fdr.data() + 220, 'X', 36); // runs to the end of the sector
    EXPECT_EQ(FdrDescription(fdr.data()), std::string(36, 'X'));
}

TEST(TiHeader, Classic99TestAndCorrection)
{
    TiFileDescriptor d;
    d.kind = kKindDisVar;
    d.sectors = 2;
    EXPECT_FALSE(IsClassic99(d, 512));
    d.sectors = 3;
    EXPECT_TRUE(IsClassic99(d, 512));
    d.sectors = 1;
    EXPECT_TRUE(IsClassic99(d, 172));

    TiFileDescriptor p;
    p.kind = kKindProgram;
    p.sectors = 1;
    EXPECT_FALSE(IsClassic99(p, 256));
    p.level3Count = 1;
    EXPECT_TRUE(IsClassic99(p, 256));

    uint8_t last[172] = {};
    last[40] = 0xFF;
    last[100] = 0xFF;
    d.level3Count = 9;
    d.eofOffset = 7;
    CorrectClassic99(d, 172, last, sizeof last);
    EXPECT_EQ(d.headerKind, kHeaderClassic99);
    EXPECT_EQ(d.sectors, 1);
    EXPECT_EQ(d.level3Count, 1);
    EXPECT_EQ(d.eofOffset, 40);
    EXPECT_EQ(Classic99LastSectorOffset(172), 128u);
    EXPECT_EQ(Classic99LastSectorOffset(513), 128u + 512);

    TiFileDescriptor f;
    f.kind = kKindIntFix;
    f.eofOffset = 9;
    CorrectClassic99(f, 600, nullptr, 0);
    EXPECT_EQ(f.sectors, 3);
    EXPECT_EQ(f.eofOffset, 0);

    p.recordsPerSector = 4;
    CorrectClassic99(p, 300, nullptr, 0);
    EXPECT_EQ(p.level3Count, 0);
    EXPECT_EQ(p.recordsPerSector, 0);

    TiFileDescriptor none;
    none.kind = kKindDisVar;
    CorrectClassic99(none, 0, nullptr, 0);
    EXPECT_EQ(none.sectors, 0);
    EXPECT_EQ(none.eofOffset, 0);
}

TEST(TiHeader, HeaderWritersRoundTrip)
{
    TiFileDescriptor d;
    d.tiName = "PROG";
    d.flags = kFlagProgram | kFlagProtected;
    d.sectors = 3;
    d.eofOffset = 0x10;
    d.recordLength = 528;
    uint8_t h[128];
    MakeV9t9Header(d, h);
    EXPECT_EQ(std::memcmp(h, "PROG      ", 10), 0);
    EXPECT_EQ(h[fdr::kRecordLength], 0);
    EXPECT_EQ(h[fdr::kFlags], kFlagProgram | kFlagProtected);
    TiFileDescriptor back;
    ASSERT_TRUE(DecodeHeader(h, "x", false, back));
    EXPECT_EQ(back.recordLength, 528);
    EXPECT_EQ(back.sectors, 3);

    // FDR -> TIFILES keeps every field and drops the name.
    MakeTifilesHeaderFromFdr(h);
    uint8_t direct[128];
    MakeTifilesHeader(d, direct);
    EXPECT_EQ(std::memcmp(h, direct, 128), 0);
}

TEST(TiNames, TiToPcName)
{
    EXPECT_EQ(TiNameToPcName("HELLO     ", false), "HELLO");
    EXPECT_EQ(TiNameToPcName("A:B/C*D   ", false), "A@B@C@D");
    EXPECT_EQ(TiNameToPcName("A:B       ", true), "A\xBA"
                                                  "B");
    EXPECT_EQ(TiNameToPcName("A/B       ", true), "A\xAF"
                                                  "B");
    EXPECT_EQ(TiNameToPcName("ABCDEFGHIJKL", false), "ABCDEFGHIJ");
    // Names that would mean this folder, its parent or nothing stay inside.
    EXPECT_EQ(TiNameToPcName("..        ", false), "@@");
    EXPECT_EQ(TiNameToPcName(".         ", false), "@");
    EXPECT_EQ(TiNameToPcName("          ", false), "@");
    EXPECT_EQ(TiNameToPcName("", false), "@");
    EXPECT_EQ(TiNameToPcName(std::string("A\0B", 3), false), "A@B");
    EXPECT_EQ(TiNameToPcName("...       ", false), "...");
}

TEST(TiNames, PcToTiName)
{
    EXPECT_EQ(PcNameToTiName("hello.txt"), "HELLO     ");
    EXPECT_EQ(PcNameToTiName("my file"), "MY_FILE   ");
    EXPECT_EQ(PcNameToTiName("averylongname"), "AVERYLONGN");
    EXPECT_EQ(PcNameToTiName(".profile"), "          ");
    EXPECT_EQ(CopyTiName(reinterpret_cast<const uint8_t *>(" DISK     ")), "no_name!! ");
}

} // namespace
} // namespace kestrel
