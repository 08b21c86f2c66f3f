// Backup and restore on file-backed drives: round trips, the mount record,
// the capacity check, Cancel and failing drives.
#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

#include "drives/backup_restore.h"
#include "drives/tests/cf7_test_support.h"
#include "tests/support/hd_image_builder.h"
#include "tifs/messages.h"

namespace kestrel::testing
{
namespace
{

using Backup = Cf7Test;

DriveItem ItemFor(char letter)
{
    for (const DriveItem &item : FindPhysicalDrives(kWantCards | kWantHardDisks)) {
        if (item.letter == letter) {
            return item;
        }
    }
    ADD_FAILURE() << "no drive " << letter;
    return {};
}

// Two volumes of a card whose volume 1 carries a mount record.
Bytes CardWithMountRecord()
{
    Bytes ti(2 * kCf7VolumeBytes);
    for (size_t i = 0; i < ti.size(); ++i) {
        ti[i] = static_cast<uint8_t>(i * 13 + i / 256);
    }
    MakeVib(ti.data(), "CARD", 1600, 2, 40, 20);
    const uint8_t record[8] = {0xAA, 3, 0, 2, 0, 0, 0, 1};
    std::memcpy(ti.data() + 20, record, 8);
    return MakePhysicalCard(2, &ti);
}

TEST_F(Backup, CardRoundTripMovesMountRecordThroughHeader)
{
    const Bytes original = CardWithMountRecord();
    WriteFile(PathOf("card.img"), original);
    WriteFile(PathOf("blank.img"), Bytes(original.size(), 0));
    platform::SetFileDrives({{PathOf("card.img")}, {PathOf("blank.img")}});
    RecordingUi ui;
    const std::string image = PathOf("backup.cf7");
    ASSERT_EQ(BackupDrive(ItemFor('D'), image, ui), BackupResult::Done) << ui.Errors().front();

    Bytes bytes = ReadFile(image);
    ASSERT_EQ(bytes.size(), 128u + 3200u * 256);
    EXPECT_EQ(0, std::memcmp(bytes.data(), "BACKUP    ", 10));
    EXPECT_TRUE(IsCf7ImageHeader(bytes.data()));
    const uint8_t record[8] = {0xAA, 3, 0, 2, 0, 0, 0, 1};
    EXPECT_EQ(0, std::memcmp(bytes.data() + 20, record, 8));
    for (size_t i = 0; i < 8; ++i) {
        ASSERT_EQ(bytes[128 + 20 + i], 0) << "VIB byte " << 20 + i;
    }
    EXPECT_EQ(Bytes(bytes.begin() + 128 + 256, bytes.begin() + 128 + 512), EvenBytes(original, 1));
    EXPECT_EQ(ui.statusTexts.front(), "reading sector 0 of 3200");
    EXPECT_EQ(ui.statusTexts.back(), "reading sector 3199 of 3200");

    ASSERT_EQ(RestoreDrive(image, 'E', true, ui), BackupResult::Done);
    EXPECT_TRUE(ReadFile(PathOf("blank.img")) == original);
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(Backup, PartitionedHardDiskRoundTripIsByteIdentical)
{
    Bytes disk = MakePartitionedHdImage({{4096, 0, "ONE"}, {2048, 0, "TWO"}});
    for (size_t i = 0; i < disk.size(); i += 97) {
        disk[i] ^= 0x5A; // data all over, the table and VIBs excepted below
    }
    Bytes fresh = MakePartitionedHdImage({{4096, 0, "ONE"}, {2048, 0, "TWO"}});
    std::memcpy(disk.data(), fresh.data(), 512);
    std::memcpy(disk.data() + 2 * 256, fresh.data() + 2 * 256, 256);
    // The drive is larger than the disk it holds.
    Bytes drive = disk;
    drive.resize(disk.size() + 64 * 512, 0x77);
    WriteFile(PathOf("hd.img"), drive);
    WriteFile(PathOf("other.img"), Bytes(drive.size(), 0x77));
    platform::SetFileDrives({{PathOf("hd.img")}, {PathOf("other.img")}});
    RecordingUi ui;
    const std::string image = PathOf("backup.img");
    DriveItem item = ItemFor('D');
    ASSERT_EQ(item.kind, kDriveHardDisk);
    ASSERT_EQ(BackupDrive(item, image, ui), BackupResult::Done);
    EXPECT_TRUE(ReadFile(image) == disk);
    ASSERT_EQ(RestoreDrive(image, 'E', false, ui), BackupResult::Done);
    EXPECT_TRUE(ReadFile(PathOf("other.img")) == drive);
    EXPECT_EQ(ui.statusTexts.back(), "writing sector 3072 of 3073");
}

TEST_F(Backup, RestoreThatDoesNotFitWritesNothing)
{
    Bytes disk = MakeHdImage({8192, 0, "BIG"});
    WriteFile(PathOf("big.img"), disk);
    const Bytes small(2000 * 512, 0x33);
    WriteFile(PathOf("small.img"), small);
    platform::SetFileDrives({{PathOf("small.img")}});
    RecordingUi ui;
    EXPECT_EQ(RestoreDrive(PathOf("big.img"), 'D', false, ui), BackupResult::Failed);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0].rfind("Not enough capacity on TI disk <D:> to restore image", 0), 0u);
    EXPECT_TRUE(ReadFile(PathOf("small.img")) == small);

