#include "tifs/disk_check/disk_repair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/pc99.h"
#include "tifs/floppy/pc99_sector_write.h"
#include "tifs/floppy/vib.h"
#include "tifs/tests/hand_disk.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::HandDisk;
using testing::Joined;

// Each file of the disk's root by name: the bytes its chain gives, as far
// as its size says and the chain can be read.
std::map<std::string, std::vector<uint8_t>> Contents(std::vector<uint8_t> &bytes)
{
    std::map<std::string, std::vector<uint8_t>> files;
    const unsigned total = GetWordBE(bytes.data(), vib::kTotalSectors);
    for (unsigned word = 0; word < 127; ++word) {
        const unsigned fdrSector = GetWordBE(bytes.data(), 256 + word * 2);
        if (fdrSector == 0) {
            break;
        }
        if (fdrSector < 2 || fdrSector >= total) {
            continue;
        }
        const uint8_t *fdr = bytes.data() + fdrSector * 256;
        ChainFormat format;
        format.limit = total;
        ChainResult chain;
        const unsigned size = GetWordBE(fdr, 14);
        DecodeDataChain(fdr, format, size, chain);
        std::vector<uint8_t> data;
        for (const Cluster &c : chain.clusters) {
            for (uint64_t s = c.first; s <= c.last && data.size() < size * 256u; ++s) {
                data.insert(data.end(), bytes.begin() + s * 256, bytes.begin() + s * 256 + 256);
            }
        }
        files[std::string(reinterpret_cast<const char *>(fdr), 10)] = data;
    }
    return files;
}

// Plans and applies the repair on the disk's bytes.
DiskRepairPlan Repair(HandDisk &disk)
{
    MemoryImage image(disk.Bytes());
    FloppyDisk floppy(image, 0, "hand.dsk");
    testing::RecordingUi ui;
    EXPECT_TRUE(floppy.Open(ui));
    DiskRepairPlan plan = PlanFloppyRepair(floppy, ui);
    EXPECT_TRUE(ApplyFloppyRepair(floppy, plan, ui));
    EXPECT_TRUE(ui.Silent());
    return plan;
}

std::string Lines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines) {
        text += line + "\n";
    }
    return text;
}

TEST(DiskRepair, ADiskThatChecksCleanIsNotTouched)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}, {40, 2}});
    disk.AddFile(1, 1, "BETA      ", 3, {{37, 3}});
    PutWordBE(disk.Sector(1), 200, 0x1234); // past the list's end: not the check's business
    const std::vector<uint8_t> before = disk.Bytes();
    ASSERT_TRUE(disk.Check().Clean());
    DiskRepairPlan plan = Repair(disk);
    EXPECT_TRUE(plan.Empty());
    EXPECT_EQ("", Lines(plan.changes));
    EXPECT_EQ(before, disk.Bytes());
}

TEST(DiskRepair, TheBitmapIsRebuiltFromTheFiles)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}}, false);
    MarkAu(disk.Sector(0), 2, true); // its FDR, but not its data
    MarkAu(disk.Sector(0), 100, true);
    const auto files = Contents(disk.Bytes());
    DiskRepairPlan plan = Repair(disk);
    EXPECT_EQ("The bitmap was rebuilt: 3 AUs marked used, 1 marked free\n", Lines(plan.changes));
    EXPECT_TRUE(disk.Check().Clean()) << Joined(disk.Check());
    EXPECT_EQ(files, Contents(disk.Bytes()));
    EXPECT_TRUE(IsAuUsed(disk.Sector(0), 399)); // beyond the disk: left as it was
}

TEST(DiskRepair, TheFileIndexLosesEntriesThatNameNoFileAndIsSorted)
{
    HandDisk disk;
    disk.AddFile(1, 0, "MIKE      ", 2, {{34, 2}});
    disk.AddFile(1, 1, "ALPHA     ", 3, {{36, 2}});
    PutWordBE(disk.Sector(1), 4, 400); // beyond the disk
    PutWordBE(disk.Sector(1), 6, 1);   // the index itself
    PutWordBE(disk.Sector(1), 8, 2);   // MIKE again
    PutWordBE(disk.Sector(1), 10, 9);  // a sector of zeros
    const auto files = Contents(disk.Bytes());
    DiskRepairPlan plan = Repair(disk);
    EXPECT_EQ("File index 1 entry 2 (sector 400) was dropped: it pointed outside the "
              "disk's file area\n"
              "File index 1 entry 3 (sector 1) was dropped: it pointed outside the disk's file "
              "area\n"
              "File index 1 entry 4 (sector 2) was dropped: it pointed at an FDR listed before\n"
              "File index 1 entry 5 (sector 9) was dropped: it pointed at no FDR\n"
              "File index 1 was put in name order\n",
              Lines(plan.changes));
    EXPECT_EQ(3u, GetWordBE(disk.Sector(1), 0));
    EXPECT_EQ(2u, GetWordBE(disk.Sector(1), 2));
    EXPECT_EQ(0u, GetWordBE(disk.Sector(1), 4));
    EXPECT_TRUE(disk.Check().Clean()) << Joined(disk.Check());
    auto after = Contents(disk.Bytes());
    EXPECT_EQ(files.at("ALPHA     "), after.at("ALPHA     "));
    EXPECT_EQ(files.at("MIKE      "), after.at("MIKE      "));
}

