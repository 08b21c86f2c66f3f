#include <algorithm>

#include "drives/drives_registration.h"
#include "drives/hd_file_ops.h"
#include "drives/hd_image_info.h"
#include "drives/hd_lister.h"
#include "drives/hd_location.h"
#include "drives/hd_recognizer.h"
#include "drives/new_hd_image.h"
#include "drives/partition_table.h"
#include "drives/tests/hd_test_support.h"
#include "tests/support/hd_image_builder.h"
#include "tifs/byte_order.h"
#include "tifs/catalog.h"
#include "tifs/floppy/save_as_ti_file.h"

namespace kestrel::testing
{
namespace
{

using HdListerTest = HdTest;

std::vector<const CatalogEntry *> Files(const Location &l)
{
    std::vector<const CatalogEntry *> out;
    for (const auto &e : l.entries) {
        if (IsTiFileKind(e->ti.kind)) {
            out.push_back(e.get());
        }
    }
    return out;
}

TEST_F(HdListerTest, EntriesCarryTheAusOfTheirRecordsInListOrder)
{
    RegisterDriveListers();
    HdVolumeLayout layout;
    layout.sectors = 8192; // 2 sectors per AU
    layout.sectorsPerAu = 2;
    std::vector<uint8_t> image = MakeHdImage(layout);
    HdVolumeView view(image, 0);
    // FDR AUs deliberately out of name order: the file index is sorted by name.
    view.AddProgram(0, 90, "ZED", 2100, std::vector<uint8_t>(10, 1));
    view.AddProgram(0, 70, "ALPHA", 2110, std::vector<uint8_t>(600, 2));
    view.AddProgram(0, 80, "MIDDLE", 2120, std::vector<uint8_t>(256, 3));
    view.AddSubdirectory(0, 60, 61, "UTIL");
    view.AddSubdirectory(0, 50, 51, "DOCS");
    ASSERT_TRUE(WriteHdImageFile(PathOf("hd.img"), image));

    Location l;
    l.path = l.startPath = Dir();
    ASSERT_TRUE(OpenLocation(l, ui));
    const CatalogEntry *img = FindEntryByName(l, "hd.img");
    ASSERT_NE(img, nullptr);
    EXPECT_EQ(img->ti.kind, kKindHdImage);
    EXPECT_EQ(img->imageSize, 8192u);
    l.sortOrder = kSortScanOrder;
    ASSERT_TRUE(OpenEntry(l, *img, ui));
    EXPECT_EQ(l.kind, kLocHdImage);
    EXPECT_EQ(l.hdLevel, 2);
    EXPECT_EQ(l.path, PathOf("hd.img"));
    ASSERT_EQ(l.entries.size(), 6u);
    EXPECT_EQ(l.entries[0]->ti.kind, kKindUpDir);

    const uint8_t *index = view.FileIndex(0);
    std::vector<const CatalogEntry *> files = Files(l);
    ASSERT_EQ(files.size(), 3u);
    for (size_t k = 0; k < files.size(); ++k) {
        uint16_t au = GetWordBE(index, 2 * k);
        EXPECT_EQ(files[k]->containerWords[1], au) << k;
        EXPECT_EQ(HdName(files[k]->ti.tiName),
                  HdName(std::string(reinterpret_cast<const char *>(view.Au(au)), 10)));
        EXPECT_EQ(files[k]->ti.fdrSector, au * 2);
        EXPECT_EQ(files[k]->containerWords[3], 2);
        EXPECT_EQ(files[k]->baseOffset, 0u);
        EXPECT_EQ(files[k]->containerKind, kKindHdImage);
    }
    EXPECT_EQ(HdName(files[0]->ti.tiName), "ALPHA");
    EXPECT_EQ(files[0]->ti.recordLength, 600); // PROGRAM: its size in bytes
    EXPECT_EQ(files[0]->ti.sectors, 3);

    std::vector<const CatalogEntry *> dirs;
    for (const auto &e : l.entries) {
        if (e->ti.kind == kKindSubdir)
            dirs.push_back(e.get());
    }
    ASSERT_EQ(dirs.size(), 2u);
    const uint8_t *vib = view.DirectoryRecord(0);
    for (size_t j = 0; j < dirs.size(); ++j) {
        EXPECT_EQ(dirs[j]->containerWords[1], GetWordBE(vib, 28 + 2 * j));
    }
    EXPECT_EQ(HdName(dirs[0]->ti.tiName), "DOCS");
    EXPECT_EQ(dirs[0]->containerWords[1], 50);

    // Into UTIL and back, with the path fields following.
    const CatalogEntry util = *dirs[1];
    ASSERT_TRUE(OpenEntry(l, util, ui));
    EXPECT_EQ(l.hdLevel, 3);
    EXPECT_EQ(l.innerPath, "UTIL");
    EXPECT_EQ(HdTiPath(l), ".UTIL.");
    ASSERT_EQ(l.entries.size(), 1u);
    EXPECT_EQ(l.entries[0]->containerWords[1], 0); // parent is the root
    ASSERT_TRUE(OpenEntry(l, *l.entries[0], ui));  // ".."
    EXPECT_EQ(l.hdLevel, 2);
    EXPECT_EQ(l.entries.size(), 6u);
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(HdListerTest, CopyInSaveBackAndDeleteRestoreTheFreeCount)
{
    RegisterDriveListers();
    NewHdImage d = DescribeNewHdImage("fresh", false, {"FRESH"}, {kNewHdMinSectors});
    Location pc;
    pc.path = pc.startPath = Dir();
    ASSERT_TRUE(CreateNewHdImage(ui, pc, d));
    const std::string image = PathOf("fresh.img");
    long freeBefore = HdFreeAus(image, 0);
    EXPECT_EQ(freeBefore, 32768 - 33); // sectors 0 to 65 in AUs 0 to 32

    std::vector<std::vector<uint8_t>> originals;
    originals.push_back(WriteTiFile("ONE", 3, false, 1));
    originals.push_back(WriteTiFile("TWO", 40, true, 2));
    ASSERT_TRUE(OpenLocation(pc, ui));
    const CatalogEntry *img = FindEntryByName(pc, "fresh.img");
    ASSERT_NE(img, nullptr);
    Location hd;
    hd.path = hd.startPath = Dir();
    ASSERT_TRUE(OpenLocation(hd, ui));
    ASSERT_TRUE(OpenEntry(hd, *FindEntryByName(hd, "fresh.img"), ui));
    EXPECT_EQ(CreateHdDirectory(ui, hd, "sub.dir"), 0);
    const CatalogEntry *sub = FindEntryByName(hd, "SUBDIR");
    ASSERT_NE(sub, nullptr);
    const CatalogEntry subEntry = *sub; // the listing below replaces the entries

    std::vector<const CatalogEntry *> sources = {FindEntryByName(pc, "ONE"),
                                                 FindEntryByName(pc, "TWO")};
    ASSERT_NE(sources[0], nullptr);
    ASSERT_NE(sources[1], nullptr);
    EXPECT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 2);
    ASSERT_TRUE(OpenEntry(hd, subEntry, ui));
    EXPECT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 2);
    EXPECT_TRUE(ui.Errors().empty());
    ASSERT_EQ(Files(hd).size(), 2u);