    // A card image larger than the card, and a file that is no image at all.
    WriteFile(PathOf("card.cf7"), MakeCardImage(2));
    EXPECT_EQ(RestoreDrive(PathOf("card.cf7"), 'D', true, ui), BackupResult::Failed);
    EXPECT_EQ(ui.Errors().back().rfind("Not enough capacity", 0), 0u);
    WriteFile(PathOf("junk.bin"), Bytes(4096, 1));
    EXPECT_EQ(RestoreDrive(PathOf("junk.bin"), 'D', false, ui), BackupResult::Failed);
    EXPECT_EQ(ui.Errors().back(), "Can't read diskinfo from diskfile <" + PathOf("junk.bin") + ">");
    EXPECT_TRUE(ReadFile(PathOf("small.img")) == small);
}

TEST_F(Backup, CancelStopsAfterTheCurrentSectorAndClosesTheDrive)
{
    const Bytes original = CardWithMountRecord();
    WriteFile(PathOf("card.img"), original);
    platform::SetFileDrives({{PathOf("card.img")}});
    const std::string image = PathOf("backup.cf7");
    WriteFile(PathOf("old.cf7"), MakeCardImage(1));
    RecordingUi ui;
    ui.cancelAfterPumps = 5;
    EXPECT_EQ(BackupDrive(ItemFor('D'), image, ui), BackupResult::Cancelled);
    EXPECT_FALSE(std::filesystem::exists(image));
    EXPECT_FALSE(std::filesystem::exists(image + ".part"));

    // Restore of a card image cancelled after four sectors: those are written, but the
    // unfinished volume's first two still as an empty disk (no slots, no file index).
    Bytes card = MakeCardImage(2);
    std::memset(card.data() + 128, 0x42, card.size() - 128);
    WriteFile(image, card);
    RecordingUi restoreUi;
    restoreUi.cancelAfterPumps = 5;
    EXPECT_EQ(RestoreDrive(image, 'D', true, restoreUi), BackupResult::Cancelled);
    Bytes after = ReadFile(PathOf("card.img"));
    Bytes interim(256, 0x42);
    std::fill(interim.begin() + 20, interim.begin() + 56, 0);
    EXPECT_EQ(EvenBytes(after, 0), interim);
    EXPECT_EQ(EvenBytes(after, 1), Bytes(256, 0));
    for (uint64_t s = 2; s < 4; ++s) {
        ASSERT_EQ(EvenBytes(after, s), Bytes(256, 0x42)) << s;
    }
    EXPECT_EQ(EvenBytes(after, 4), EvenBytes(original, 4));
    // The lock is gone: the drive opens for writing again.
    platform::RawDisk disk;
    platform::RawDriveInfo info;
    ASSERT_TRUE(platform::FindRawDrive('D', info));
    int error = 0;
    EXPECT_TRUE(disk.Open(info, true, error));
    EXPECT_TRUE(disk.Locked());
}

TEST_F(Backup, FailingDrivesReportTheSystemsText)
{
    const Bytes original = CardWithMountRecord();
    const std::string drivePath = PathOf("card.img");
    WriteFile(drivePath, original);
    platform::SetFileDrives({{drivePath}});
    DriveItem item = ItemFor('D');
    // The medium shrinks after it was found.
    std::filesystem::resize_file(drivePath, 100 * 512);
    RecordingUi ui;
    EXPECT_EQ(BackupDrive(item, PathOf("backup.cf7"), ui), BackupResult::Failed);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't read sector <100> from TI disk <D:>\n\nERROR " +
                                  std::to_string(EIO) + ": " + SystemErrorText(EIO));

    // A drive that takes no writes: /dev/full reads as zeros and refuses them.
    platform::SetFileDrives({{"/dev/full"}});
    WriteFile(PathOf("hd.img"), MakeHdImage({4096, 0, "HD"}));
    RecordingUi writeUi;
    EXPECT_EQ(RestoreDrive(PathOf("hd.img"), 'D', false, writeUi), BackupResult::Failed);
    ASSERT_FALSE(writeUi.Errors().empty());
    EXPECT_EQ(writeUi.Errors().back(), "Can't write sector <0> to TI disk <D:>\n\nERROR " +
                                           std::to_string(ENOSPC) + ": " + SystemErrorText(ENOSPC));
}

TEST_F(Backup, ReadOnlyDriveFileRefusesTheRestore)
{
    const Bytes original = CardWithMountRecord();
    const std::string drivePath = PathOf("card.img");
    // A drive file without write permission (not for root, who may write anyway).
    WriteFile(drivePath, original);
    ::chmod(drivePath.c_str(), 0444);
    platform::SetFileDrives({{drivePath}});
    if (::access(drivePath.c_str(), W_OK) == 0) {
        GTEST_SKIP() << "the file stays writable for this user";
    }
    WriteFile(PathOf("card.cf7"), MakeCardImage(1));
    RecordingUi roUi;
    EXPECT_EQ(RestoreDrive(PathOf("card.cf7"), 'D', true, roUi), BackupResult::Failed);
    ASSERT_FALSE(roUi.Errors().empty());
    EXPECT_EQ(roUi.Errors().back(), "Can't write sector <0> to TI disk <D:>\n\nERROR " +
                                        std::to_string(EACCES) + ": " + SystemErrorText(EACCES));
    EXPECT_TRUE(ReadFile(drivePath) == original);
}

} // namespace
} // namespace kestrel::testing
