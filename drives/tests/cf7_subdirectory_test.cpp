// Floppy subdirectories survive a DSK going into a card volume and back out:
// their slots stay whole while whatever else sits in VIB bytes 20 to 55 goes.
#include <cstring>

#include "drives/cf7_card.h"
#include "drives/cf7_volume.h"
#include "drives/tests/cf7_test_support.h"
#include "tests/support/floppy_builder.h"
#include "tifs/disk_check/disk_check.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/floppy_subdirectory.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location.h"
#include "tifs/ti_header.h"

namespace kestrel::testing
{
namespace
{

const char *const kDirs[] = {"GAMES", "TOOLS", "DOCS"};

FloppyTarget At(const std::string &path, uint16_t fdirSector = 1)
{
    FloppyTarget target;
    target.imagePath = path;
    target.fdirSector = fdirSector;
    return target;
}

class SubdirDisk : public Cf7Test
{
protected:
    // A new 360-sector DSK with count subdirectories made by the floppy
    // writer, each holding one file of its own, and one file at the root.
    std::string MakeDisk(int count)
    {
        const std::string path = PathOf("sub.dsk");
        RecordingUi ui;
        const FloppyPreset *preset = nullptr;
        for (int i = 0; i < kPresetCount && preset == nullptr; ++i) {
            const FloppyPreset *p = FindPreset(i);
            if (p != nullptr && p->totalSectors == 360) {
                preset = p;
            }
        }
        EXPECT_NE(preset, nullptr);
        EXPECT_EQ(WriteNewImage(*preset, "SUBS", path, ui), 0);
        for (int i = 0; i < count; ++i) {
            uint16_t sector = 0;
            EXPECT_TRUE(CreateFloppySubdirectory(At(path), PadTiName(kDirs[i]), ui, &sector));
            AddFile(At(path, sector), std::string(kDirs[i]).substr(0, 2) + "FILE", i + 2, ui);
        }
        AddFile(At(path), "README", 1, ui);
        EXPECT_TRUE(ui.Silent());
        return path;
    }

    void AddFile(const FloppyTarget &target, const std::string &name, int sectors, Ui &ui)
    {
        TiFileSpec fileSpec;
        fileSpec.tiName = name;
        fileSpec.sectors = static_cast<uint16_t>(sectors);
        fileSpec.seed = static_cast<uint8_t>(sectors * 3);
        const std::string pcPath = PathOf(name + ".v9t9");
        Bytes bytes = MakeTiFileBytes(fileSpec);
        WriteFile(pcPath, bytes);
        CatalogEntry entry;
        entry.pcName = name + ".v9t9";
        ASSERT_TRUE(DecodeHeader(bytes.data(), entry.pcName, false, entry.ti));
        AddFileState state;
        ASSERT_EQ(AddFileToImage(target, entry, pcPath, state, ui), kAddDone);
    }

    // Checks the disk at base of path: clean, with dirs subdirectories and
    // dirs + 1 files, each subdirectory listing its own file.
    void ExpectWhole(const std::string &path, uint64_t base, unsigned dirs)
    {
        RecordingUi ui;
        DiskCheckResult check;
        ASSERT_TRUE(CheckDiskImage(path, base, check, ui));
        EXPECT_TRUE(check.Clean()) << check.findings.front();
        EXPECT_EQ(check.directories, dirs);
        EXPECT_EQ(check.files, dirs + 1);
        if (base != 0) {
            return; // the listing of a card volume goes through the card's lister
        }
        Location root;
        ASSERT_TRUE(ListFloppyImage(root, path, 1, "", false, ui));
        unsigned seen = 0;
        for (const auto &entry : root.entries) {
            if (entry->ti.kind != kKindSubdir) {
                continue;
            }
            ++seen;
            Location sub;
            ASSERT_TRUE(ListFloppyImage(sub, path, entry->ti.fdrSector, "", false, ui));
            ASSERT_EQ(sub.entries.size(), 1u) << entry->ti.tiName;
            EXPECT_EQ(sub.entries[0]->ti.tiName.substr(0, 6),
                      entry->ti.tiName.substr(0, 2) + "FILE");
        }
        EXPECT_EQ(seen, dirs);
    }
};

TEST_F(SubdirDisk, DskIntoCardImageAndBackOutKeepsSubdirectories)
{
    const std::string dsk = MakeDisk(3);
    ExpectWhole(dsk, 0, 3);
    const std::string cardPath = PathOf("card.cf7");
    WriteFile(cardPath, MakeCardImage(2));

    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenImage(cardPath, true, 2, ui));
    ASSERT_EQ(CopyDskToCf7Volume(card, 2, dsk, ui), 0) << ui.Errors().front();
    ASSERT_TRUE(card.Finish(ui));
    ExpectWhole(cardPath, Cf7ImageVolumeBase(2), 3);

