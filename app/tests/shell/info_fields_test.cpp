#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/shell/info_fields.h"
#include "drives/new_hd_image.h"
#include "tests/support/recording_ui.h"

namespace kestrel::testing
{
namespace
{

std::string Field(const InfoFields &fields, int id)
{
    const std::string *text = FindField(fields, id);
    return text != nullptr ? *text : std::string("<absent>");
}

TEST(FontDescription, FaceSizeThenBoldAndItalicMarks)
{
    EXPECT_EQ(FontDescription("Courier New", -12, 700, true), "Courier New, 12, B, I");
    EXPECT_EQ(FontDescription("Courier New", -12, 400, false), "Courier New, 12");
    EXPECT_EQ(FontDescription("Mono", 15, 401, false), "Mono, 15, B");
    EXPECT_EQ(FontDescription("Mono", INT32_MIN, 400, false), "Mono, 2147483648");
}

TEST(FloppySectorsPerAu, NextTableEntryWhenNotAMultipleOf1600)
{
    EXPECT_EQ(FloppySectorsPerAu(1600), 1u);
    EXPECT_EQ(FloppySectorsPerAu(1601), 2u);
    EXPECT_EQ(FloppySectorsPerAu(3200), 2u);
    EXPECT_EQ(FloppySectorsPerAu(3201), 4u);
    EXPECT_EQ(FloppySectorsPerAu(0), 1u);
    // A total far beyond the bitmap still gives a size, not a read past the table.
    EXPECT_EQ(FloppySectorsPerAu(65535), 16u);
}

TEST(DiskInformation, ProtectionLetterAndSectorsPerAuFromTheSummary)
{
    CatalogEntry e;
    e.ti.kind = kKindDsk;
    e.disk.Edit().totalSectors = 1601;
    e.disk.Edit().protection = 'P';
    InfoFields f = DiskInformationFields(e);
    EXPECT_EQ(Field(f, 1010), "Yes");
    EXPECT_EQ(Field(f, 1011), "2");
    EXPECT_EQ(Field(f, 1002), "1601");
    e.disk.Edit().protection = 'p'; // only the capital letter protects
    EXPECT_EQ(Field(DiskInformationFields(e), 1010), "No");
}

CatalogEntry TiFile(uint16_t kind, uint16_t flags, uint16_t headerKind)
{
    CatalogEntry e;
    e.pcName = "HELLO";
    e.ti.tiName = "HELLO     ";
    e.ti.kind = kind;
    e.ti.flags = flags;
    e.ti.recordLength = 80;
    e.ti.recordsPerSector = 3;
    e.ti.headerKind = headerKind;
    return e;
}

TEST(FileInformation, ProgramSizeEmptyRecordsPerSectorAndTheV9t9Rule)
{
    Location pc;
    pc.kind = kLocPcDirectory;
    InfoFields f = FileInformationFields(pc, TiFile(kKindProgram, kFlagProgram, kHeaderV9t9));
    EXPECT_EQ(Field(f, kRecordLengthLabelId), "Program size");
    EXPECT_EQ(Field(f, 1019), "");
    EXPECT_EQ(Field(f, 1021), "Yes");
    InfoFields g = FileInformationFields(
        pc, TiFile(kKindDisVar, kFlagVariable | kFlagArchive, kHeaderTifiles));
    EXPECT_EQ(Field(g, kRecordLengthLabelId), "Record length");
    EXPECT_EQ(Field(g, 1019), "3");
    EXPECT_EQ(Field(g, 1021), "No");
    EXPECT_EQ(Field(g, 1018), "No");
    EXPECT_EQ(Field(g, 1024), "Yes");

    CatalogEntry member = TiFile(kKindDisFix, 0, kHeaderV9t9);
    member.archiveMember = 3;
    EXPECT_EQ(Field(FileInformationFields(pc, member), 1021), "No");
    // Inside an image there is neither a PC name nor a header to tell of.
    Location disk;
    disk.kind = kLocDskImage;
    InfoFields h = FileInformationFields(disk, TiFile(kKindDisFix, 0, kHeaderV9t9));
    EXPECT_EQ(Field(h, 1012), "<absent>");
    EXPECT_EQ(Field(h, 1021), "<absent>");
    EXPECT_EQ(Field(h, 1014), "HELLO     ");
    // A subdirectory shows its TI name and type, and nothing else.
    InfoFields sub = FileInformationFields(disk, TiFile(kKindSubdir, 0, kHeaderNone));
    EXPECT_EQ(Field(sub, 1016), "SUBDIR");
    EXPECT_EQ(Field(sub, 1015), "<absent>");
}

class ImageInformationTest : public ::testing::Test
{
protected:
    RecordingUi ui;
    std::filesystem::path dir;
    Location pc;