    // A second copy asks; No leaves the file, All answers the rest.
    ui.answers = {Answer::No, Answer::All};
    EXPECT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 1);
    ui.answers = {Answer::All};
    EXPECT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 2);
    ASSERT_EQ(ui.boxes.size(), 3u);
    EXPECT_EQ(ui.boxes[0].text, "HD image <ONE> allready exist. Overwrite?");

    ProgramSettings().extractTiFiles = true; // TIFILES headers, as the originals have
    for (const CatalogEntry *e : Files(hd)) {
        std::string target = PathOf("back_" + HdName(e->ti.tiName));
        ASSERT_TRUE(SaveEntryAsTiFile(hd, *e, target, ui));
        const auto &want = HdName(e->ti.tiName) == "ONE" ? originals[0] : originals[1];
        EXPECT_EQ(ReadAll(target), want) << e->ti.tiName;
    }
    EXPECT_EQ(DeleteHdEntries(ui, hd, Files(hd)), 2);
    EXPECT_TRUE(Files(hd).empty());
    ASSERT_TRUE(GoUp(hd, ui));
    EXPECT_EQ(hd.hdLevel, 2);
    EXPECT_EQ(DeleteHdEntries(ui, hd, Files(hd)), 2);
    std::vector<const CatalogEntry *> dirs = {FindEntryByName(hd, "SUBDIR")};
    EXPECT_EQ(DeleteHdEntries(ui, hd, dirs), 1);
    EXPECT_EQ(hd.entries.size(), 1u);
    UnloadHdLibrary(); // writes everything back
    EXPECT_EQ(HdFreeAus(image, 0), freeBefore);
    EXPECT_TRUE(ui.Errors().empty());
}