TEST(DiskRepair, AChainThatLeavesTheDiskIsCutToItsReadablePart)
{
    HandDisk disk;
    disk.AddFile(1, 0, "OMEGA     ", 2, {{34, 2}, {358, 4}}, false);
    MarkAu(disk.Sector(0), 2, true);
    MarkAu(disk.Sector(0), 34, true);
    MarkAu(disk.Sector(0), 35, true);
    const std::vector<uint8_t> firstTwo(disk.Bytes().begin() + 34 * 256,
                                        disk.Bytes().begin() + 36 * 256);
    DiskRepairPlan plan = Repair(disk);
    EXPECT_EQ("OMEGA: its chain was cut to the 2 sectors before its damaged entry 1\n"
              "OMEGA: its size was set from 6 to the 2 sectors it has\n"
              "OMEGA: its record count was set from 18 to the 6 its sectors hold\n",
              Lines(plan.changes));
    EXPECT_TRUE(disk.Check().Clean()) << Joined(disk.Check());
    EXPECT_EQ(firstTwo, Contents(disk.Bytes()).at("OMEGA     "));
}

TEST(DiskRepair, AChainThatLoopsIsCutWhereItTurnsBack)
{
    HandDisk disk;
    disk.AddFile(1, 0, "GAMMA     ", 2, {{50, 2}, {50, 2}});
    DiskRepairPlan plan = Repair(disk);
    EXPECT_NE(std::string::npos, Lines(plan.changes)
                                     .find("GAMMA: its chain was cut to the 2 "
                                           "sectors before its damaged entry 1"));
    EXPECT_TRUE(disk.Check().Clean()) << Joined(disk.Check());
    EXPECT_EQ(2u, GetWordBE(disk.Sector(2), 14));
}

TEST(DiskRepair, ARecordCountBeyondTheSectorsIsSetToWhatTheyHold)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ZZ        ", 2, {{40, 1}});
    PutWordLE(disk.Sector(2), 18, 7); // seven records of three a sector in one sector
    DiskRepairPlan plan = Repair(disk);
    EXPECT_EQ("ZZ: its record count was set from 7 to the 3 its sectors hold\n",
              Lines(plan.changes));
    EXPECT_TRUE(disk.Check().Clean()) << Joined(disk.Check());
}

TEST(DiskRepair, SharedSectorsAreCopiedSoThatEachFileOwnsItsOwn)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}});
    disk.AddFile(1, 1, "BETA      ", 3, {{36, 2}});
    for (unsigned s = 34; s < 38; ++s) {
        std::memset(disk.Sector(s), static_cast<int>(s), 256);
    }
    const auto files = Contents(disk.Bytes());
    DiskRepairPlan plan = Repair(disk);
    EXPECT_EQ("BETA: sector 36, also used elsewhere, was copied to sector 38\n"
              "The bitmap was rebuilt: 1 AUs marked used, 0 marked free\n",
              Lines(plan.changes));
    EXPECT_TRUE(disk.Check().Clean()) << Joined(disk.Check());
    EXPECT_EQ(files, Contents(disk.Bytes()));
}

TEST(DiskRepair, SharedSectorsWithoutRoomForCopiesAreReportedAndLeft)
{
    HandDisk disk;
    // ALPHA's chain takes every sector after the index, BETA's FDR included.
    disk.AddFile(1, 0, "ALPHA     ", 2, {{3, 357}});
    disk.AddFile(1, 1, "BETA      ", 300, {{10, 2}});
    const auto files = Contents(disk.Bytes());
    DiskRepairPlan plan = Repair(disk);
    EXPECT_EQ("ALPHA: 1 sectors are also used elsewhere, and the disk has no room for copies of "
              "its own\n"
              "BETA: 2 sectors are also used elsewhere, and the disk has no room for copies of "
              "its own\n",
              Lines(plan.unrepaired));
    EXPECT_EQ(files, Contents(disk.Bytes()));
}

