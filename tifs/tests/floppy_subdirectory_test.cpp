#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/disk_check/disk_check.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/floppy_subdirectory.h"
#include "tifs/floppy/vib.h"
#include "tifs/location.h"
#include "tifs/tests/floppy_test_util.h"

namespace kestrel::testing
{
namespace
{

using FloppySubdirectory = FloppyFixture;

FloppyTarget Root(const std::string &path, uint64_t base = 0)
{
    FloppyTarget target;
    target.imagePath = path;
    target.base = base;
    return target;
}

std::string Name10(const std::string &name)
{
    return PadTiName(name);
}

CatalogEntry SubdirEntry(const Location &root, const std::string &name)
{
    for (const auto &entry : root.entries) {
        if (entry->ti.kind == kKindSubdir && entry->ti.tiName == Name10(name)) {
            return *entry;
        }
    }
    ADD_FAILURE() << "no subdirectory " << name;
    return CatalogEntry();
}

std::vector<std::string> TiNames(const Location &location)
{
    std::vector<std::string> names;
    for (const auto &entry : location.entries) {
        if (entry->ti.kind != kKindUpDir) {
            names.push_back(entry->ti.tiName);
        }
    }
    return names;
}

TEST_F(FloppySubdirectory, ThreeDirectoriesHoldFilesListAndCheckClean)
{
    const std::string path = NewImage(1);
    RecordingUi ui;
    const char *names[] = {"GAMES", "TOOLS", "DOCS"};
    uint16_t sectors[3] = {};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10(names[i]), ui, &sectors[i]))
            << ui.Errors().front();
    }
    // Each index sits in the FDR area, one after the other.
    EXPECT_EQ(sectors[0], 2);
    EXPECT_EQ(sectors[1], 3);
    EXPECT_EQ(sectors[2], 4);

    for (int i = 0; i < 3; ++i) {
        FloppyTarget inside = Root(path);
        inside.fdirSector = sectors[i];
        for (int f = 0; f < 2; ++f) {
            TiFileSpec fileSpec;
            fileSpec.tiName = std::string(names[i]).substr(0, 2) + "FILE" + std::to_string(f);
            fileSpec.sectors = static_cast<uint16_t>(3 + i + f);
            fileSpec.seed = static_cast<uint8_t>(10 * i + f);
            std::string pcPath;
            CatalogEntry entry = PcTiFile(fileSpec, pcPath);
            AddFileState state;
            ASSERT_EQ(AddFileToImage(inside, entry, pcPath, state, ui), kAddDone);
        }
    }
    TiFileSpec rootSpec;
    rootSpec.tiName = "README";
    std::string rootPc;
    CatalogEntry rootFile = PcTiFile(rootSpec, rootPc);
    AddFileState state;
    ASSERT_EQ(AddFileToImage(Root(path), rootFile, rootPc, state, ui), kAddDone);
    ASSERT_TRUE(ui.Silent());

    DiskCheckResult check;
    ASSERT_TRUE(CheckDiskImage(path, 0, check, ui));
    EXPECT_TRUE(check.Clean()) << check.findings.front();
    EXPECT_EQ(check.directories, 3u);
    EXPECT_EQ(check.files, 7u);

    Location root;
    ASSERT_TRUE(ListFloppyImage(root, path, 1, "", false, ui));
    EXPECT_EQ(TiNames(root), (std::vector<std::string>{Name10("GAMES"), Name10("TOOLS"),
                                                       Name10("DOCS"), Name10("README")}));
    for (int i = 0; i < 3; ++i) {
        CatalogEntry dir = SubdirEntry(root, names[i]);
        EXPECT_EQ(dir.ti.fdrSector, sectors[i]);
        Location sub;
        ASSERT_TRUE(ListFloppyImage(sub, path, dir.ti.fdrSector, names[i], true, ui));
        std::string prefix = std::string(names[i]).substr(0, 2);
        EXPECT_EQ(TiNames(sub),
                  (std::vector<std::string>{Name10(prefix + "FILE0"), Name10(prefix + "FILE1")}));
    }
}

