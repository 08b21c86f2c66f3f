#include "hdlib/tests/library_fixture.h"

#include "tifs/byte_order.h"

namespace kestrel::testing
{
namespace
{

class HdVolume : public BrackenlyTest
{
};

TEST_F(HdVolume, OpenFailsWithDeviceErrorForMissingOrEmptyImage)
{
    EXPECT_EQ(open("/nonexistent/dir/image.img"), 192);
    EXPECT_EQ(open(nullptr), 192);
    ASSERT_TRUE(WriteHdImageFile(m_path, {}));
    EXPECT_EQ(open(m_path.c_str()), 192);
    FileRequest request = Request(".");
    EXPECT_EQ(openDirectory(&request), 192);
    uint8_t id[512] = {};
    EXPECT_EQ(deviceIdentity(m_path.c_str(), id), 192);
}

TEST_F(HdVolume, SingleVolumeIsVolumeZeroAndSectorZero)
{
    Open(MakeHdImage({.sectors = 8192, .sectorsPerAu = 2}));
    EXPECT_EQ(selectVolume(0), 0);
    EXPECT_EQ(selectBySector(0), 0);
    EXPECT_EQ(selectVolume(1), -1);
    EXPECT_EQ(selectVolume(4), -1);
    EXPECT_EQ(selectVolume(-1), -1);
    EXPECT_EQ(selectBySector(2), -1);
    EXPECT_EQ(selectVolume(0), 0);
}

TEST_F(HdVolume, PartitionTableGivesVolumesUpToFirstEmptyEntry)
{
    std::vector<uint8_t> image =
        MakePartitionedHdImage({{.sectors = 4096, .sectorsPerAu = 1, .label = "FIRST"},
                                {.sectors = 4096, .sectorsPerAu = 2, .label = "SECOND"}});
    Open(image);
    EXPECT_EQ(selectVolume(0), 0);
    EXPECT_EQ(selectVolume(1), 0);
    EXPECT_EQ(selectVolume(2), -1);
    EXPECT_EQ(selectBySector(2), 0);
    EXPECT_EQ(List(".").size(), 0u);
    EXPECT_EQ(selectBySector(2 + 4096), 0);
    FileRequest request = Request(".");
    CatalogEntryRecord entry;
    ASSERT_EQ(openDirectory(&request), 0);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    EXPECT_EQ(std::string(request.directoryName, 6), "SECOND");
    EXPECT_EQ(totalSectors(), 4096);

    // An unknown sector keeps the current volume.
    EXPECT_EQ(selectBySector(12345), -1);
    ASSERT_EQ(openDirectory(&request), 0);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    EXPECT_EQ(std::string(request.directoryName, 6), "SECOND");

    // A second entry that starts at 0 ends the list after the first volume.
    PutLongBE(image.data(), 32, 0);
    close();
    Open(image);
    EXPECT_EQ(selectVolume(0), 0);
    for (int k = 1; k < 4; ++k)
        EXPECT_EQ(selectVolume(k), -1) << k;
}

TEST_F(HdVolume, UninitializedPartitionStopsTheList)
{
    std::vector<uint8_t> image =
        MakePartitionedHdImage({{.sectors = 2048, .sectorsPerAu = 1},
                                {.sectors = 2048, .sectorsPerAu = 1, .initialized = false},
                                {.sectors = 2048, .sectorsPerAu = 1}});
    Open(image);
    EXPECT_EQ(selectVolume(0), 0);
    EXPECT_EQ(selectVolume(1), 1);
    EXPECT_EQ(selectVolume(2), -1);
}

TEST_F(HdVolume, UninitializedSingleVolumeHasNoUpperBound)
{
    std::vector<uint8_t> image = MakeHdImage({.sectors = 4096, .sectorsPerAu = 1});
    image[25] = 63; // the file index is not at sector 64
    image[4000 * 256] = 0x5C;
    Open(image);
    EXPECT_EQ(selectVolume(0), 1);
    FileRequest request = Request();
    uint8_t sector[256] = {};
    ASSERT_EQ(readVolumeSector(&request, 4000, sector), 0);
    EXPECT_EQ(sector[0], 0x5C);
    // Past the file's end the read fails as a short transfer, not as a bound.
    EXPECT_EQ(readVolumeSector(&request, 5000, sector), 192);
    // Files need a file system.
    FileRequest dir = Request(".A.");
    EXPECT_EQ(openDirectory(&dir), 192);
    // A file index AU of 64 / sectors per AU counts as initialized for every AU size.
    image[25] = 64 / 16;
    image[16] = 0xF0;
    close();
    Open(image);
    EXPECT_EQ(selectVolume(0), 0);
}

TEST_F(HdVolume, VolumeSectorsAreBoundedByTheVolume)
{
    Open(MakePartitionedHdImage({{.sectors = 2048, .sectorsPerAu = 1},
                                 {.sectors = 2048, .sectorsPerAu = 1, .label = "SECOND"}}));
    ASSERT_EQ(selectVolume(0), 0);
    FileRequest request = Request();
    uint8_t sector[256];
    ASSERT_EQ(readVolumeSector(&request, 2047, sector), 0);
    EXPECT_EQ(readVolumeSector(&request, 2048, sector), 192);
    std::memset(sector, 0x77, sizeof sector);
    EXPECT_EQ(writeVolumeSector(&request, 2048, sector), 192);
    EXPECT_EQ(writeVolumeSector(&request, 0xFFFFFFFFu, sector), 192);
    ASSERT_EQ(selectVolume(1), 0);
    ASSERT_EQ(readVolumeSector(&request, 0, sector), 0);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(sector), 6), "SECOND");
    // Nothing reached the second volume's VIB through the first one's bound.
    std::memset(sector, 0x11, sizeof sector);
    ASSERT_EQ(writeVolumeSector(&request, 100, sector), 0);
    const std::vector<uint8_t> image = Image();
    EXPECT_EQ(image[(2 + 2048) * 256], 'S');
    EXPECT_EQ(image[(2 + 2048 + 100) * 256], 0x11);
}

