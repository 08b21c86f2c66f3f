// Card images and cards in (file-backed) drives: volume lists, volumes in and
// out as DSK images, new volumes and the mount record.
#include <filesystem>
#include <unistd.h>

#include "drives/cf7_card.h"
#include "drives/cf7_listing.h"
#include "drives/cf7_volume.h"
#include "drives/tests/cf7_test_support.h"
#include "tests/support/floppy_builder.h"
#include "tifs/location.h"

namespace kestrel::testing
{
namespace
{

using Cf7Listing = Cf7Test;
using Cf7Volume = Cf7Test;
using Cf7Mount = Cf7Test;

TEST_F(Cf7Listing, A128MbImageListsWholeVolumesOnly)
{
    const std::string path = PathOf("big.cf7");
    Bytes header = MakeCardImage(0);
    WriteFile(path, header);
    std::filesystem::resize_file(path, 128000000);
    RecordingUi ui;
    Location location;
    location.path = m_dir.string();
    ASSERT_TRUE(ListCf7Image(location, path, true, ui)) << ui.Errors().front();
    // (128000000 - 128) / 256 = 499999 sectors: 312 volumes and 799 sectors left over.
    ASSERT_EQ(location.entries.size(), 1u + 312u);
    EXPECT_EQ(location.entries[0]->ti.kind, kKindUpDir);
    EXPECT_EQ(location.entries.back()->pcName, "VOL #312");
    EXPECT_EQ(location.entries.back()->ti.tiName, "UNFORMATED");
    EXPECT_EQ(location.kind, kLocCf7Image);
    EXPECT_EQ(location.keptPath, m_dir.string());
}

TEST_F(Cf7Listing, VolumesShowDiskNameOrUnformatted)
{
    Bytes card = MakeCardImage(3);
    MakeVib(card.data() + Cf7ImageVolumeBase(2), "GAMES", 1600, 2, 40, 20);
    // Volume 3 has data but no VIB signature.
    std::memset(card.data() + Cf7ImageVolumeBase(3), 0xE5, 256);
    const std::string path = PathOf("card.cf7");
    WriteFile(path, card);
    RecordingUi ui;
    Location location;
    ASSERT_TRUE(ListCf7Image(location, path, false, ui));
    ASSERT_EQ(location.entries.size(), 3u);
    const CatalogEntry &games = *location.entries[1];
    EXPECT_EQ(games.pcName, "VOL #002");
    EXPECT_EQ(games.ti.tiName, "GAMES     ");
    EXPECT_EQ(games.ti.kind, kKindCf7ImageVolume);
    EXPECT_EQ(games.containerKind, kKindCf7ImageVolume);
    EXPECT_EQ(games.baseOffset, 1600u);
    EXPECT_EQ(games.disk.Get().totalSectors, 1600);
    EXPECT_EQ(location.entries[0]->ti.tiName, "UNFORMATED");
    EXPECT_EQ(location.entries[2]->ti.tiName, "UNFORMATED");
    EXPECT_EQ(location.entries[2]->disk.Get().totalSectors, 0);

    // The same card in a drive names its volumes with four digits.
    Bytes ti(card.begin() + kCf7HeaderSize, card.end());
    WriteFile(PathOf("drive.img"), MakePhysicalCard(3, &ti));
    platform::SetFileDrives({{PathOf("drive.img")}});
    Location drive;
    drive.path = m_dir.string();
    ASSERT_TRUE(ListCf7Drive(drive, 'D', ui));
    ASSERT_EQ(drive.entries.size(), 4u);
    EXPECT_EQ(drive.entries[2]->pcName, "VOL #0002");
    EXPECT_EQ(drive.entries[2]->ti.kind, kKindCf7DriveVolume);
    EXPECT_EQ(drive.entries[2]->ti.tiName, "GAMES     ");
    EXPECT_EQ(drive.path, "D: drive.img [2Mb]");
    EXPECT_EQ(drive.keptPath, m_dir.string());
}

TEST_F(Cf7Listing, VolumeFilesAndDamagedIndex)
{
    Bytes card = MakeCardImage(2);
    uint8_t *vol = card.data() + Cf7ImageVolumeBase(2);
    MakeVib(vol, "WORK", 1600, 2, 40, 20);
    PutWordBE(vol + 256, 0, 2);
    PutWordBE(vol + 256, 2, 1700); // beyond the volume
    std::memcpy(vol + 512, "HELLO     ", 10);
    vol[512 + 12] = 0x01; // PROGRAM
    PutWordBE(vol + 512, 14, 1);
    const std::string path = PathOf("card.cf7");
    WriteFile(path, card);
    RecordingUi ui;
    Location location;
    ASSERT_TRUE(ListCf7Image(location, path, false, ui));
    ASSERT_TRUE(ListCf7Volume(location, *location.entries[1], true, ui));
    EXPECT_EQ(location.kind, kLocCf7Volume);
    EXPECT_EQ(location.cf7Volume, 2);
    EXPECT_EQ(location.innerPath, "WORK");
    ASSERT_EQ(location.entries.size(), 2u);
    const CatalogEntry &file = *location.entries[1];
    EXPECT_EQ(file.pcName, "VOL #002->WORK");
    EXPECT_EQ(file.ti.tiName, "HELLO     ");
    EXPECT_EQ(file.ti.fdrSector, 2);
    EXPECT_EQ(file.containerKind, kKindCf7ImageVolume);
    EXPECT_EQ(file.baseOffset, Cf7ImageVolumeBase(2));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Disk error, filename <VOL #002->WORK>\n, fileno <1>, sector <1700>");
}

TEST_F(Cf7Volume, DskIntoVolumeOneOfDriveKeepsMountRecord)
{
    // Volume 1's VIB carries the card's mount record: DSK1 = 2, DSK2 = 1, DSK3 = 3.
    Bytes ti(3 * kCf7VolumeBytes, 0xE5);
    MakeVib(ti.data(), "OLD", 1600, 2, 40, 20);
    const uint8_t record[8] = {0xAA, 3, 0, 2, 0, 1, 0, 3};
    std::memcpy(ti.data() + 20, record, 8);
    const std::string drivePath = PathOf("drive.img");
    WriteFile(drivePath, MakePhysicalCard(3, &ti));
    Bytes dsk = MakeDsk("SMALL", 360, 1, 40, 9);
    const std::string dskPath = PathOf("small.dsk");
    WriteFile(dskPath, dsk);
    platform::SetFileDrives({{drivePath}});

    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenDrive('D', true, ui));
    DiskSummary summary;
    ASSERT_EQ(CopyDskToCf7Volume(card, 1, dskPath, ui, &summary), 0) << ui.Errors().front();
    ASSERT_TRUE(card.Finish(ui));
    EXPECT_EQ(summary.name, "SMALL     ");