TEST_F(FloppySubdirectory, RefusalsLeaveTheImageUntouched)
{
    const std::string path = NewImage(0);
    RecordingUi ui;
    TiFileSpec fileSpec;
    fileSpec.tiName = "HELLO";
    std::string pcPath;
    CatalogEntry file = PcTiFile(fileSpec, pcPath);
    AddFileState state;
    ASSERT_EQ(AddFileToImage(Root(path), file, pcPath, state, ui), kAddDone);
    ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10("ONE"), ui));
    const std::vector<uint8_t> before = ReadBytes(path);

    // A name taken by a subdirectory, and one taken by a file of the root.
    EXPECT_FALSE(CreateFloppySubdirectory(Root(path), Name10("ONE"), ui));
    EXPECT_EQ(ui.LastMessage(), 141);
    EXPECT_FALSE(CreateFloppySubdirectory(Root(path), Name10("HELLO"), ui));
    EXPECT_EQ(ui.LastMessage(), 36);
    // Only the root takes subdirectories.
    FloppyTarget inside = Root(path);
    inside.fdirSector = 3;
    EXPECT_FALSE(CreateFloppySubdirectory(inside, Name10("DEEP"), ui));
    EXPECT_EQ(ui.LastMessage(), 44);
    EXPECT_FALSE(CreateFloppySubdirectory(Root(path), std::string(10, ' '), ui));
    EXPECT_EQ(ui.LastMessage(), 45);
    EXPECT_EQ(ReadBytes(path), before);

    ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10("TWO"), ui));
    ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10("THREE"), ui));
    const std::vector<uint8_t> full = ReadBytes(path);
    EXPECT_FALSE(CreateFloppySubdirectory(Root(path), Name10("FOUR"), ui));
    EXPECT_EQ(ui.LastMessage(), 140);
    EXPECT_EQ(ReadBytes(path), full);
}

TEST_F(FloppySubdirectory, FullDiskRefusedWithDiskFull)
{
    const std::string path = NewImage(0);
    std::vector<uint8_t> image = ReadBytes(path);
    for (unsigned au = 0; au < 360; ++au) {
        MarkAu(image.data(), au, true);
    }
    ASSERT_TRUE(WriteBytes(path, image));
    RecordingUi ui;
    EXPECT_FALSE(CreateFloppySubdirectory(Root(path), Name10("NOROOM"), ui));
    EXPECT_EQ(ui.LastMessage(), 33);
    EXPECT_EQ(ReadBytes(path), image);
}

TEST_F(FloppySubdirectory, DeleteOnlyWhenEmptyAndGivesEverythingBack)
{
    const std::string path = NewImage(1);
    const std::vector<uint8_t> fresh = ReadBytes(path);
    RecordingUi ui;
    uint16_t sector = 0;
    ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10("WORK"), ui, &sector));
    Location root;
    ASSERT_TRUE(ListFloppyImage(root, path, 1, "", false, ui));
    CatalogEntry dir = SubdirEntry(root, "WORK");

    FloppyTarget inside = Root(path);
    inside.fdirSector = sector;
    TiFileSpec fileSpec;
    fileSpec.tiName = "NOTE";
    std::string pcPath;
    CatalogEntry file = PcTiFile(fileSpec, pcPath);
    AddFileState state;
    ASSERT_EQ(AddFileToImage(inside, file, pcPath, state, ui), kAddDone);
    const std::vector<uint8_t> withFile = ReadBytes(path);
    EXPECT_FALSE(DeleteFloppySubdirectory(Root(path), dir, ui));
    EXPECT_EQ(ui.LastMessage(), 142);
    EXPECT_EQ(ReadBytes(path), withFile);

    Location sub;
    ASSERT_TRUE(ListFloppyImage(sub, path, sector, "WORK", false, ui));
    ASSERT_EQ(sub.entries.size(), 1u);
    ASSERT_TRUE(DeleteFileFromImage(inside, *sub.entries[0], ui));
    ASSERT_TRUE(DeleteFloppySubdirectory(Root(path), dir, ui));
    // VIB (slot and bitmap) and root index are as on a disk that never had
    // the directory, and its index sector is refilled like a freed FDR.
    std::vector<uint8_t> after = ReadBytes(path);
    EXPECT_TRUE(std::equal(after.begin(), after.begin() + 512, fresh.begin()));
    for (size_t i = 0; i < 256; ++i) {
        ASSERT_EQ(after[sector * 256u + i], 0xE5) << i;
    }

    // A stale entry (the slot is gone) is told as missing.
    EXPECT_FALSE(DeleteFloppySubdirectory(Root(path), dir, ui));
    EXPECT_EQ(ui.LastMessage(), 143);
}