// A replaced file stays until its successor is whole beside it; on a volume without room for
// both the old one goes first. Either way the new contents end under the old name, with no
// side file left and the old file's space given back.
TEST_F(HdListerTest, ReplacingWritesBesideTheOldFileAndFallsBackWhenThereIsNoRoom)
{
    RegisterDriveListers();
    NewHdImage d = DescribeNewHdImage("swap", false, {"SWAP"}, {kNewHdMinSectors});
    Location pc;
    pc.path = pc.startPath = Dir();
    ASSERT_TRUE(CreateNewHdImage(ui, pc, d));
    const std::string image = PathOf("swap.img");
    // 20,000 sectors twice do not fit in the 32,735 free AUs of one sector.
    for (uint16_t sectors : {uint16_t{5}, uint16_t{20000}}) {
        WriteTiFile("FILE", sectors, true, 1);
        ASSERT_TRUE(OpenLocation(pc, ui));
        Location hd;
        hd.path = hd.startPath = Dir();
        ASSERT_TRUE(OpenLocation(hd, ui));
        ASSERT_TRUE(OpenEntry(hd, *FindEntryByName(hd, "swap.img"), ui));
        std::vector<const CatalogEntry *> sources = {FindEntryByName(pc, "FILE")};
        ASSERT_NE(sources[0], nullptr);
        ui.answers = {Answer::All};
        ASSERT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 1);
        UnloadHdLibrary();
        const long freeWithOld = HdFreeAus(image, 0);

        const std::vector<uint8_t> replacement = WriteTiFile("FILE", sectors, true, 9);
        ASSERT_TRUE(OpenLocation(pc, ui));
        sources = {FindEntryByName(pc, "FILE")};
        ui.answers = {Answer::All};
        ASSERT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 1) << sectors;
        EXPECT_TRUE(ui.Errors().empty()) << ui.Errors()[0];
        RereadHdLocation(hd, ui);
        ASSERT_EQ(Files(hd).size(), 1u) << "no side file is left";
        ProgramSettings().extractTiFiles = true;
        const std::string back = PathOf("back" + std::to_string(sectors));
        ASSERT_TRUE(SaveEntryAsTiFile(hd, *Files(hd)[0], back, ui));
        ProgramSettings().extractTiFiles = false;
        EXPECT_EQ(ReadAll(back), replacement) << sectors;
        UnloadHdLibrary();
        EXPECT_EQ(HdFreeAus(image, 0), freeWithOld) << sectors;
        ASSERT_EQ(DeleteHdEntries(ui, hd, Files(hd)), 1);
        UnloadHdLibrary();
    }
}

