#include "tifs/disk_check/disk_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/vib.h"
#include "tifs/tests/hand_disk.h"

namespace kestrel
{
namespace
{

using testing::HandDisk;
using testing::Joined;
using testing::kSectors;

TEST(DiskCheck, AGoodDiskWithFragmentedFilesIsClean)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}, {40, 2}});
    disk.AddFile(1, 1, "BETA      ", 3, {{37, 3}});
    DiskCheckResult result = disk.Check();
    EXPECT_TRUE(result.Clean()) << Joined(result);
    EXPECT_EQ(2u, result.files);
    EXPECT_EQ(12u, result.sectorsInUse); // VIB, index, two FDRs, eight data sectors
    EXPECT_EQ("2 files, 0 subdirectories, 12 sectors in use: clean", result.summary);
}

TEST(DiskCheck, BitmapDisagreementsAreReportedAsRuns)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}}, false);
    MarkAu(disk.Sector(0), 100, true);
    MarkAu(disk.Sector(0), 101, true);
    DiskCheckResult result = disk.Check();
    EXPECT_EQ("AU 2 is in use but marked free in the bitmap\n"
              "AUs 34-36 are in use but marked free in the bitmap\n"
              "AUs 100-101 are marked used but belong to no file\n",
              Joined(result));
    EXPECT_EQ("1 files, 0 subdirectories, 6 sectors in use: 3 problems", result.summary);
}

TEST(DiskCheck, SectorsClaimedTwiceAndChainsThatLeaveOrLoop)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}});
    disk.AddFile(1, 1, "BETA      ", 3, {{36, 2}});
    disk.AddFile(1, 2, "GAMMA     ", 4, {{50, 2}, {50, 2}});
    disk.AddFile(1, 3, "OMEGA     ", 5, {{358, 4}}, false);
    MarkAu(disk.Sector(0), 358, true);
    MarkAu(disk.Sector(0), 359, true);
    MarkAu(disk.Sector(0), 5, true);
    DiskCheckResult result = disk.Check();
    const std::string text = Joined(result);
    EXPECT_NE(std::string::npos, text.find("Sector 36 is claimed by ALPHA and by BETA")) << text;
    EXPECT_NE(std::string::npos, text.find("GAMMA: chain entry 1 reuses sectors")) << text;
    EXPECT_NE(std::string::npos, text.find("OMEGA: chain entry 0 runs outside the disk")) << text;
    EXPECT_FALSE(result.Clean());
}

TEST(DiskCheck, IndexOrderRangeAndFileSizes)
{
    HandDisk disk;
    disk.AddFile(1, 0, "MIKE      ", 2, {{34, 2}});
    disk.AddFile(1, 1, "ALPHA     ", 3, {{36, 2}});
    PutWordBE(disk.Sector(1), 4, 400); // beyond the disk
    PutWordBE(disk.Sector(1), 6, 1);   // the index itself
    disk.AddFile(1, 4, "ZULU      ", 4, {{38, 2}});
    PutWordBE(disk.Sector(4), 14, 3); // three sectors said, two in the chain
    disk.AddFile(1, 5, "ZZ        ", 5, {{40, 1}});
    PutWordLE(disk.Sector(5), 18, 7); // seven records of three a sector need three sectors
    PutWordBE(disk.Sector(5), 14, 1);
    DiskCheckResult result = disk.Check();
    EXPECT_EQ("File index 1 entry 1 (ALPHA) is out of order after MIKE\n"
              "File index 1 entry 2 points to sector 400, outside the disk's file area\n"
              "File index 1 entry 3 points to sector 1, outside the disk's file area\n"
              "ZULU: 3 sectors allocated, but its chain covers 2\n"
              "ZZ: its records need 3 sectors, but only 1 are allocated\n",
              Joined(result));
}

TEST(DiskCheck, SubdirectoriesAreCheckedAndTheirFilesNamedWithThePath)
{
    HandDisk disk;
    uint8_t *slot = disk.Sector(0) + vib::kSlots;
    std::memcpy(slot, "GAMES     ", 10);
    PutWordBE(slot, 10, 20);
    MarkAu(disk.Sector(0), 20, true);
    disk.AddFile(20, 0, "PONG      ", 21, {{34, 2}});
    disk.AddFile(1, 0, "ROOTFILE  ", 2, {{35, 2}});
    DiskCheckResult result = disk.Check();
    EXPECT_EQ(1u, result.directories);
    EXPECT_EQ("Sector 35 is claimed by ROOTFILE and by GAMES.PONG\n", Joined(result));

    // A slot pointing outside the disk is a finding, not a read past the end.
    PutWordBE(slot, 10, 9000);
    result = disk.Check();
    EXPECT_NE(std::string::npos, Joined(result).find("Subdirectory GAMES: its file index sector "
                                                     "9000 is outside the disk"));
}

