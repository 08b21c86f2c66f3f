// Backup and restore move the drive in blocks of 2048 sectors while Cancel,
// failures and progress still work sector by sector: these cases stop inside
// the second block, and check what the image file beside the target keeps.
#include <cerrno>
#include <filesystem>

#include "drives/backup_restore.h"
#include "drives/tests/cf7_test_support.h"
#include "tifs/messages.h"

namespace kestrel::testing
{
namespace
{

using BackupBlocks = Cf7Test;

DriveItem CardItem()
{
    for (const DriveItem &item : FindPhysicalDrives(kWantCards | kWantHardDisks)) {
        if (item.letter == 'D') {
            return item;
        }
    }
    ADD_FAILURE() << "no drive D";
    return {};
}

Bytes TwoVolumeCard()
{
    Bytes ti(2 * kCf7VolumeBytes);
    for (size_t i = 0; i < ti.size(); ++i) {
        ti[i] = static_cast<uint8_t>(i * 7 + i / 256);
    }
    MakeVib(ti.data(), "CARD", 1600, 2, 40, 20);
    return MakePhysicalCard(2, &ti);
}

size_t Entries(const std::filesystem::path &dir)
{
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                             std::filesystem::directory_iterator()));
}

TEST_F(BackupBlocks, AnExistingImageIsReplacedOnlyByACompleteBackup)
{
    WriteFile(PathOf("card.img"), TwoVolumeCard());
    platform::SetFileDrives({{PathOf("card.img")}});
    const std::string image = PathOf("backup.cf7");
    const Bytes old = MakeCardImage(1);
    WriteFile(image, old);
    WriteFile(image + ".part", Bytes(10, 0x11)); // the user's, whatever its name says
    RecordingUi cancelled;
    cancelled.cancelAfterPumps = 2100;
    EXPECT_EQ(BackupDrive(CardItem(), image, cancelled), BackupResult::Cancelled);
    EXPECT_TRUE(ReadFile(image) == old);

    // The medium shrinks after it was found: the read stops in the second block.
    DriveItem item = CardItem();
    std::filesystem::resize_file(PathOf("card.img"), 2100 * 512);
    RecordingUi failed;
    EXPECT_EQ(BackupDrive(item, image, failed), BackupResult::Failed);
    ASSERT_EQ(failed.Errors().size(), 1u);
    EXPECT_EQ(failed.Errors()[0], "Can't read sector <2100> from TI disk <D:>\n\nERROR " +
                                      std::to_string(EIO) + ": " + SystemErrorText(EIO));
    EXPECT_TRUE(ReadFile(image) == old);
    EXPECT_TRUE(ReadFile(image + ".part") == Bytes(10, 0x11));
    EXPECT_EQ(Entries(m_dir), 3u); // card.img, backup.cf7, backup.cf7.part: no side file left

    WriteFile(PathOf("card.img"), TwoVolumeCard());
    RecordingUi done;
    ASSERT_EQ(BackupDrive(CardItem(), image, done), BackupResult::Done);
    Bytes bytes = ReadFile(image);
    ASSERT_EQ(bytes.size(), 128u + 3200u * 256);
    EXPECT_EQ(Bytes(bytes.begin() + 128 + 2048 * 256, bytes.begin() + 128 + 2049 * 256),
              EvenBytes(TwoVolumeCard(), 2048));
    EXPECT_EQ(Entries(m_dir), 3u);
}

TEST_F(BackupBlocks, RestoreCancelledInTheSecondBlockHasWrittenEverySectorBefore)
{
    const Bytes original = TwoVolumeCard();
    WriteFile(PathOf("card.img"), original);
    platform::SetFileDrives({{PathOf("card.img")}});
    Bytes card = MakeCardImage(2);
    std::memset(card.data() + 128, 0x42, card.size() - 128);
    WriteFile(PathOf("image.cf7"), card);
    RecordingUi ui;
    ui.cancelAfterPumps = 2051; // sectors 0 to 2049 are handled, 2050 is not
    EXPECT_EQ(RestoreDrive(PathOf("image.cf7"), 'D', true, ui), BackupResult::Cancelled);
    Bytes after = ReadFile(PathOf("card.img"));
    for (uint64_t s : {uint64_t{0}, uint64_t{2047}, uint64_t{2048}, uint64_t{2049}}) {
        EXPECT_EQ(EvenBytes(after, s), Bytes(256, 0x42)) << s;
        EXPECT_EQ(after[s * 512 + 1], s == 0 ? 0xE4 : 0xE5) << s;
    }
    EXPECT_EQ(EvenBytes(after, 2050), EvenBytes(original, 2050));
}

} // namespace
} // namespace kestrel::testing
