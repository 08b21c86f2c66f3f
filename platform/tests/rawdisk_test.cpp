// File drives: letters, the block cache in front of the medium, and the
// failures a drive can give.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <gtest/gtest.h>

#include "platform/rawdisk.h"
#include "platform/tests/scratch_dir.h"

namespace kestrel::platform
{
namespace
{

using testing::ScratchDir;

void MakeDrive(const std::string &path, size_t sectors)
{
    std::vector<char> bytes(sectors * 512);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i / 512);
    }
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class RawDiskTest : public ::testing::Test
{
protected:
    void TearDown() override { SetFileDrives({}); }
    ScratchDir m_dir;
};

TEST_F(RawDiskTest, LettersFromDInListOrderWhateverTheMask)
{
    MakeDrive(m_dir / "a.img", 4);
    MakeDrive(m_dir / "b.img", 8);
    SetFileDrives({{m_dir / "a.img"}, {m_dir / "missing.img"}, {m_dir / "b.img", 4096}});
    std::vector<RawDriveInfo> all = ListRawDrives(0x3FFFFFF);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].letter, 'D');
    EXPECT_EQ(all[0].description, "a.img");
    EXPECT_EQ(all[0].sizeBytes, 4u * 512);
    EXPECT_EQ(all[1].letter, 'E');
    EXPECT_EQ(all[1].sizeBytes, 0u);
    EXPECT_EQ(all[2].letter, 'F');
    EXPECT_EQ(all[2].sectorSize, 4096u);
    std::vector<RawDriveInfo> masked = ListRawDrives(1u << ('F' - 'A'));
    ASSERT_EQ(masked.size(), 1u);
    EXPECT_EQ(masked[0].letter, 'F');
    RawDriveInfo info;
    EXPECT_TRUE(FindRawDrive('E', info));
    EXPECT_FALSE(FindRawDrive('G', info));
}

TEST_F(RawDiskTest, WritesBehindAndReadsAheadConsistently)
{
    const std::string path = m_dir / "d.img";
    const size_t sectors = kRawBlockSectors * 2 + 10;
    MakeDrive(path, sectors);
    SetFileDrives({{path}});
    RawDriveInfo info;
    ASSERT_TRUE(FindRawDrive('D', info));
    RawDisk disk;
    int error = 0;
    uint64_t failed = 0;
    ASSERT_TRUE(disk.Open(info, true, error));
    EXPECT_TRUE(disk.Locked());
    EXPECT_EQ(disk.ReportedSectors(), sectors);
    uint8_t buffer[512];
    ASSERT_TRUE(disk.ReadSector(5, buffer, error)); // sector 5 onwards is cached now
    EXPECT_EQ(buffer[0], 5);
    std::memset(buffer, 0xAB, sizeof buffer);
    ASSERT_TRUE(disk.WriteSector(6, buffer, error, failed));
    ASSERT_TRUE(disk.WriteSector(7, buffer, error, failed));
    ASSERT_TRUE(disk.WriteSector(3, buffer, error, failed)); // out of order
    // A cached sector that was written reads back new.
    ASSERT_TRUE(disk.ReadSector(7, buffer, error));
    EXPECT_EQ(buffer[0], 0xAB);
    ASSERT_TRUE(disk.ReadSector(8, buffer, error));
    EXPECT_EQ(buffer[0], 8);
    ASSERT_TRUE(disk.ReadSector(sectors - 1, buffer, error));
    EXPECT_EQ(buffer[0], static_cast<uint8_t>(sectors - 1));
    // Beyond the medium: EIO, and a write there fails with the sector.
    EXPECT_FALSE(disk.ReadSector(sectors, buffer, error));
    EXPECT_EQ(error, EIO);
    ASSERT_TRUE(disk.WriteSector(sectors - 1, buffer, error, failed));
    EXPECT_TRUE(disk.WriteSector(sectors, buffer, error, failed)); // queued behind
    EXPECT_FALSE(disk.Flush(error, failed));
    EXPECT_EQ(error, ENOSPC);
    EXPECT_EQ(failed, sectors);

    // A second writer is refused while the lock is held.
    RawDisk other;
    EXPECT_FALSE(other.Open(info, true, error));
    EXPECT_EQ(error, EWOULDBLOCK);
    disk.Close();
    EXPECT_TRUE(other.Open(info, true, error));
    other.Close();

    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), sectors * 512); // never grown
    EXPECT_EQ(static_cast<uint8_t>(bytes[3 * 512]), 0xAB);
    EXPECT_EQ(static_cast<uint8_t>(bytes[6 * 512 + 511]), 0xAB);
    EXPECT_EQ(static_cast<uint8_t>(bytes[8 * 512]), 8);
}

TEST_F(RawDiskTest, ReadOnlyOpenRefusesWrites)
{
    const std::string path = m_dir / "r.img";
    MakeDrive(path, 4);
    SetFileDrives({{path}});
    RawDriveInfo info;
    ASSERT_TRUE(FindRawDrive('D', info));
    RawDisk disk;
    int error = 0;
    uint64_t failed = 0;
    ASSERT_TRUE(disk.Open(info, false, error));
    EXPECT_FALSE(disk.Locked());
    uint8_t buffer[512] = {};
    EXPECT_FALSE(disk.WriteSector(0, buffer, error, failed));
    EXPECT_EQ(error, EBADF);
}

} // namespace
} // namespace kestrel::platform