    void SetUp() override
    {
        char pattern[] = "/tmp/kestrel-info-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        pc.kind = kLocPcDirectory;
        pc.path = pc.startPath = dir.string();
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string PathOf(const char *name) const { return (dir / name).string(); }

    // Sets the bitmap bit of one AU of the volume that starts at firstSector.
    void MarkAu(const std::string &image, uint32_t firstSector, unsigned au)
    {
        std::fstream f(image, std::ios::in | std::ios::out | std::ios::binary);
        const std::streamoff at = (firstSector + 1 + au / 2048) * 256 + (au / 8) % 256;
        f.seekg(at);
        char byte = 0;
        f.read(&byte, 1);
        byte = static_cast<char>(byte | (0x80 >> (au % 8)));
        f.seekp(at);
        f.write(&byte, 1);
    }
};

TEST_F(ImageInformationTest, SingleVolumeFromItsVibAndBitmap)
{
    // 65536 sectors: 2 sectors per AU, 32768 AUs, AUs 0 to 32 hold the system area.
    NewHdImage d = DescribeNewHdImage("one", false, {"WORK"}, {65536});
    ASSERT_TRUE(WriteNewHdImage(ui, PathOf("one.img"), d));
    MarkAu(PathOf("one.img"), 0, 1000);
    CatalogEntry e;
    e.pcName = "one.img";
    e.ti.kind = kKindHdImage;
    e.imageSize = 65536;
    InfoFields f;
    ASSERT_TRUE(ImageInformationFields(ui, pc, e, f));
    EXPECT_TRUE(ui.Silent());
    EXPECT_EQ(Field(f, 1030), "one.img");
    EXPECT_EQ(Field(f, 1031), "65536");
    EXPECT_EQ(Field(f, 1032), "HDIMG");
    EXPECT_EQ(Field(f, 1033), "WORK      ");
    EXPECT_EQ(Field(f, 1044), ">8000");
    EXPECT_EQ(Field(f, 1038), "65536");
    EXPECT_EQ(Field(f, 1040), std::to_string(2 * (32768 - 34)));
    EXPECT_EQ(Field(f, 1042), std::to_string(2 * 34));
    // A single volume has no partition offset or size, and nothing of partition 2.
    EXPECT_EQ(Field(f, 1034), "<absent>");
    EXPECT_EQ(Field(f, 1046), "<absent>");
}

TEST_F(ImageInformationTest, PartitionsEachWithTheirOwnControls)
{
    NewHdImage d = DescribeNewHdImage("two", true, {"AAA", "BBB"}, {65536, 131072});
    ASSERT_TRUE(WriteNewHdImage(ui, PathOf("two.img"), d));
    MarkAu(PathOf("two.img"), 65538, 5000);
    CatalogEntry e;
    e.pcName = "two.img";
    e.ti.kind = kKindPartitionedImage;
    e.imageSize = 2 + 65536 + 131072;
    InfoFields f;
    ASSERT_TRUE(ImageInformationFields(ui, pc, e, f));
    EXPECT_EQ(Field(f, 1032), "PTIMG");
    EXPECT_EQ(Field(f, 1033), "AAA       ");
    EXPECT_EQ(Field(f, 1034), ">00000001");
    EXPECT_EQ(Field(f, 1036), ">00008000");
    // 131072 sectors: 4 sectors per AU, AUs 0 to 16 used, plus the one marked.
    EXPECT_EQ(Field(f, 1046), "BBB       ");
    EXPECT_EQ(Field(f, 1052), ">00008001");
    EXPECT_EQ(Field(f, 1063), ">00010000");
    EXPECT_EQ(Field(f, 1078), "4");
    EXPECT_EQ(Field(f, 1090), std::to_string(4 * (32768 - 18)));
    EXPECT_EQ(Field(f, 1072), std::to_string(4 * 18));
    EXPECT_EQ(Field(f, 1047), "<absent>"); // no partition 3

    // One partition as the partition list shows it: the image is the location.
    Location inside;
    inside.kind = kLocHdPartition;
    inside.path = PathOf("two.img");
    CatalogEntry part;
    part.pcName = PathOf("two.img");
    part.ti.kind = kKindHdImage;
    part.baseOffset = 65538;
    part.imageSize = 131072;
    EXPECT_EQ(ImageInformationPath(inside, part), PathOf("two.img"));
    InfoFields g;
    ASSERT_TRUE(ImageInformationFields(ui, inside, part, g));
    EXPECT_EQ(Field(g, 1033), "BBB       ");
    EXPECT_EQ(Field(g, 1034), ">00008001");
    EXPECT_EQ(Field(g, 1042), std::to_string(4 * 18));
    EXPECT_TRUE(ui.Silent());
}

TEST_F(ImageInformationTest, UnreadableImageGivesMessageOneAndKeepsTheFields)
{
    CatalogEntry e;
    e.pcName = "gone.img";
    e.ti.kind = kKindHdImage;
    InfoFields f = {{1030, "as before"}};
    EXPECT_FALSE(ImageInformationFields(ui, pc, e, f));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Can't open file for read <" + PathOf("gone.img") + ">", 0), 0u);
    EXPECT_EQ(ui.LastMessage(), 1);

    // An image cut short before its first sector ends is no better.
    std::ofstream(PathOf("short.img")) << "TOO SHORT";
    e.pcName = "short.img";
    EXPECT_FALSE(ImageInformationFields(ui, pc, e, f));
    ASSERT_EQ(ui.Errors().size(), 2u);
    EXPECT_EQ(ui.Errors()[1], "Can't open file for read <" + PathOf("short.img") + ">");
    ASSERT_EQ(f.size(), 1u);
    EXPECT_EQ(f[0].text, "as before");

    // A VIB whose bitmap is cut off: the figures, but no made-up free count.
    NewHdImage d = DescribeNewHdImage("cut", false, {"CUT"}, {65536});
    ASSERT_TRUE(WriteNewHdImage(ui, PathOf("cut.img"), d));
    std::filesystem::resize_file(PathOf("cut.img"), 256);
    e.pcName = "cut.img";
    ASSERT_TRUE(ImageInformationFields(ui, pc, e, f));
    EXPECT_EQ(Field(f, 1038), "65536");
    EXPECT_EQ(Field(f, 1040), "<absent>");
}

} // namespace
} // namespace kestrel::testing