// The copy reads its source in blocks of many sectors: a file longer than one block, a
// Classic99 file that ends inside its last sector and a file cut short after it was listed.
TEST_F(HdListerTest, CopyReadsWholeBlocksAndStopsAtAShortSource)
{
    RegisterDriveListers();
    Location pc;
    pc.path = pc.startPath = Dir();
    ASSERT_TRUE(CreateNewHdImage(
        ui, pc, DescribeNewHdImage("blocks", false, {"BLOCKS"}, {kNewHdMinSectors})));
    std::vector<uint8_t> big = WriteTiFile("BIG", 600, false, 3);
    std::vector<uint8_t> tail = WriteTiFile("TAIL", 2, false, 4);
    tail.resize(kHeaderSize + 256 + 44); // the Classic99 form: data ends inside sector 1
    std::filesystem::resize_file(PathOf("TAIL"), tail.size());
    WriteTiFile("CUT", 300, false, 5);
    ASSERT_TRUE(OpenLocation(pc, ui));
    const CatalogEntry *tailEntry = FindEntryByName(pc, "TAIL");
    ASSERT_NE(tailEntry, nullptr);
    ASSERT_EQ(tailEntry->ti.headerKind, kHeaderClassic99);
    std::filesystem::resize_file(PathOf("CUT"), kHeaderSize + 100 * 256);

    Location hd;
    hd.path = hd.startPath = Dir();
    ASSERT_TRUE(OpenLocation(hd, ui));
    ASSERT_TRUE(OpenEntry(hd, *FindEntryByName(hd, "blocks.img"), ui));
    std::vector<const CatalogEntry *> sources = {FindEntryByName(pc, "BIG"), tailEntry,
                                                 FindEntryByName(pc, "CUT")};
    EXPECT_EQ(CopyEntriesToHd(ui, hd, pc, sources), 2);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.LastMessage(), 6);
    EXPECT_NE(ui.Errors()[0].find("<100>"), std::string::npos) << ui.Errors()[0];

    ProgramSettings().extractTiFiles = true;
    const CatalogEntry *bigCopy = FindEntryByName(hd, "BIG");
    ASSERT_NE(bigCopy, nullptr);
    ASSERT_TRUE(SaveEntryAsTiFile(hd, *bigCopy, PathOf("big.back"), ui));
    EXPECT_EQ(ReadAll(PathOf("big.back")), big);
    const CatalogEntry *tailCopy = FindEntryByName(hd, "TAIL");
    ASSERT_NE(tailCopy, nullptr);
    ASSERT_TRUE(SaveEntryAsTiFile(hd, *tailCopy, PathOf("tail.back"), ui));
    std::vector<uint8_t> back = ReadAll(PathOf("tail.back"));
    ASSERT_EQ(back.size(), kHeaderSize + 512u);
    EXPECT_TRUE(std::equal(tail.begin() + kHeaderSize, tail.end(), back.begin() + kHeaderSize));
    EXPECT_TRUE(std::all_of(back.begin() + kHeaderSize + 300, back.end(),
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(HdListerTest, ProtectionAndDeleteOfAProtectedFile)
{
    HdVolumeLayout layout;
    std::vector<uint8_t> image = MakeHdImage(layout);
    HdVolumeView(image, 0).AddProgram(0, 70, "KEEP", 2100, std::vector<uint8_t>(100, 5));
    ASSERT_TRUE(WriteHdImageFile(PathOf("p.img"), image));
    RegisterDriveListers();
    Location l;
    l.path = l.startPath = Dir();
    ASSERT_TRUE(OpenLocation(l, ui));
    ASSERT_TRUE(OpenEntry(l, *FindEntryByName(l, "p.img"), ui));
    CatalogEntry keep = *FindEntryByName(l, "KEEP");
    keep.ti.flags |= kFlagProtected;
    ASSERT_TRUE(SetHdProtection(ui, l, keep));
    ASSERT_TRUE(RereadHdLocation(l, ui));
    EXPECT_TRUE(FindEntryByName(l, "KEEP")->ti.flags & kFlagProtected);
    EXPECT_EQ(DeleteHdEntries(ui, l, {FindEntryByName(l, "KEEP")}), 0);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Can't delete file <KEEP>\n\nDSR ERROR 1: Device or file is write protected");
    EXPECT_NE(FindEntryByName(l, "KEEP"), nullptr);
}

TEST(NewHdVib, SectorsPerAuFollowTheSize)
{
    uint8_t s[256];
    EncodeNewHdVib(s, 65536, "small");
    HdVolumeInfo info;
    ASSERT_TRUE(DecodeHdVib(s, info));
    EXPECT_EQ(info.sectorsPerAu, 2u);
    EXPECT_EQ(info.totalAus, 32768);
    EXPECT_EQ(info.fileIndexAu, 32);
    EXPECT_EQ(info.name, "SMALL     ");
    EXPECT_EQ(s[13], 100);
    EncodeNewHdVib(s, 1015808, "BIG");
    ASSERT_TRUE(DecodeHdVib(s, info));
    EXPECT_EQ(info.sectorsPerAu, 16u);
    EXPECT_EQ(info.totalAus, 63488);
    EXPECT_EQ(info.fileIndexAu, 4);
    EXPECT_EQ(NewHdSectorsPerAu(0xF800), 1u);
    EXPECT_EQ(NewHdSectorsPerAu(0xF801), 2u);
    EXPECT_EQ(NewHdSectorsPerAu(3 * 0xF800), 4u);
    EXPECT_EQ(NewHdSectorsPerAu(5 * 0xF800), 8u);
}

TEST(NewHdBitmap, SystemAreaAndTheTailAreUsed)
{
    // 16 sectors per AU: sectors 0 to 79 are AUs 0 to 4; AUs from 63488 on do not exist.
    std::vector<uint8_t> b = NewHdBitmap(1015808);
    EXPECT_EQ(b[0], 0xF8);
    EXPECT_EQ(b[1], 0x00);
    // AU 63488 is bitmap sector 32: nothing past the volume is left in 31 sectors.
    EXPECT_EQ(std::count(b.begin(), b.end(), 0xFF), 0);
    std::vector<uint8_t> small = NewHdBitmap(65536);
    // 32768 AUs: bitmap sectors 1 to 16 describe them, 17 to 31 are all used.
    EXPECT_EQ(small[16 * 256], 0xFF);
    EXPECT_EQ(small[15 * 256 + 255], 0x00);
    EXPECT_EQ(small[0], 0xFF);
    EXPECT_EQ(small[4], 0x80); // AUs 32 (sectors 64, 65) is the file index AU
    EXPECT_EQ(small[5], 0x00);
}

TEST_F(HdListerTest, TwoPartitionsGetOffsetsOneAndAfterTheFirst)
{
    NewHdImage d = DescribeNewHdImage("two", true, {"AAA", "BBB"}, {65536, 65536});
    ASSERT_EQ(d.volumes.size(), 2u);
    EXPECT_EQ(d.volumes[0].firstSector, 2u);
    EXPECT_EQ(d.volumes[1].firstSector, 65538u);
    ASSERT_TRUE(WriteNewHdImage(ui, PathOf("two.img"), d));
    std::vector<uint8_t> image = ReadAll(PathOf("two.img"));
    ASSERT_EQ(image.size(), (2 + 2 * 65536u) * 256);
    PartitionTable t;
    ASSERT_EQ(RecognizePartitionTable(image.data(), t), 12);
    EXPECT_EQ(t.offset[0], 1u);
    EXPECT_EQ(t.blocks[0], 32768u);
    EXPECT_EQ(t.offset[1], 32769u);
    EXPECT_EQ(t.blocks[1], 32768u);
    EXPECT_EQ(t.offset[2], 0u);
    EXPECT_EQ(t.totalBlocks, 65537u);
    EXPECT_TRUE(
        std::all_of(image.begin() + 256, image.begin() + 512, [](uint8_t c) { return !c; }));
    // The second volume's VIB and its copy at sector 32.
    const uint8_t *vib = image.data() + 65538u * 256;
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(vib), 10), "BBB       ");
    EXPECT_TRUE(std::equal(vib, vib + 32 * 256, vib + 32 * 256));

    HdVolumeInfo info[4];
    CatalogEntry whole;
    ASSERT_EQ(HdImageInfo(PathOf("two.img"), whole, info), 2);
    EXPECT_EQ(info[1].partitionOffset, 32769u);
    EXPECT_EQ(info[1].totalAus, 32768);
    EXPECT_EQ(HdFreeAus(PathOf("two.img"), 65538), 32768 - 33);

    RegisterDriveListers();
    Location l;
    l.path = l.startPath = Dir();
    ASSERT_TRUE(OpenLocation(l, ui));
    ASSERT_TRUE(OpenEntry(l, *FindEntryByName(l, "two.img"), ui));
    ASSERT_EQ(l.entries.size(), 3u);
    EXPECT_EQ(FindEntryByName(l, "BBB")->baseOffset, 65538u);
    EXPECT_TRUE(ui.Errors().empty());
}

