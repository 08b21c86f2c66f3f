#include "platform/fault_injection.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "platform/tests/scratch_dir.h"

namespace kestrel::platform
{
namespace
{

using testing::ScratchDir;

class FaultSeam : public ::testing::Test
{
protected:
    void TearDown() override { ArmFaults(nullptr); }

    long FileSize(const std::string &path)
    {
        std::FILE *f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        const long size = std::ftell(f);
        std::fclose(f);
        return size;
    }

    ScratchDir m_dir;
};

TEST_F(FaultSeam, DisarmedCallsPassStraightThrough)
{
    const std::string path = (m_dir / "plain");
    std::FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(io::Fwrite("abcd", 1, 4, f), 4u);
    EXPECT_NE(io::Fputc('e', f), EOF);
    EXPECT_EQ(io::Fflush(f), 0);
    EXPECT_EQ(io::Fclose(f), 0);
    EXPECT_EQ(FileSize(path), 5);
    EXPECT_EQ(io::Rename(path.c_str(), (m_dir / "moved").c_str()), 0);
    EXPECT_FALSE(FaultsArmed());
}

TEST_F(FaultSeam, OnlyTheNamedCallFailsWithTheChosenError)
{
    const std::string path = (m_dir / "counted");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
    FaultPlan plan;
    plan.failAt = 2;
    plan.kind = FaultKind::IoError;
    ArmFaults(&plan);
    EXPECT_EQ(io::Write(fd, "1234", 4), 4);
    errno = 0;
    EXPECT_EQ(io::Pwrite(fd, "5678", 4, 4), -1);
    EXPECT_EQ(errno, EIO);
    EXPECT_EQ(io::Write(fd, "9", 1), 1);
    EXPECT_EQ(io::Fsync(fd), 0);
    EXPECT_EQ(io::Close(fd), 0);
    ArmFaults(nullptr);
    EXPECT_EQ(plan.calls, 5);
    EXPECT_EQ(plan.injected, 1);
    EXPECT_STREQ(plan.firstFailed, "pwrite");
    EXPECT_EQ(FileSize(path), 5);
}

TEST_F(FaultSeam, AFullDiskStaysFullAfterAShortWrite)
{
    const std::string path = (m_dir / "full");
    std::FILE *f = std::fopen(path.c_str(), "wb");
    FaultPlan plan;
    plan.failAt = 1;
    plan.kind = FaultKind::ShortWrite;
    plan.persistent = true;
    ArmFaults(&plan);
    EXPECT_EQ(io::Fwrite("abcdefgh", 1, 8, f), 4u);
    errno = 0;
    EXPECT_EQ(io::Fwrite("ijkl", 1, 4, f), 0u);
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(io::Rename(path.c_str(), (m_dir / "other").c_str()), -1);
    // A refused close still releases the stream, and what it held never lands.
    EXPECT_EQ(io::Fclose(f), EOF);
    ArmFaults(nullptr);
    EXPECT_EQ(plan.injected, 4);
    EXPECT_EQ(FileSize(path), 0);
}

TEST_F(FaultSeam, ASingleWholeItemIsWrittenInPartWhenShort)
{
    const std::string path = (m_dir / "item");
    std::FILE *f = std::fopen(path.c_str(), "wb");
    FaultPlan plan;
    plan.failAt = 1;
    plan.kind = FaultKind::ShortWrite;
    ArmFaults(&plan);
    char sector[256] = {};
    EXPECT_EQ(io::Fwrite(sector, sizeof sector, 1, f), 0u);
    EXPECT_EQ(io::Fclose(f), 0);
    ArmFaults(nullptr);
    EXPECT_EQ(FileSize(path), 128);
}

} // namespace
} // namespace kestrel::platform