    const std::string out = PathOf("out.dsk");
    Cf7Card source;
    ASSERT_TRUE(source.OpenImage(cardPath, false, 2, ui));
    ASSERT_EQ(CopyCf7VolumeToDsk(source, 2, out, ui), 0) << ui.Errors().front();
    ASSERT_TRUE(source.Finish(ui));
    EXPECT_EQ(ReadFile(out), ReadFile(dsk));
    ExpectWhole(out, 0, 3);
}

TEST_F(SubdirDisk, JunkInTheSlotsIsStillCleared)
{
    const std::string dsk = MakeDisk(1);
    Bytes bytes = ReadFile(dsk);
    // Slot 1: a name with an index beyond the disk; slot 2: an unprintable name.
    uint8_t *slot1 = bytes.data() + vib::kSlots + vib::kSlotSize;
    std::memcpy(slot1, "FAR       ", 10);
    PutWordBE(slot1, 10, 360);
    uint8_t *slot2 = slot1 + vib::kSlotSize;
    std::memcpy(slot2, "\x01\x02OOPS     ", 10);
    PutWordBE(slot2, 10, 5);
    WriteFile(dsk, bytes);

    const std::string cardPath = PathOf("card.cf7");
    WriteFile(cardPath, MakeCardImage(1));
    RecordingUi ui;
    Cf7Card card;
    ASSERT_TRUE(card.OpenImage(cardPath, true, 2, ui));
    ASSERT_EQ(CopyDskToCf7Volume(card, 1, dsk, ui), 0);
    ASSERT_TRUE(card.Finish(ui));
    const Bytes written = ReadFile(cardPath);
    Bytes vib(written.begin() + kCf7HeaderSize, written.begin() + kCf7HeaderSize + 256);
    EXPECT_EQ(0, std::memcmp(vib.data() + vib::kSlots, bytes.data() + vib::kSlots, vib::kSlotSize));
    for (size_t i = vib::kSlots + vib::kSlotSize; i < vib::kBitmap; ++i) {
        ASSERT_EQ(vib[i], 0) << "VIB byte " << i;
    }
    ExpectWhole(cardPath, Cf7ImageVolumeBase(1), 1);
}

TEST_F(SubdirDisk, MountRecordOfDriveVolumeOneMakesRoomForSlotZero)
{
    const uint8_t record[8] = {0xAA, 3, 0, 2, 0, 1, 0, 0};
    Bytes ti(2 * kCf7VolumeBytes, 0xE5);
    MakeVib(ti.data(), "OLD", 1600, 2, 40, 20);
    std::memcpy(ti.data() + 20, record, 8);
    const std::string drivePath = PathOf("drive.img");
    WriteFile(drivePath, MakePhysicalCard(2, &ti));
    platform::SetFileDrives({{drivePath}});

    // Two subdirectories: slot 0's moves to the free slot 2.
    const std::string dsk = MakeDisk(2);
    const Bytes original = ReadFile(dsk);
    RecordingUi ui;
    {
        Cf7Card card;
        ASSERT_TRUE(card.OpenDrive('D', true, ui));
        ASSERT_EQ(CopyDskToCf7Volume(card, 1, dsk, ui), 0) << ui.Errors().front();
        ASSERT_TRUE(card.Finish(ui));
    }
    Bytes vib = EvenBytes(ReadFile(drivePath), 0);
    EXPECT_EQ(0, std::memcmp(vib.data() + 20, record, 8));
    EXPECT_EQ(0, std::memcmp(vib.data() + vib::kSlots + 2 * vib::kSlotSize,
                             original.data() + vib::kSlots, vib::kSlotSize));
    EXPECT_EQ(0, std::memcmp(vib.data() + vib::kSlots + vib::kSlotSize,
                             original.data() + vib::kSlots + vib::kSlotSize, vib::kSlotSize));

    // Out again: the record is no subdirectory and goes, both slots stay.
    const std::string out = PathOf("out.dsk");
    {
        Cf7Card card;
        ASSERT_TRUE(card.OpenDrive('D', false, ui));
        ASSERT_EQ(CopyCf7VolumeToDsk(card, 1, out, ui), 0) << ui.Errors().front();
        ASSERT_TRUE(card.Finish(ui));
    }
    Bytes back = ReadFile(out);
    for (size_t i = vib::kSlots; i < vib::kSlots + vib::kSlotSize; ++i) {
        ASSERT_EQ(back[i], 0) << "VIB byte " << i;
    }
    ExpectWhole(out, 0, 2);

    // Three subdirectories leave no room: they win over the mount record.
    std::filesystem::remove(dsk);
    const std::string full = MakeDisk(3);
    {
        Cf7Card card;
        ASSERT_TRUE(card.OpenDrive('D', true, ui));
        ASSERT_EQ(CopyDskToCf7Volume(card, 1, full, ui), 0) << ui.Errors().front();
        ASSERT_TRUE(card.Finish(ui));
    }
    vib = EvenBytes(ReadFile(drivePath), 0);
    const Bytes three = ReadFile(full);
    EXPECT_EQ(0, std::memcmp(vib.data() + vib::kSlots, three.data() + vib::kSlots,
                             vib::kSlotCount * vib::kSlotSize));
}

} // namespace
} // namespace kestrel::testing