TEST(DiskCheck, PC99ImagesAndDamagedImageFiles)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}});
    const std::string dir = ::testing::TempDir();
    const std::string pc99Path = dir + "/check_pc99.dsk";
    ASSERT_TRUE(testing::WriteBytes(pc99Path, testing::MakePc99Image(disk.Bytes(), 10, 40, 1)));
    testing::RecordingUi ui;
    DiskCheckResult result;
    EXPECT_TRUE(CheckDiskImage(pc99Path, 0, result, ui));
    EXPECT_TRUE(result.Clean()) << Joined(result);
    EXPECT_EQ(1u, result.files);

    // Cut short: the index and FDR can still be read, the data sectors are gone.
    std::vector<uint8_t> shortDisk(disk.Bytes().begin(), disk.Bytes().begin() + 10 * 256);
    const std::string shortPath = dir + "/check_short.dsk";
    ASSERT_TRUE(testing::WriteBytes(shortPath, shortDisk));
    EXPECT_TRUE(CheckDiskImage(shortPath, 0, result, ui));
    EXPECT_EQ("The image holds 10 sectors, but the disk says it has 360\n", Joined(result));

    EXPECT_FALSE(CheckDiskImage(dir + "/no_such_image.dsk", 0, result, ui));
    EXPECT_FALSE(result.Clean());
}

// The lines the check gives for one file whose FDR the test has changed.
std::string FindingsAfter(const std::function<void(uint8_t *fdr)> &damage)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}});
    damage(disk.Sector(2));
    return Joined(disk.Check());
}

TEST(DiskCheck, NamesNoTiFileCanHaveAreFindings)
{
    const std::pair<const char *, const char *> cases[] = {
        {"A/B       ", "File index 1 entry 0: the name \"A/B\" holds a \"/\"\n"},
        {"..        ", "File index 1 entry 0: the name \"..\" holds a \".\"\n"},
        {"A.B       ", "File index 1 entry 0: the name \"A.B\" holds a \".\"\n"},
        {"A\0B       ", "File index 1 entry 0: the name \"A?B\" holds a NUL byte\n"},
        {"A\x1B"
         "B       ",
         "File index 1 entry 0: the name \"A?B\" holds a control byte\n"},
        {"AB\xDF"
         "C      ",
         "File index 1 entry 0: the name \"AB?C\" holds a control byte\n"},
        {"          ", "File index 1 entry 0: the name \"(no name)\" is blank\n"},
        {"AB  C     ", "File index 1 entry 0: the name \"AB  C\" has a blank inside\n"},
    };
    for (const auto &[name, line] : cases) {
        EXPECT_EQ(line, FindingsAfter([&](uint8_t *fdr) { std::memcpy(fdr, name, 10); }));
    }
    // A disk's name may be blank (TI software shows it as unnamed), not damaged.
    HandDisk disk;
    std::memcpy(disk.Sector(0), "          ", 10);
    EXPECT_TRUE(disk.Check().Clean());
    std::memcpy(disk.Sector(0), "DI/SK     ", 10);
    EXPECT_EQ("The disk name \"DI/SK\" holds a \"/\"\n", Joined(disk.Check()));
}

TEST(DiskCheck, RecordFieldsThatCannotDescribeTheFile)
{
    // DIS/VAR with no record length and no records per sector.
    EXPECT_EQ("ALPHA: record length 0 and 0 records per sector\n", FindingsAfter([](uint8_t *fdr) {
                  fdr[12] = 0x80;
                  fdr[13] = 0;
                  fdr[17] = 0;
                  PutWordLE(fdr, 18, 3);
              }));
    // 65535 fixed records cannot fit three sectors.
    EXPECT_EQ("ALPHA: its records need 21845 sectors, but only 3 are allocated\n",
              FindingsAfter([](uint8_t *fdr) { PutWordLE(fdr, 18, 0xFFFF); }));
    // A flipped record length no longer matches the records per sector.
    EXPECT_EQ("ALPHA: 3 records per sector cannot go with a record length of 175\n",
              FindingsAfter([](uint8_t *fdr) { fdr[17] ^= 0xFF; }));
    EXPECT_EQ("ALPHA: 252 records per sector cannot go with a record length of 80\n",
              FindingsAfter([](uint8_t *fdr) { fdr[13] ^= 0xFF; }));
    EXPECT_EQ("ALPHA: its reserved bytes 10-11 hold >FF00, not zero\n",
              FindingsAfter([](uint8_t *fdr) { fdr[10] ^= 0xFF; }));
    EXPECT_EQ("ALPHA: its status flags >20 have reserved bits set\n",
              FindingsAfter([](uint8_t *fdr) { fdr[12] = 0x20; }));
    // A memory image keeps its record fields zero.
    EXPECT_EQ("ALPHA: a PROGRAM file with records per sector 0, record length 0 and record "
              "count 255, where all are 0\n",
              FindingsAfter([](uint8_t *fdr) {
                  fdr[12] = 0x01;
                  fdr[13] = 0;
                  fdr[17] = 0;
                  PutWordLE(fdr, 18, 0xFF);
              }));
}