    Bytes drive = ReadFile(drivePath);
    Bytes vib = EvenBytes(drive, 0);
    EXPECT_EQ(0, std::memcmp(vib.data() + 20, record, 8));
    EXPECT_EQ(GetWordBE(vib.data(), 10), 1600);
    EXPECT_EQ(0, std::memcmp(vib.data(), "SMALL     ", 10));
    // Sectors 360 to 1599 are free now; 0 and 1 stay used.
    EXPECT_EQ(vib[56], 0x03);
    for (size_t i = 56 + 45; i < 256; ++i) {
        ASSERT_EQ(vib[i], 0) << "bitmap byte " << i;
    }
    for (size_t j = 1; j < 512; j += 2) {
        ASSERT_EQ(drive[j], 0xE4);
    }
    for (uint64_t s = 1; s < 360; ++s) {
        ASSERT_EQ(EvenBytes(drive, s), Bytes(dsk.begin() + s * 256, dsk.begin() + (s + 1) * 256));
        ASSERT_EQ(drive[s * 512 + 1], 0xE5);
    }
    for (uint64_t s = 360; s < 1600; ++s) {
        for (size_t j = 0; j < 512; ++j) {
            ASSERT_EQ(drive[s * 512 + j], 0xE5) << "sector " << s;
        }
    }
    // Volume 2 is untouched.
    EXPECT_EQ(drive[1600 * 512 + 1], 0xE4);
}

TEST_F(Cf7Volume, Pc99SourceGoesInAsItsSectors)
{
    Bytes dsk = MakeDsk("TRACKS", 360, 1, 40, 9);
    WriteFile(PathOf("tracks.pc99"), MakePc99Image(dsk, 10, 40, 1));
    const std::string path = PathOf("card.cf7");
    WriteFile(path, MakeCardImage(1));
    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenImage(path, true, 2, ui));
    DiskSummary summary;
    ASSERT_EQ(CopyDskToCf7Volume(card, 1, PathOf("tracks.pc99"), ui, &summary), 0)
        << ui.Errors().front();
    ASSERT_TRUE(card.Finish(ui));
    EXPECT_EQ(summary.name, "TRACKS    ");
    Bytes bytes = ReadFile(path);
    EXPECT_EQ(GetWordBE(bytes.data() + 128, 10), 1600);
    EXPECT_EQ(0, std::memcmp(bytes.data() + 128 + 359 * 256, dsk.data() + 359 * 256, 256));
    EXPECT_EQ(bytes[128 + 360 * 256], 0xE5);
}