TEST(PartitionTableRecognizer, AnUnusedPartitionBeforeAUsedOneIsInvalid)
{
    uint8_t s[256];
    uint32_t firsts[3] = {2, 100, 200};
    uint32_t sizes[3] = {98, 100, 100};
    EncodePartitionTable(s, firsts, sizes, 3);
    PartitionTable t;
    EXPECT_EQ(RecognizePartitionTable(s, t), 12);
    PutLongBE(s, 32, 0); // partition 2: offset 0, partition 3 still used
    EXPECT_EQ(RecognizePartitionTable(s, t), 0);
    EncodePartitionTable(s, firsts, sizes, 3);
    PutLongBE(s, 20, 100); // the total no longer holds partition 2
    EXPECT_EQ(RecognizePartitionTable(s, t), 0);
    EncodePartitionTable(s, firsts, sizes, 3);
    s[255] = 0;
    EXPECT_EQ(RecognizePartitionTable(s, t), 0);
    HdVolumeInfo info;
    EXPECT_EQ(RecognizeHdImage(s, true, info), 0);
}

TEST(HdRecognizer, RejectsImpossibleVibs)
{
    uint8_t s[256];
    EncodeNewHdVib(s, 65536, "X");
    HdVolumeInfo info;
    EXPECT_EQ(RecognizeHdImage(s, true, info), 13);
    EXPECT_EQ(info.imageSize, 65536u);
    uint8_t bad[256];
    std::copy(s, s + 256, bad);
    bad[22] = 128; // files
    EXPECT_EQ(RecognizeHdImage(bad, true, info), 0);
    std::copy(s, s + 256, bad);
    bad[23] = 115;
    EXPECT_EQ(RecognizeHdImage(bad, true, info), 0);
    std::copy(s, s + 256, bad);
    PutWordBE(bad, 10, 0xF801);
    EXPECT_EQ(RecognizeHdImage(bad, true, info), 0);
    std::copy(s, s + 256, bad);
    PutWordBE(bad, 24, 33);
    EXPECT_EQ(RecognizeHdImage(bad, true, info), 0);
}