TEST(DiskRepair, APc99ImageIsWrittenInItsRecordsAndKeepsItsCrcs)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}}, false);
    disk.Sector(0)[vib::kSides] = 1;
    std::vector<uint8_t> bytes = testing::MakePc99Image(disk.Bytes(), 10, 40, 1);
    // Record 0 of track 0 holds the VIB; give it the CRC a real image carries.
    const size_t mark = testing::Pc99IdMarkOffset(10, 0, 0);
    const size_t data = mark + 25;
    const uint16_t crc = Pc99DataCrc(10, 0xFB, bytes.data() + data);
    bytes[data + 256] = static_cast<uint8_t>(crc >> 8);
    bytes[data + 257] = static_cast<uint8_t>(crc);
    const uint8_t gapAfterFdr = bytes[testing::Pc99IdMarkOffset(10, 0, 2) + 25 + 256];

    MemoryImage image(bytes);
    FloppyDisk pc99(image, 0, "hand.pc99");
    testing::RecordingUi ui;
    ASSERT_TRUE(pc99.Open(ui));
    DiskRepairPlan plan = PlanFloppyRepair(pc99, ui);
    ASSERT_TRUE(ApplyFloppyRepair(pc99, plan, ui));
    EXPECT_EQ("The bitmap was rebuilt: 4 AUs marked used, 0 marked free\n", Lines(plan.changes));
    EXPECT_TRUE(IsAuUsed(bytes.data() + data, 34));
    EXPECT_EQ(Pc99DataCrc(10, 0xFB, bytes.data() + data),
              (bytes[data + 256] << 8) | bytes[data + 257]);
    // A record without a CRC gets none.
    EXPECT_EQ(gapAfterFdr, bytes[testing::Pc99IdMarkOffset(10, 0, 2) + 25 + 256]);
    FloppyDisk again(image, 0, "hand.pc99");
    ASSERT_TRUE(again.Open(ui));
    EXPECT_TRUE(CheckFloppyFileSystem(again, ui).Clean());
}

class RepairImageFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // One folder per test: ctest runs the tests of this fixture side by side.
        m_dir = fs::path(::testing::TempDir()) /
                (std::string("kestrel_repair_") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Write(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        const std::string path = (m_dir / name).string();
        EXPECT_TRUE(testing::WriteBytes(path, bytes));
        return path;
    }
    fs::path m_dir;
    testing::RecordingUi ui;
};

TEST_F(RepairImageFile, TheImageIsBackedUpBeforeTheFirstWriteAndNeverOverAnOldBackup)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}}, false);
    const std::string path = Write("hand.dsk", disk.Bytes());
    RepairReport report;

    // An old backup is not replaced, and then nothing is written.
    Write("hand.dsk.bak", {'o', 'l', 'd'});
    EXPECT_FALSE(RepairDiskImage(path, RepairOptions(), report, ui));
    EXPECT_EQ(disk.Bytes(), testing::ReadBytes(path));
    EXPECT_EQ(std::vector<uint8_t>({'o', 'l', 'd'}), testing::ReadBytes(path + ".bak"));
    EXPECT_EQ(123, ui.LastMessage());

    RepairOptions named;
    named.backupPath = (m_dir / "saved.dsk").string();
    EXPECT_TRUE(RepairDiskImage(path, named, report, ui));
    EXPECT_TRUE(report.wrote);
    EXPECT_EQ(named.backupPath, report.backupPath);
    EXPECT_EQ(disk.Bytes(), testing::ReadBytes(named.backupPath));
    EXPECT_NE(disk.Bytes(), testing::ReadBytes(path));

    // Sound now: nothing to write, so no backup either.
    RepairOptions fresh;
    fresh.backupPath = (m_dir / "unused.dsk").string();
    EXPECT_TRUE(RepairDiskImage(path, fresh, report, ui));
    EXPECT_FALSE(report.wrote);
    EXPECT_FALSE(fs::exists(fresh.backupPath));

    // Without a backup when asked so.
    const std::string other = Write("other.dsk", disk.Bytes());
    RepairOptions none;
    none.backup = false;
    EXPECT_TRUE(RepairDiskImage(other, none, report, ui));
    EXPECT_TRUE(report.backupPath.empty());
    EXPECT_FALSE(fs::exists(other + ".bak"));
    DiskCheckResult result;
    EXPECT_TRUE(CheckDiskImage(other, 0, result, ui));
    EXPECT_TRUE(result.Clean()) << Joined(result);
}

TEST_F(RepairImageFile, TheDamagedRealDisksCheckCleanAfterwardsWithEveryFileAsItWas)
{
    for (const char *name : {"bad1.dsk", "bad2.dsk"}) {
        const fs::path source = fs::path(KESTREL_REALDATA) / "xdt99" / "disk" / name;
        if (!fs::exists(source)) {
            GTEST_SKIP() << source << " is not there";
        }
        std::vector<uint8_t> original = testing::ReadBytes(source.string());
        const std::string path = Write(name, original);
        DiskCheckResult result;
        ASSERT_TRUE(CheckDiskImage(path, 0, result, ui));
        ASSERT_FALSE(result.Clean());
        RepairReport report;
        RepairOptions options;
        options.backup = false;
        ASSERT_TRUE(RepairDiskImage(path, options, report, ui)) << name;
        ASSERT_TRUE(CheckDiskImage(path, 0, result, ui));
        EXPECT_TRUE(result.Clean()) << name << "\n" << Joined(result);
        std::vector<uint8_t> repaired = testing::ReadBytes(path);
        EXPECT_EQ(Contents(original), Contents(repaired)) << name;
    }
}

} // namespace
} // namespace kestrel