TEST_F(Cf7Volume, VolumeOutShrinksToItsGeometry)
{
    Bytes card = MakeCardImage(2);
    uint8_t *vol = card.data() + Cf7ImageVolumeBase(2);
    MakeVib(vol, "DSDD", 1600, 2, 40, 9);
    std::memset(vol + 20, 0x11, 36); // slot bytes that must not go out
    for (unsigned s = 1; s < 1600; ++s) {
        std::memset(vol + s * 256, static_cast<int>(s & 0xFF), 256);
    }
    const std::string path = PathOf("card.cf7");
    WriteFile(path, card);
    RecordingUi ui;
    Cf7Card source;
    ASSERT_TRUE(source.OpenImage(path, false, 1, ui));
    const std::string target = PathOf("DSDD.dsk");
    ASSERT_EQ(CopyCf7VolumeToDsk(source, 2, target, ui), 0);
    Bytes dsk = ReadFile(target);
    ASSERT_EQ(dsk.size(), 720u * 256);
    EXPECT_EQ(GetWordBE(dsk.data(), 10), 720);
    for (size_t i = 20; i < 56; ++i) {
        ASSERT_EQ(dsk[i], 0);
    }
    for (size_t i = 56 + 90; i < 256; ++i) {
        ASSERT_EQ(dsk[i], 0xFF);
    }
    EXPECT_EQ(dsk[719 * 256], 719 & 0xFF);

    // A sector in use beyond 720 keeps the whole volume.
    MarkAu(vol, 1000, true);
    WriteFile(path, card);
    ASSERT_TRUE(source.OpenImage(path, false, 1, ui));
    ui.answers.push_back(Answer::Yes);
    ASSERT_EQ(CopyCf7VolumeToDsk(source, 2, target, ui), 0);
    EXPECT_EQ(ReadFile(target).size(), 1600u * 256);
    EXPECT_EQ(GetWordBE(ReadFile(target).data(), 10), 1600);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "DSK image <DSDD.dsk> allready exist. Overwrite?");

    // No skips, Cancel stops the batch; the file stays as it was.
    ui.answers.push_back(Answer::No);
    EXPECT_EQ(CopyCf7VolumeToDsk(source, 2, target, ui), 0);
    ui.answers.push_back(Answer::Cancel);
    EXPECT_EQ(CopyCf7VolumeToDsk(source, 2, target, ui), 2);
    EXPECT_EQ(ReadFile(target).size(), 1600u * 256);
}

TEST_F(Cf7Volume, InitializeWritesEmptyVolume)
{
    const std::string path = PathOf("card.cf7");
    WriteFile(path, MakeCardImage(2));
    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenImage(path, true, 2, ui));
    DiskSummary summary;
    ASSERT_TRUE(InitializeCf7Volume(card, 2, "work", ui, summary));
    ASSERT_TRUE(card.Finish(ui));
    EXPECT_EQ(summary.name, "WORK      ");
    Bytes bytes = ReadFile(path);
    const uint8_t *vol = bytes.data() + Cf7ImageVolumeBase(2);
    DiskSummary decoded;
    ASSERT_EQ(DecodeVib(nullptr, vol, decoded), 9);
    EXPECT_EQ(decoded.totalSectors, 1600);
    EXPECT_EQ(decoded.free, 1598);
    EXPECT_EQ(vol[56], 0x03);
    for (size_t j = 0; j < 256; ++j) {
        ASSERT_EQ(vol[256 + j], 0);
        ASSERT_EQ(vol[1599 * 256 + j], 0xE5);
    }
    // Volume 1 and the header are left alone; a volume past the card is refused.
    EXPECT_EQ(bytes[kCf7HeaderSize], 0);
    ASSERT_TRUE(card.OpenImage(path, true, 2, ui));
    EXPECT_FALSE(InitializeCf7Volume(card, 3, "X", ui, summary));
    EXPECT_EQ(ui.Errors().back(), "Seek error in file <" + path + ">");
}

