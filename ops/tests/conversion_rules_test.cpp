#include <gtest/gtest.h>

#include "ops/conversion_rules.h"
#include "ops/line_reader.h"
#include "ops/ti_to_pc.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

TiFileDescriptor Type(uint8_t flags, uint16_t length)
{
    TiFileDescriptor d;
    d.flags = flags;
    d.recordLength = length;
    return d;
}

TEST(PcToTiRules, ExtensionPicksTypeLengthAndMethod)
{
    const std::vector<std::string> lines = {"txt=dis/var 80, convertcrlftocr",
                                            "ASM=DIS/FIX 80,RemoveCrAndOrLf", "bin=program",
                                            "dat=int/var", "txt=dis/fix 1,binary"};
    PcToTiDefaults txt = FindPcToTiDefaults(lines, "readme.TXT");
    EXPECT_TRUE(txt.found);
    EXPECT_EQ(txt.typeFlags, 0x80);
    EXPECT_EQ(txt.recordLength, 80);
    EXPECT_EQ(txt.method, kPcTiLineEndToCr);
    PcToTiDefaults asmFile = FindPcToTiDefaults(lines, "src.asm");
    EXPECT_EQ(asmFile.typeFlags, 0x00);
    EXPECT_EQ(asmFile.method, kPcTiRemoveLineEnd);
    PcToTiDefaults bin = FindPcToTiDefaults(lines, "game.bin");
    EXPECT_EQ(bin.typeFlags, 0x01);
    EXPECT_EQ(bin.method, kPcTiBinary);
    // A line without length or method leaves those to be chosen.
    PcToTiDefaults dat = FindPcToTiDefaults(lines, "x.dat");
    EXPECT_EQ(dat.typeFlags, 0x82);
    EXPECT_EQ(dat.recordLength, 0);
    EXPECT_EQ(dat.method, 0);
    EXPECT_FALSE(FindPcToTiDefaults(lines, "noext").found);
    EXPECT_FALSE(FindPcToTiDefaults(lines, "x.doc").found);
}

TEST(TiToPcRules, TypeAndRecordLengthPickExtensionAndMethod)
{
    const std::vector<std::string> lines = {"DIS/VAR 80=.txt,AddCrLf", "dis/var 163=mrg,AddLf",
                                            "PROGRAM=prog", "INT/FIX 128=.dat5678,binary"};
    TiToPcDefaults v80 = FindTiToPcDefaults(lines, Type(0x80, 80));
    EXPECT_EQ(v80.extension, ".txt");
    EXPECT_EQ(v80.method, kTiPcAddCrLf);
    TiToPcDefaults v163 = FindTiToPcDefaults(lines, Type(0x80, 163));
    EXPECT_EQ(v163.extension, ".mrg");
    EXPECT_EQ(v163.method, kTiPcAddLf);
    TiToPcDefaults program = FindTiToPcDefaults(lines, Type(0x01, 0));
    EXPECT_EQ(program.extension, ".pro");
    EXPECT_EQ(program.method, kTiPcBinary);
    EXPECT_EQ(FindTiToPcDefaults(lines, Type(0x02, 128)).extension, ".dat");
    EXPECT_FALSE(FindTiToPcDefaults(lines, Type(0x80, 254)).found);
    EXPECT_FALSE(FindTiToPcDefaults(lines, Type(0x00, 80)).found);
}

TEST(ConversionRules, SectionIsReadIntoItsBufferOnly)
{
    std::vector<std::string> lines(40, std::string(20, 'k') + "=x");
    lines[0] = "txt=dis/var 80,binary";
    std::vector<std::string> kept = LimitRuleSection(lines);
    EXPECT_LT(kept.size(), lines.size());
    size_t bytes = 1;
    for (const auto &line : kept) {
        bytes += line.size() + 1;
    }
    EXPECT_LE(bytes, kRuleSectionLimit);
    EXPECT_EQ(PcToTiMethodFromKeyword(" ConvertCrLfToLf "), kPcTiLineEndToLf);
    EXPECT_EQ(TiToPcMethodFromKeyword("ADDLF"), kTiPcAddLf);
    EXPECT_EQ(TiToPcMethodFromKeyword("other"), -1);
}

} // namespace
} // namespace kestrel