TEST_F(FloppySubdirectory, RenameKeepsTheIndexAndRefusesTakenNames)
{
    const std::string path = NewImage(1);
    RecordingUi ui;
    uint16_t sector = 0;
    ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10("OLD"), ui, &sector));
    ASSERT_TRUE(CreateFloppySubdirectory(Root(path), Name10("OTHER"), ui));
    Location root;
    ASSERT_TRUE(ListFloppyImage(root, path, 1, "", false, ui));
    CatalogEntry dir = SubdirEntry(root, "OLD");

    EXPECT_FALSE(RenameFloppySubdirectory(Root(path), dir, Name10("OTHER"), ui));
    EXPECT_EQ(ui.LastMessage(), 141);
    EXPECT_EQ(dir.ti.tiName, Name10("OLD"));

    ASSERT_TRUE(RenameFloppySubdirectory(Root(path), dir, Name10("NEW"), ui));
    EXPECT_EQ(dir.ti.tiName, Name10("NEW"));
    ASSERT_TRUE(ListFloppyImage(root, path, 1, "", false, ui));
    CatalogEntry renamed = SubdirEntry(root, "NEW");
    EXPECT_EQ(renamed.ti.fdrSector, sector);
    DiskCheckResult check;
    ASSERT_TRUE(CheckDiskImage(path, 0, check, ui));
    EXPECT_TRUE(check.Clean());
}

TEST_F(FloppySubdirectory, LargeAusAndVolumesAtABase)
{
    // 2880 sectors: two sectors per AU, the index takes the AU after the root's.
    const std::string big = NewImage(5, "big.dsk");
    RecordingUi ui;
    uint16_t sector = 0;
    ASSERT_TRUE(CreateFloppySubdirectory(Root(big), Name10("BIGDIR"), ui, &sector));
    EXPECT_EQ(sector, 2);
    DiskCheckResult check;
    ASSERT_TRUE(CheckDiskImage(big, 0, check, ui));
    EXPECT_TRUE(check.Clean()) << check.findings.front();

    // A card image: a 128-byte header, then two volumes of 1600 sectors.
    const std::string volume = NewImage(3, "vol.dsk");
    std::vector<uint8_t> card(128, 0);
    std::vector<uint8_t> one = ReadBytes(volume);
    card.insert(card.end(), one.begin(), one.end());
    card.insert(card.end(), one.begin(), one.end());
    const std::string cardPath = Path("card.cf7");
    ASSERT_TRUE(WriteBytes(cardPath, card));
    const uint64_t second = 128 + 1600ull * 256;
    ASSERT_TRUE(CreateFloppySubdirectory(Root(cardPath, second), Name10("INVOL2"), ui, &sector));
    std::vector<uint8_t> after = ReadBytes(cardPath);
    EXPECT_TRUE(std::equal(card.begin(), card.begin() + second, after.begin()));
    SubdirSlot slot = ReadSubdirSlot(after.data() + second, 0);
    EXPECT_TRUE(slot.used);
    EXPECT_EQ(slot.name, Name10("INVOL2"));
    EXPECT_EQ(slot.fdirSector, sector);
    ASSERT_TRUE(CheckDiskImage(cardPath, second, check, ui));
    EXPECT_TRUE(check.Clean()) << check.findings.front();
    EXPECT_EQ(check.directories, 1u);
}

TEST_F(FloppySubdirectory, TypedNamesTakeTheTiForm)
{
    EXPECT_EQ(FloppyDirectoryName("games"), Name10("GAMES"));
    EXPECT_EQ(FloppyDirectoryName("my dir"), Name10("MY_DIR"));
    EXPECT_EQ(FloppyDirectoryName("averyverylongname"), "AVERYVERYL");
    EXPECT_EQ(FloppyDirectoryName(".hidden"), "");
    EXPECT_EQ(FloppyDirectoryName(""), "");
}

} // namespace
} // namespace kestrel::testing
