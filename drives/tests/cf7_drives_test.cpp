// Finding drives: the size probe, the classification and the letters.
#include "drives/physical_drives.h"
#include "drives/tests/cf7_test_support.h"
#include "tests/support/hd_image_builder.h"

namespace kestrel::testing
{
namespace
{

using PhysicalDrives = Cf7Test;

TEST(DriveProbe, HalvingStepsFindTheLastSector)
{
    int reads = 0;
    auto upTo = [&reads](uint64_t size) {
        return [&reads, size](uint64_t n) {
            ++reads;
            return n < size;
        };
    };
    EXPECT_EQ(ProbeSectorCount(1024, upTo(1000)), 1000u);
    EXPECT_LT(reads, 40);
    EXPECT_EQ(ProbeSectorCount(1000, upTo(1000)), 1000u);
    EXPECT_EQ(ProbeSectorCount(62000, upTo(61999)), 61999u);
    // An estimate below the size never runs away.
    EXPECT_EQ(ProbeSectorCount(100, [](uint64_t) { return true; }) > 100, true);
}

TEST_F(PhysicalDrives, ClassifiesCardsHardDisksAndPcMedia)
{
    Bytes card = MakePhysicalCard(1);
    uint8_t vib[256];
    MakeVib(vib, "CARDVOL", 1600, 2, 40, 20);
    SpreadTiSector(vib, kCf7VibFiller, card.data());
    DriveItem item;
    ASSERT_TRUE(ClassifyDrive(card.data(), 15999999, kWantCards, item));
    EXPECT_EQ(item.kind, kDriveCf7);
    EXPECT_EQ(item.type, "CF7A+");
    EXPECT_EQ(item.label, "CARDVOL   ");
    // At 16000000 sectors a card is never offered, not even as a PC medium.
    EXPECT_FALSE(ClassifyDrive(card.data(), 16000000, kWantCards | kWantHardDisks, item));
    EXPECT_FALSE(ClassifyDrive(card.data(), 1600, kWantHardDisks, item));

    Bytes fat(512, 0);
    fat[38] = 0x29;
    std::memcpy(fat.data() + 43, "MYSTICK    FAT16   ", 19);
    fat[510] = 0x55;
    fat[511] = 0xAA;
    ASSERT_TRUE(ClassifyDrive(fat.data(), 2000000, kWantCards, item));
    EXPECT_EQ(item.kind, kDrivePcFormatted);
    EXPECT_EQ(item.type, "FAT16");
    EXPECT_EQ(item.label, "MYSTICK");

    Bytes hd = MakePartitionedHdImage({{8192, 0, "ONE"}, {4096, 0, "TWO"}});
    ASSERT_TRUE(ClassifyDrive(hd.data(), 100000, kWantHardDisks | kWantCards, item));
    EXPECT_EQ(item.kind, kDriveHardDisk);
    EXPECT_EQ(item.type, "HDIMG");
    // The table block and both partitions: (2 + 8192 + 4096) / 2 blocks.
    EXPECT_EQ(item.sectors, (2u + 8192u + 4096u) / 2);
}

TEST_F(PhysicalDrives, LettersFollowTheListAndTheMask)
{
    Bytes card = MakePhysicalCard(1);
    uint8_t vib[256];
    MakeVib(vib, "FIRST", 1600, 2, 40, 20);
    SpreadTiSector(vib, kCf7VibFiller, card.data());
    WriteFile(PathOf("a.img"), card);
    WriteFile(PathOf("b.img"), MakeHdImage({8192, 0, "HARD"}));
    WriteFile(PathOf("c.img"), Bytes(1000 * 512, 0));
    platform::SetFileDrives({{PathOf("a.img")}, {PathOf("b.img")}, {PathOf("c.img")}});

    std::vector<DriveItem> items = FindPhysicalDrives(kWantCards | kWantHardDisks);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].letter, 'D');
    EXPECT_EQ(items[0].kind, kDriveCf7);
    EXPECT_EQ(items[0].sectors, 1600u);
    EXPECT_EQ(items[1].letter, 'E');
    EXPECT_EQ(items[1].kind, kDriveHardDisk);
    EXPECT_EQ(items[1].sectors, 4096u);
    EXPECT_EQ(items[2].letter, 'F');
    EXPECT_EQ(items[2].kind, kDrivePcFormatted);
    EXPECT_EQ(items[2].sectors, 1000u);
    EXPECT_EQ(BackupDriveLine(items[0]), "D: CF7A+     [0Mb] [FIRST     ]");
    EXPECT_EQ(RestoreDriveLine(items[1]), "E: DSKIMG [2Mb] [HARD      ]");
    EXPECT_EQ(BackupDriveLine(items[2]), "F: FAT       [0Mb] [           ]");
    EXPECT_EQ(Cf7DriveLine(items[0]), "D: a.img [0Mb] [FIRST     ]");

    // Masking E out leaves F its letter.
    ProgramSettings().driveLetters = 0x3FFFFFB & ~(1u << ('E' - 'A'));
    items = FindPhysicalDrives(kWantCards | kWantHardDisks);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].letter, 'F');
    // Only hard disks wanted.
    ProgramSettings().driveLetters = 0x3FFFFFB;
    items = FindPhysicalDrives(kWantHardDisks);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].letter, 'E');
}

} // namespace
} // namespace kestrel::testing