TEST(DiskCheck, RecordsPerSectorAsEveryKnownWriterCountsThemAreSound)
{
    // Record length, records per sector, variable: what TI and other writers store.
    const struct {
        uint8_t length, perSector;
        bool variable;
    } sound[] = {{1, 0, false},  {2, 128, false}, {255, 1, false}, {1, 128, true},
                 {2, 127, true}, {2, 85, true},   {255, 0, true},  {255, 1, true},
                 {10, 25, true}, {10, 23, true},  {80, 3, true},   {163, 1, true}};
    for (const auto &c : sound) {
        const std::string text = FindingsAfter([&](uint8_t *fdr) {
            fdr[12] = c.variable ? 0x80 : 0x00;
            fdr[13] = c.perSector;
            fdr[17] = c.length;
            PutWordLE(fdr, 18, c.variable ? 3 : 0);
        });
        EXPECT_EQ("", text) << int(c.length) << " " << int(c.perSector);
    }
}

TEST(DiskCheck, AVibWithoutSectorsPerTrack)
{
    HandDisk disk;
    disk.Sector(0)[vib::kSectorsPerTrack] = 0;
    EXPECT_EQ("The volume information block says 0 sectors per track\n", Joined(disk.Check()));
}

TEST(DiskCheck, APc99ImageCutOrWithDamagedIdFields)
{
    HandDisk disk;
    disk.AddFile(1, 0, "ALPHA     ", 2, {{34, 3}});
    disk.Sector(0)[vib::kSides] = 1;
    const std::vector<uint8_t> good = testing::MakePc99Image(disk.Bytes(), 10, 40, 1);
    auto check = [](std::vector<uint8_t> bytes) {
        MemoryImage image(bytes);
        FloppyDisk pc99(image, 0, "hand.pc99");
        testing::RecordingUi ui;
        EXPECT_TRUE(pc99.Open(ui));
        return Joined(CheckFloppyFileSystem(pc99, ui));
    };
    EXPECT_EQ("", check(good));

    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_EQ("The image holds 130119 bytes, but 40 tracks of 3253 bytes need 130120\n"
              "Track 39 (side 0) is cut short: 3252 of its 3253 bytes are there\n",
              check(cut));
    std::vector<uint8_t> half(good.begin(), good.begin() + good.size() / 2);
    EXPECT_NE(std::string::npos, check(half).find("Track 20 (side 0) is missing\n"));

    const size_t mark = testing::Pc99IdMarkOffset(10, 5, 3);
    const std::pair<size_t, const char *> fields[] = {
        {0, "Track 5 (side 0) record 3 has no ID mark (>01)\n"
            "Track 5 (side 0) has no sector 3\n"},
        {1, "Track 5 (side 0) record 3 says it lies on track 250\n"},
        {2, "Track 5 (side 0) record 3 says it lies on side 255\n"},
        {3, "Track 5 (side 0) record 3 names sector 252, beyond the track\n"
            "Track 5 (side 0) has no sector 3\n"},
        {4, "Track 5 (side 0) record 3 has size code 254, not 1 (256 bytes)\n"},
        {24, "Track 5 (side 0) record 3 has no data mark (>04)\n"},
    };
    for (const auto &[offset, lines] : fields) {
        std::vector<uint8_t> bytes = good;
        bytes[mark + offset] ^= 0xFF;
        EXPECT_EQ(lines, check(bytes)) << offset;
    }
    // Two records naming one sector leave another missing.
    std::vector<uint8_t> twice = good;
    twice[mark + 3] = twice[testing::Pc99IdMarkOffset(10, 5, 4) + 3];
    EXPECT_EQ("Track 5 (side 0) holds sector 4 twice\nTrack 5 (side 0) has no sector 3\n",
              check(twice));
}

} // namespace
} // namespace kestrel
