// The structure windows' contents: value forms, fields, lines and the links
// between floppy, hard-disk and card structures, on images built in code.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "drives/cf7_layout.h"
#include "drives/inspector/inspector_format.h"
#include "drives/inspector/inspector_view.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/hd_image_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{
namespace
{

class Inspector : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = std::filesystem::temp_directory_path() /
                ("kestrel_inspect_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string Dir() const { return m_dir.string(); }
    std::string PathOf(const std::string &name) const { return (m_dir / name).string(); }

    // Opens the first window of a file in the test folder as a pane would.
    bool Open(const std::string &name, uint16_t kind, InspectorView &view)
    {
        CatalogEntry entry;
        entry.pcName = name;
        entry.ti.kind = kind;
        return OpenInspectorView(Dir(), entry, ui, view);
    }

    // A DSSD disk with two files added through the floppy writer.
    std::string MakeFloppy()
    {
        const std::string image = PathOf("disk.dsk");
        EXPECT_EQ(WriteNewImage(*FindPreset(1), "INSPECT", image, ui), 0);
        AddFileState state;
        for (const char *name : {"BETA", "ALPHA"}) {
            TiFileSpec fileSpec;
            fileSpec.tiName = name;
            fileSpec.sectors = 3;
            const std::string source = PathOf(std::string(name) + ".v9t9");
            const std::vector<uint8_t> bytes = MakeTiFileBytes(fileSpec);
            EXPECT_TRUE(WriteBytes(source, bytes));
            CatalogEntry entry;
            entry.pcName = std::string(name) + ".v9t9";
            EXPECT_TRUE(DecodeHeader(bytes.data(), entry.pcName, false, entry.ti));
            EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
        }
        return image;
    }

    static const InspectorField *FieldAt(const InspectorView &view, int offset)
    {
        for (const InspectorField &field : view.fields)
            if (field.offset == offset)
                return &field;
        return nullptr;
    }

    bool Follow(const InspectorLink &link, InspectorView &view)
    {
        return FollowInspectorLink(link, ui, view);
    }

    RecordingUi ui;
    std::filesystem::path m_dir;
};

TEST(InspectorFormat, DateTimeAndBytesInTheirForms)
{
    uint8_t s[256] = {};
    // 13:45:58 on 99-12-31: hours 5 bits, minutes 6, seconds / 2 5; year 7, month 4, day 5.
    PutWordBE(s, 20, (13 << 11) | (45 << 5) | 29);
    PutWordBE(s, 22, (99 << 9) | (12 << 5) | 31);
    EXPECT_EQ(inspector::DateTimeText(s, 20), ">6DBDC79F (hms) 13:45:58 (ymd) 99-12-31");
    EXPECT_EQ(inspector::DateTimeText(s, 0), ">00000000 (hms) 00:00:00 (ymd) 00-00-00");
    s[1] = 0x07;
    s[2] = 'D';
    EXPECT_EQ(inspector::ByteCharText(s, 1), ">07 ( )");
    EXPECT_EQ(inspector::ByteCharText(s, 2), ">44 (D)");
    PutLongBE(s, 4, 0x0001F400);
    EXPECT_EQ(inspector::LongText(s, 4), ">0001F400");
    EXPECT_EQ(inspector::WordText(s, 255), ""); // never past the sector
    std::memcpy(s + 40, "AB CD\0   X", 10);
    EXPECT_EQ(inspector::NameText(s, 40), "AB CD    X");
    EXPECT_EQ(inspector::ShortName(s, 40), "AB");
}

TEST_F(Inspector, FloppyVibFileIndexFdrAndChain)
{
    MakeFloppy();
    InspectorView vib;
    ASSERT_TRUE(Open("disk.dsk", kKindDsk, vib));
    EXPECT_EQ(vib.caption, "FloppyDisk VIB - Sector >0000");
    EXPECT_EQ(FieldAt(vib, 0)->value, "INSPECT   ");
    EXPECT_EQ(FieldAt(vib, 10)->value, ">02D0");
    EXPECT_EQ(FieldAt(vib, 13)->value, ">44 (D)");
    EXPECT_EQ(FieldAt(vib, 15)->value, ">4B (K)");
    // An unused directory slot has a ">>" that cannot be followed.
    EXPECT_EQ(FieldAt(vib, 30)->link.target, InspectorLink::kStructure);
    EXPECT_FALSE(FieldAt(vib, 30)->link.enabled);
    const InspectorField *bitmap = FieldAt(vib, 56);
    ASSERT_EQ(bitmap->choices.size(), 200u);
    EXPECT_EQ(bitmap->choices.front().substr(0, 4), " >38");
    EXPECT_EQ(bitmap->choices.back(), " >FF        >FF"); // past the disk's end
    const InspectorField &root = vib.fields.back();
    ASSERT_TRUE(root.link.Followable());

    InspectorView fdir;
    ASSERT_TRUE(Follow(root.link, fdir));
    EXPECT_EQ(fdir.caption, "FloppyDisk FDIR - Sector >0001");
    ASSERT_EQ(fdir.lines.size(), 128u);
    const uint16_t alphaFdr = GetWordBE(fdir.sector, 0);
    const uint16_t betaFdr = GetWordBE(fdir.sector, 2);
    char expected[64];
    std::snprintf(expected, sizeof expected, " 000\t>%04X\tALPHA", alphaFdr);
    EXPECT_EQ(fdir.lines[0].text, expected);
    std::snprintf(expected, sizeof expected, " 002\t>%04X\tBETA", betaFdr);
    EXPECT_EQ(fdir.lines[1].text, expected);
    EXPECT_EQ(fdir.lines[2].text, " 004\t>0000");
    EXPECT_FALSE(fdir.lines[2].link.Followable());
    EXPECT_EQ(fdir.lines[127].text, " 254\t>0000");
    InspectorView same = vib; // a view may follow its own link into itself
    ASSERT_TRUE(Follow(same.fields.back().link, same));
    EXPECT_EQ(same.caption, fdir.caption);
    EXPECT_EQ(same.lines[0].text, fdir.lines[0].text);

    InspectorView fdr;
    ASSERT_TRUE(Follow(fdir.lines[0].link, fdr));
    std::snprintf(expected, sizeof expected, "FloppyDisk FDR - Sector >%04X", alphaFdr);
    EXPECT_EQ(fdr.caption, expected);
    EXPECT_EQ(FieldAt(fdr, 0)->value, "ALPHA     ");
    EXPECT_EQ(FieldAt(fdr, 14)->value, ">0003");
    ASSERT_EQ(fdr.lines.size(), 1u);
    const unsigned first = fdr.sector[28] + (fdr.sector[29] & 0x0F) * 256;
    std::snprintf(expected, sizeof expected, ">1C\t>%03X\t>002", first);
    EXPECT_EQ(fdr.lines[0].text, expected);
    const InspectorLink &chain = fdr.lines[0].link;
    ASSERT_EQ(chain.target, InspectorLink::kData);
    EXPECT_EQ(chain.data.firstAu, first);
    EXPECT_EQ(chain.data.auCount, 3u);
    EXPECT_FALSE(chain.data.offsetInBytes);
    EXPECT_EQ(chain.data.label, "ALPHA");
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(Inspector, FloppyChainClustersCountFromThePreviousOffset)
{
    std::vector<uint8_t> disk(360 * 256, 0);
    uint8_t *fdr = disk.data() + 5 * 256;
    std::memcpy(fdr, "SPLIT     ", 10);
    // Sectors 0-1 at 0x22, 2-4 at 0x30; then an entry whose offset goes back.
    const uint8_t chain[] = {0x22, 0x10, 0x00, 0x30, 0x40, 0x00, 0x40, 0x30, 0x00};
    std::memcpy(fdr + 28, chain, sizeof chain);
    ASSERT_TRUE(WriteBytes(PathOf("split.dsk"), disk));
    InspectorContext context;
    context.imagePath = PathOf("split.dsk");
    context.au = 5;
    InspectorLink link;
    link.target = InspectorLink::kStructure;
    link.kind = InspectorKind::FloppyFdr;
    link.context = context;
    InspectorView view;
    ASSERT_TRUE(Follow(link, view));
    ASSERT_EQ(view.lines.size(), 3u);
    EXPECT_EQ(view.lines[0].text, ">1C\t>022\t>001");
    EXPECT_EQ(view.lines[0].link.data.auCount, 2u);
    EXPECT_EQ(view.lines[1].text, ">1F\t>030\t>004");
    EXPECT_EQ(view.lines[1].link.data.auCount, 3u);
    EXPECT_FALSE(view.lines[2].link.Followable());
}

TEST_F(Inspector, HardDiskVibFileIndexFdrDdrAndChain)
{
    HdVolumeLayout layout;
    layout.sectors = 8192;
    layout.sectorsPerAu = 2;
    layout.label = "HDVOL";
    std::vector<uint8_t> image = MakeHdImage(layout);
    HdVolumeView volume(image, 0);
    volume.AddProgram(0, 40, "PROG", 2100, std::vector<uint8_t>(1000, 0x5A));
    volume.AddSubdirectory(0, 50, 51, "SUBDIR");
    ASSERT_TRUE(WriteHdImageFile(PathOf("hd.img"), image));

    InspectorView vib;
    ASSERT_TRUE(Open("hd.img", kKindHdImage, vib));
    EXPECT_EQ(vib.caption, "HardDisk VIB - Sector >0000");
    EXPECT_EQ(vib.context.sectorsPerAu, 2u); // from byte 16
    EXPECT_EQ(FieldAt(vib, 0)->value, "HDVOL     ");
    EXPECT_EQ(FieldAt(vib, 16)->value, ">1000");
    EXPECT_EQ(FieldAt(vib, 23)->value, ">01");
    ASSERT_EQ(vib.lines.size(), 1u);
    EXPECT_EQ(vib.lines[0].text, ">1C\t>0032\tSUBDIR    ");

    InspectorView ddr;
    ASSERT_TRUE(Follow(vib.lines[0].link, ddr));
    EXPECT_EQ(ddr.caption, "HardDisk DDR - AU >0032 - Sector >0064");
    EXPECT_EQ(FieldAt(ddr, 13)->value, ">44 (D)");
    EXPECT_EQ(FieldAt(ddr, 26)->label, "Parent directory descriptor record");
    EXPECT_EQ(ddr.context.sectorsPerAu, 2u); // a DDR keeps the volume's

    InspectorView fdir;
    ASSERT_TRUE(Follow(FieldAt(vib, 24)->link, fdir));
    EXPECT_EQ(fdir.caption, "HardDisk FDIR - AU >0020 - Sector >0040");
    ASSERT_EQ(fdir.lines.size(), 128u);
    EXPECT_EQ(fdir.lines[0].text, " 000\t>0028\tPROG");
    EXPECT_EQ(fdir.lines[1].text, " 002\t>0000");
    EXPECT_EQ(fdir.lines[127].text, " 254\t>0000\t");
    EXPECT_FALSE(fdir.lines[127].link.Followable());

    InspectorView fdr;
    ASSERT_TRUE(Follow(fdir.lines[0].link, fdr));
    EXPECT_EQ(fdr.caption, "HardDisk FDR - AU >0028 - Sector >0050");
    EXPECT_EQ(FieldAt(fdr, 28)->value, ">46 (F)");
    EXPECT_EQ(FieldAt(fdr, 29)->value, ">49 (I)");
    ASSERT_EQ(fdr.lines.size(), 1u);
    EXPECT_EQ(fdr.lines[0].text, ">28\t>0834\t>0835");
    const InspectorDataRange &data = fdr.lines[0].link.data;
    EXPECT_EQ(data.firstAu, 2100u);
    EXPECT_EQ(data.auCount, 2u);
    EXPECT_EQ(data.sectorsPerAu, 2u);
    EXPECT_EQ(data.baseOffset, 0u);
    EXPECT_FALSE(data.offsetInBytes);
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(Inspector, SubdirectoryListFollowsTheCountNotTheWords)
{
    std::vector<uint8_t> image = MakeHdImage(HdVolumeLayout{});
    PutWordBE(image.data(), 28, 0x0040); // a word without a count
    PutWordBE(image.data(), 30, 0x0041);
    ASSERT_TRUE(WriteHdImageFile(PathOf("zero.img"), image));
    InspectorView view;
    ASSERT_TRUE(Open("zero.img", kKindHdImage, view));
    EXPECT_TRUE(view.lines.empty());

    image[23] = 2;
    PutWordBE(image.data(), 28, 0);
    PutWordBE(image.data(), 24, 0);
    ASSERT_TRUE(WriteHdImageFile(PathOf("zero.img"), image));
    ASSERT_TRUE(Open("zero.img", kKindHdImage, view));
    ASSERT_EQ(view.lines.size(), 2u);
    EXPECT_EQ(view.lines[0].text, ">1C\t>0000\t**ERROR**");
    EXPECT_FALSE(view.lines[0].link.Followable());
    EXPECT_TRUE(view.lines[1].link.Followable());
    EXPECT_FALSE(FieldAt(view, 24)->link.Followable()); // no file index at AU 0
}

TEST_F(Inspector, PartitionTableLinksToEachVolumeAtTwiceItsOffset)
{
    HdVolumeLayout one;
    one.sectors = 4096;
    one.label = "FIRST";
    HdVolumeLayout two;
    two.sectors = 0x10000; // 2 sectors per AU
    two.label = "SECOND";
    std::vector<uint8_t> image = MakePartitionedHdImage({one, two});
    ASSERT_TRUE(WriteHdImageFile(PathOf("parts.img"), image));

    InspectorView table;
    ASSERT_TRUE(Open("parts.img", kKindPartitionedImage, table));
    EXPECT_EQ(table.caption, "HardDisk PTI - Sector >0000");
    EXPECT_EQ(FieldAt(table, 0)->value, "*TI99FSPT*");
    EXPECT_EQ(FieldAt(table, 14)->value, ">50 (P)");
    EXPECT_EQ(FieldAt(table, 24)->value, ">00000001");
    EXPECT_EQ(FieldAt(table, 32)->value, ">00000801");
    EXPECT_EQ(FieldAt(table, 254)->value, ">5AA5");
    EXPECT_TRUE(FieldAt(table, 24)->link.Followable());
    EXPECT_TRUE(FieldAt(table, 32)->link.Followable());
    EXPECT_FALSE(FieldAt(table, 40)->link.Followable()); // offset 0
    EXPECT_FALSE(FieldAt(table, 48)->link.Followable());

    InspectorView second;
    ASSERT_TRUE(Follow(FieldAt(table, 32)->link, second));
    EXPECT_EQ(second.caption, "HardDisk VIB - Sector >1002");
    EXPECT_EQ(second.context.base, 0x1002u);
    EXPECT_EQ(second.context.sectorsPerAu, 2u);
    EXPECT_EQ(FieldAt(second, 0)->value, "SECOND    ");
    InspectorView fdir;
    ASSERT_TRUE(Follow(FieldAt(second, 24)->link, fdir));
    EXPECT_EQ(fdir.caption, "HardDisk FDIR - AU >0020 - Sector >1042");

    // A partition whose size is 0 cannot be opened, even with an offset.
    PutLongBE(image.data(), 36, 0);
    ASSERT_TRUE(WriteHdImageFile(PathOf("parts.img"), image));
    ASSERT_TRUE(Open("parts.img", kKindPartitionedImage, table));
    EXPECT_EQ(FieldAt(table, 32)->link.target, InspectorLink::kStructure);
    EXPECT_FALSE(FieldAt(table, 32)->link.Followable());
    InspectorView none;
    EXPECT_FALSE(Follow(FieldAt(table, 32)->link, none));
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(Inspector, CardVolumeListAndAVolumesStructures)
{
    std::vector<uint8_t> card(kCf7HeaderSize + 3 * kCf7VolumeBytes + 1000, 0);
    std::memcpy(card.data(), "CARD", 4);
    uint8_t *vol2 = card.data() + Cf7ImageVolumeBase(2);
    BuildNewVib(*FindPreset(1), "VOLTWO", vol2);
    PutWordBE(vol2, 256, 7); // the root index names sector 7
    std::memcpy(vol2 + 7 * 256, "INNER     ", 10);
    ASSERT_TRUE(WriteBytes(PathOf("card.cf7"), card));

    InspectorView list;
    ASSERT_TRUE(Open("card.cf7", kKindCf7Image, list));
    EXPECT_EQ(list.caption, "Cf7a+ Volume list");
    ASSERT_EQ(list.lines.size(), 3u); // the 1000 bytes behind are no volume
    EXPECT_EQ(list.lines[0].text, " 0001\t000000\tUNFORMATED");
    EXPECT_EQ(list.lines[1].text, " 0002\t001600\tVOLTWO    ");
    EXPECT_EQ(list.lines[2].text, " 0003\t003200\tUNFORMATED");

    InspectorView vib;
    ASSERT_TRUE(Follow(list.lines[1].link, vib));
    EXPECT_EQ(vib.caption, "CF7a+ VIB - Volume 2 - Sector >0000");
    EXPECT_EQ(FieldAt(vib, 0)->value, "VOLTWO    ");
    InspectorView fdir;
    ASSERT_TRUE(Follow(vib.fields.back().link, fdir));
    EXPECT_EQ(fdir.caption, "CF7a+ FDIR - Volume 2 - Sector >0001");
    EXPECT_EQ(fdir.lines[0].text, " 000\t>0007\tINNER");
    InspectorView fdr;
    ASSERT_TRUE(Follow(fdir.lines[0].link, fdr));
    EXPECT_EQ(fdr.caption, "CF7a+ FDR - Volume 2 - Sector >0007");
    EXPECT_EQ(FieldAt(fdr, 0)->value, "INNER     ");
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(Inspector, ReadFailuresReportAndOpenNothing)
{
    ASSERT_TRUE(WriteBytes(PathOf("short.dsk"), std::vector<uint8_t>(100, 0)));
    InspectorView view;
    EXPECT_FALSE(Open("short.dsk", kKindDsk, view));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't read sector <0> from <" + PathOf("short.dsk") + ">");

    EXPECT_FALSE(Open("missing.img", kKindHdImage, view));
    ASSERT_EQ(ui.Errors().size(), 2u);
    EXPECT_EQ(ui.Errors()[1], "Can't open file for read <" + PathOf("missing.img") + ">");

    // Other kinds have no window and say nothing.
    EXPECT_FALSE(Open("short.dsk", kKindDisVar, view));
    EXPECT_FALSE(Open("short.dsk", kKindCf7ImageVolume, view));
    EXPECT_EQ(ui.Errors().size(), 2u);

    // A link past the end of a cut image names the image sector it wanted.
    std::vector<uint8_t> image = MakeHdImage(HdVolumeLayout{});
    image.resize(64 * 256);
    ASSERT_TRUE(WriteHdImageFile(PathOf("cut.img"), image));
    ASSERT_TRUE(Open("cut.img", kKindHdImage, view));
    InspectorView fdir;
    EXPECT_FALSE(Follow(FieldAt(view, 24)->link, fdir));
    ASSERT_EQ(ui.Errors().size(), 3u);
    EXPECT_EQ(ui.Errors()[2], "Can't read sector <64> from <" + PathOf("cut.img") + ">");
}

TEST_F(Inspector, RealFloppyImageOpensItsRootIndex)
{
    const std::filesystem::path dir = KESTREL_REALDATA;
    std::string found;
    std::error_code ec;
    for (const auto &item : std::filesystem::recursive_directory_iterator(dir, ec)) {
        const std::string ext = item.path().extension().string();
        if (item.is_regular_file() && (ext == ".dsk" || ext == ".DSK") &&
            item.file_size() >= 360 * 256) {
            found = item.path().string();
            break;
        }
    }
    if (found.empty())
        GTEST_SKIP() << "no floppy image in " << dir;
    CatalogEntry entry;
    entry.pcName = std::filesystem::path(found).filename().string();
    entry.ti.kind = kKindDsk;
    InspectorView vib;
    ASSERT_TRUE(
        OpenInspectorView(std::filesystem::path(found).parent_path().string(), entry, ui, vib));
    EXPECT_EQ(FieldAt(vib, 13)->value, ">44 (D)");
    InspectorView fdir;
    ASSERT_TRUE(Follow(vib.fields.back().link, fdir));
    ASSERT_FALSE(fdir.lines.empty());
    if (fdir.lines[0].link.Followable()) {
        InspectorView fdr;
        ASSERT_TRUE(Follow(fdir.lines[0].link, fdr));
        EXPECT_FALSE(fdr.lines.empty()); // a file on a real disk has a chain
    }
    EXPECT_TRUE(ui.Errors().empty());
}

} // namespace
} // namespace kestrel::testing