TEST_F(Cf7Mount, RecordInHeaderAndOnDrive)
{
    const uint8_t bad[8] = {0xAB, 3, 0, 1, 0, 2, 0, 3};
    const std::string path = PathOf("card.cf7");
    WriteFile(path, MakeCardImage(3, bad));
    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenImage(path, true, 3, ui));
    MountRecord mount;
    bool valid = true;
    ASSERT_TRUE(ReadCf7MountRecord(card, mount, valid, ui));
    EXPECT_FALSE(valid);
    EXPECT_EQ(mount, MountRecord{});

    MountRecord wanted;
    wanted.dsk[0] = 3;
    wanted.dsk[2] = 1;
    ASSERT_TRUE(WriteCf7MountRecord(card, wanted, ui));
    ASSERT_TRUE(ReadCf7MountRecord(card, mount, valid, ui));
    EXPECT_TRUE(valid);
    EXPECT_EQ(mount, wanted);
    card.Close();
    Bytes header = ReadFile(path);
    const uint8_t expected[8] = {0xAA, 3, 0, 3, 0, 0, 0, 1};
    EXPECT_EQ(0, std::memcmp(header.data() + 20, expected, 8));

    // A volume above the card's count is none.
    const uint8_t far[8] = {0xAA, 3, 0, 9, 0, 2, 0, 0};
    DecodeMountRecord(far, 3, mount);
    EXPECT_EQ(mount.dsk[0], 0);
    EXPECT_EQ(mount.dsk[1], 2);

    // On a drive only the even bytes 40 to 55 of sector 0 change.
    Bytes drive = MakePhysicalCard(2);
    const std::string drivePath = PathOf("drive.img");
    WriteFile(drivePath, drive);
    platform::SetFileDrives({{drivePath}});
    ASSERT_TRUE(card.OpenDrive('D', true, ui));
    ASSERT_TRUE(WriteCf7MountRecord(card, wanted, ui));
    ASSERT_TRUE(card.Finish(ui));
    Bytes after = ReadFile(drivePath);
    for (size_t j = 0; j < drive.size(); ++j) {
        if (j >= 40 && j < 56 && j % 2 == 0) {
            ASSERT_EQ(after[j], expected[(j - 40) / 2]);
        } else {
            ASSERT_EQ(after[j], drive[j]) << j;
        }
    }
    EXPECT_EQ(Cf7MountLine(12, "GAMES"), "VOL #012:      GAMES");
}

TEST_F(Cf7Volume, DriveTiBytesForTheFloppyCode)
{
    const std::string drivePath = PathOf("drive.img");
    WriteFile(drivePath, MakePhysicalCard(2));
    platform::SetFileDrives({{drivePath}});
    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenDrive('D', true, ui));
    ImageAccess &bytes = card.TiBytes();
    EXPECT_EQ(bytes.Size(), 3200u * 256);
    // Across the end of volume 1 into the VIB sector of volume 2.
    const uint8_t data[6] = {1, 2, 3, 4, 5, 6};
    const uint64_t at = 1600u * 256 - 3;
    ASSERT_TRUE(bytes.WriteAt(at, data, sizeof data));
    uint8_t back[6] = {};
    ASSERT_TRUE(bytes.ReadAt(at, back, sizeof back));
    EXPECT_EQ(0, std::memcmp(back, data, sizeof data));
    EXPECT_FALSE(bytes.ReadAt(bytes.Size() - 2, back, 4));
    EXPECT_FALSE(bytes.WriteAt(bytes.Size(), data, 1));
    ASSERT_TRUE(card.Finish(ui));
    Bytes drive = ReadFile(drivePath);
    EXPECT_EQ(drive[1599 * 512 + 2 * 253], 1);
    EXPECT_EQ(drive[1599 * 512 + 2 * 253 + 1], 0xE5);
    EXPECT_EQ(drive[1600 * 512 + 4], 6);
    EXPECT_EQ(drive[1600 * 512 + 5], 0xE4);
    EXPECT_EQ(drive[1600 * 512 + 6], 0xE5); // untouched TI byte 3
}

} // namespace
} // namespace kestrel::testing
