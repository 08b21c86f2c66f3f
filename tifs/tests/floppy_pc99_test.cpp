#include <cstring>

#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/pc99.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/tests/floppy_test_util.h"

namespace kestrel::testing
{
namespace
{

using FloppyPc99 = FloppyFixture;

// A DSSD disk with one file, as a sector dump and as a PC99 image.
std::vector<uint8_t> MakeDisk(FloppyFixture &f, std::string &image, std::string &source,
                              int preset = 1)
{
    image = f.NewImage(preset, "src.dsk");
    TiFileSpec fileSpec;
    fileSpec.tiName = "HELLO";
    fileSpec.sectors = 20;
    CatalogEntry entry = f.PcTiFile(fileSpec, source);
    RecordingUi ui;
    AddFileState state;
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    return ReadBytes(image);
}

TEST(FloppyPc99Place, SideOneRunsBackwards)
{
    const Pc99Geometry *sd = Pc99GeometryFor(10);
    uint64_t track = 0;
    unsigned sector = 0;
    ASSERT_TRUE(Pc99SectorPlace(*sd, 40, 360, track, sector));
    EXPECT_EQ(track, 79u);
    EXPECT_EQ(sector, 0u);
    ASSERT_TRUE(Pc99SectorPlace(*sd, 40, 719, track, sector));
    EXPECT_EQ(track, 40u);
    EXPECT_EQ(sector, 8u);
    EXPECT_FALSE(Pc99SectorPlace(*sd, 40, 720, track, sector));
}

TEST_F(FloppyPc99, ListsAndSavesLikeTheSectorDump)
{
    std::string image, source;
    for (int kind : {10, 11}) {
        int preset = kind == 10 ? 1 : 2;
        std::vector<uint8_t> dsk = MakeDisk(*this, image, source, preset);
        std::string pc99 = Path("disk" + std::to_string(kind) + ".pc99");
        std::vector<unsigned> order;
        if (kind == 10) {
            order = {0, 7, 5, 3, 1, 8, 6, 4, 2};
        }
        ASSERT_TRUE(WriteBytes(pc99, MakePc99Image(dsk, kind, 40, 2, order)));
        Location location;
        RecordingUi ui;
        ASSERT_TRUE(ListFloppyImage(location, pc99, 1, "", false, ui));
        EXPECT_EQ(location.kind, kLocPc99Image);
        ASSERT_EQ(location.entries.size(), 1u);
        EXPECT_EQ(location.entries[0]->containerKind, kind);
        std::string back = Path("back");
        ASSERT_TRUE(SaveEntryAsTiFile(location, *location.entries[0], back, ui));
        EXPECT_EQ(ReadBytes(back), ReadBytes(source));

        std::string converted = Path("conv.dsk");
        ASSERT_TRUE(ConvertPc99ToDsk(pc99, converted, ui));
        EXPECT_EQ(ReadBytes(converted), dsk);
        EXPECT_TRUE(ui.Silent());
    }
}

TEST_F(FloppyPc99, LayoutReportLines)
{
    std::string image, source;
    std::vector<uint8_t> dsk = MakeDisk(*this, image, source);
    std::string pc99 = Path("l.pc99");
    ASSERT_TRUE(WriteBytes(pc99, MakePc99Image(dsk, 10, 40, 2, {0, 7, 5, 3, 1, 8, 6, 4, 2})));
    std::string text;
    RecordingUi ui;
    ASSERT_TRUE(DiskLayoutReport(pc99, "l.pc99", text, ui));
    EXPECT_EQ(text.rfind("\tDisklayout of l.pc99\r\n\r\n\tSide Track Sectors\r\n\t-----", 0), 0u);
    EXPECT_NE(text.find("\r\n\t 0   00     00 07 05 03 01 08 06 04 02\r\n\t 0   01     00 07"),
              std::string::npos);
    EXPECT_NE(text.find("\t 1   39     00 07 05 03 01 08 06 04 02"), std::string::npos);
    EXPECT_EQ(DiskLayoutTitle("/x/l.pc99", ""), "Kestrel - /x/l.pc99");
}

TEST_F(FloppyPc99, ConvertingOntoItselfWritesNothing)
{
    std::string image, source;
    std::vector<uint8_t> dsk = MakeDisk(*this, image, source);
    std::string pc99 = Path("same.pc99");
    std::vector<uint8_t> bytes = MakePc99Image(dsk, 11, 40, 2);
    ASSERT_TRUE(WriteBytes(pc99, bytes));
    RecordingUi ui;
    EXPECT_FALSE(ConvertPc99ToDsk(pc99, pc99, ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't convert PC99 DSK-file to a TI99 DSK-file\nwith the same "
                              "name in the same directory");
    EXPECT_EQ(ReadBytes(pc99), bytes);
}

TEST_F(FloppyPc99, DamagedIdMarksStopAtTheSector)
{
    std::string image, source;
    std::vector<uint8_t> dsk = MakeDisk(*this, image, source);
    std::vector<uint8_t> bytes = MakePc99Image(dsk, 10, 40, 2);
    // Sector 34 (track 3, sector 7) holds the file's first data sector.
    bytes[Pc99IdMarkOffset(10, 3, 7)] = 0x00;
    std::string pc99 = Path("bad.pc99");
    ASSERT_TRUE(WriteBytes(pc99, bytes));
    Location location;
    RecordingUi ui;
    ASSERT_TRUE(ListFloppyImage(location, pc99, 1, "", false, ui));
    ASSERT_EQ(location.entries.size(), 1u);
    EXPECT_FALSE(SaveEntryAsTiFile(location, *location.entries[0], Path("o"), ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't read sector <34> from <" + pc99 + ">");
    EXPECT_FALSE(ConvertPc99ToDsk(pc99, Path("o.dsk"), ui));
    EXPECT_EQ(ReadBytes(Path("o.dsk")).size(), 34u * 256);

    // The first ID field damaged: the file is no PC99 image at all.
    bytes[Pc99IdMarkOffset(10, 0, 0)] = 0x00;
    ASSERT_TRUE(WriteBytes(pc99, bytes));
    RecordingUi r;
    EXPECT_FALSE(ListFloppyImage(location, pc99, 1, "", false, r));
    EXPECT_EQ(r.Errors().size(), 1u);
}

} // namespace
} // namespace kestrel::testing