TEST_F(HdVolume, FilesOfAPartitionStayInsideIt)
{
    Open(MakePartitionedHdImage({{.sectors = 4096, .sectorsPerAu = 1, .label = "ONE"},
                                 {.sectors = 8192, .sectorsPerAu = 2, .label = "TWO"}}));
    ASSERT_EQ(selectBySector(2 + 4096), 0);
    const std::vector<uint8_t> bytes(3000, 0x6D);
    ASSERT_EQ(WriteProgramFile(".INTWO", bytes), 0);
    ASSERT_EQ(selectVolume(0), 0);
    EXPECT_TRUE(List(".").empty());
    EXPECT_EQ(ReadProgramFile(".INTWO").size(), 0u);
    ASSERT_EQ(selectVolume(1), 0);
    EXPECT_EQ(ReadProgramFile(".INTWO"), bytes);

    std::vector<uint8_t> image = Image();
    HdVolumeView one(image, 2);
    HdVolumeView two(image, 2 + 4096);
    EXPECT_EQ(one.Sector(0)[22], 0);
    ASSERT_EQ(two.Sector(0)[22], 1);
    for (uint32_t au : two.FileAus(GetWordBE(two.FileIndex(0), 0)))
        EXPECT_TRUE(two.AuUsed(au)) << au;
    EXPECT_EQ(one.FreeAus(), 4096u - 65);
}

TEST_F(HdVolume, DeviceIdentityOfTenMegabyteImage)
{
    Open(MakeHdImage({.sectors = 40960, .label = "TEN"}));
    uint8_t id[512];
    std::memset(id, 0xEE, sizeof id);
    ASSERT_EQ(deviceIdentity("/some/dir/mydisk.img", id), 0);
    EXPECT_EQ(id[0], 0x04);
    EXPECT_EQ(id[1], 0x8A);
    EXPECT_EQ(id[11], 2);
    EXPECT_EQ(id[43], 2);
    EXPECT_EQ(id[98], 2);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(id + 20), 21),
              std::string("       Marlock 10.1a") + '\0');
    EXPECT_EQ(std::string(reinterpret_cast<char *>(id + 46), 8), "ZubDsr14");
    EXPECT_EQ(std::string(reinterpret_cast<char *>(id + 54), 41),
              std::string(34, ' ') + "mydisk" + '\0');
    EXPECT_EQ(GetLongBE(id, 114), 0x00005000u);
    EXPECT_EQ(GetLongBE(id, 120), 0x00005000u);
    EXPECT_EQ(id[2], 0xEE); // bytes not named stay as they were
    EXPECT_EQ(id[200], 0xEE);
}

TEST_F(HdVolume, DeviceIdentityOfPartitionTakesItsLength)
{
    Open(MakePartitionedHdImage(
        {{.sectors = 2048, .sectorsPerAu = 1}, {.sectors = 4096, .sectorsPerAu = 1}}));
    ASSERT_EQ(selectVolume(1), 0);
    uint8_t id[512] = {};
    ASSERT_EQ(deviceIdentity(m_path.c_str(), id), 0);
    EXPECT_EQ(GetLongBE(id, 114), 2048u);
}

} // namespace
} // namespace kestrel::testing