TEST_F(HdListerTest, DamagedImagesAreReportedNotFollowed)
{
    RegisterDriveListers();
    // A table whose partition VIB is garbage lists nothing; a file cut after
    // sector 0 lists no partitions; neither crashes.
    std::vector<uint8_t> image(512, 0);
    uint32_t first[1] = {2};
    uint32_t size[1] = {4096};
    EncodePartitionTable(image.data(), first, size, 1);
    ASSERT_TRUE(WriteHdImageFile(PathOf("cut.img"), image));
    Location l;
    l.path = l.startPath = Dir();
    ASSERT_TRUE(OpenLocation(l, ui));
    ASSERT_TRUE(OpenEntry(l, *FindEntryByName(l, "cut.img"), ui));
    EXPECT_EQ(l.entries.size(), 1u); // ".." only
    // A file chain that points outside the image is saved only as far as it goes.
    std::vector<uint8_t> hd = MakeHdImage(HdVolumeLayout());
    HdVolumeView view(hd, 0);
    view.AddProgram(0, 70, "LOST", 2100, std::vector<uint8_t>(600, 9));
    PutWordBE(view.Au(70), 40, 60000);
    PutWordBE(view.Au(70), 42, 60002);
    ASSERT_TRUE(WriteHdImageFile(PathOf("lost.img"), hd));
    Location h;
    h.path = h.startPath = Dir();
    ASSERT_TRUE(OpenLocation(h, ui));
    ASSERT_TRUE(OpenEntry(h, *FindEntryByName(h, "lost.img"), ui));
    ui.boxes.clear();
    EXPECT_FALSE(SaveEntryAsTiFile(h, *FindEntryByName(h, "LOST"), PathOf("lost.out"), ui));
    EXPECT_FALSE(ui.Errors().empty());
}

} // namespace
} // namespace kestrel::testing
