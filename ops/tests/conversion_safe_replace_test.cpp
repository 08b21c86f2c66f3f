#include <sys/stat.h>

#include <gtest/gtest.h>

#include "conversion_test_support.h"
#include "ops/safe_replace.h"

namespace kestrel
{
namespace
{

using testing::Bytes;
using testing::ReadBytes;
using testing::ScratchDir;

TEST(ReplacingFile, OldFileStaysUntilCommitAndNothingIsLeftBeside)
{
    ScratchDir dir;
    const std::string target = dir.File("target");
    testing::WriteText(target, "old");
    ::chmod(target.c_str(), 0640);
    ReplacingFile file;
    ASSERT_TRUE(file.Open(target));
    EXPECT_TRUE(file.TargetExisted());
    const std::vector<uint8_t> body = Bytes("new content");
    ASSERT_TRUE(file.Write(body.data(), body.size()));
    const std::vector<uint8_t> head = Bytes("NEW");
    ASSERT_TRUE(file.WriteAt(0, head.data(), head.size()));
    EXPECT_EQ(ReadBytes(target), Bytes("old"));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(ReadBytes(target), Bytes("NEW content"));
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"target"});
    struct stat st {
    };
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(ReplacingFile, AbandonKeepsTheOldFileAndOnlyOptionallyANewOne)
{
    ScratchDir dir;
    const std::string old = dir.File("old");
    testing::WriteText(old, "keep");
    {
        ReplacingFile file;
        ASSERT_TRUE(file.Open(old));
        const std::vector<uint8_t> part = Bytes("partial");
        file.Write(part.data(), part.size());
        file.Abandon(true);
    }
    EXPECT_EQ(ReadBytes(old), Bytes("keep"));
    {
        ReplacingFile file; // dropped without a decision: as Abandon
        ASSERT_TRUE(file.Open(old));
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"old"});
    ReplacingFile fresh;
    ASSERT_TRUE(fresh.Open(dir.File("fresh")));
    const std::vector<uint8_t> part = Bytes("part");
    fresh.Write(part.data(), part.size());
    fresh.Abandon(true);
    EXPECT_EQ(ReadBytes(dir.File("fresh")), Bytes("part"));
    ReplacingFile none;
    ASSERT_TRUE(none.Open(dir.File("none")));
    none.Abandon(false);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"fresh", "old"}));
}

TEST(ReplacingFile, FailuresAreReportedNotHidden)
{
    ScratchDir dir;
    ReplacingFile file;
    EXPECT_FALSE(file.Open(dir.File("missing/target")));
    EXPECT_NE(file.Error(), 0);
    ASSERT_TRUE(file.Open(dir.File("t")));
    const uint8_t byte = 1;
    EXPECT_FALSE(file.WriteAt(5, &byte, 1)); // beyond what was written
    ReplacingFile reserved;
    ASSERT_TRUE(reserved.Reserve(dir.File("lib")));
    testing::WriteText(reserved.SidePath(), "written by someone else");
    ASSERT_TRUE(reserved.Commit());
    EXPECT_EQ(ReadBytes(dir.File("lib")), Bytes("written by someone else"));
    EXPECT_TRUE(SamePcFile(dir.File("lib"), dir.Path() + "/./lib"));
    EXPECT_FALSE(SamePcFile(dir.File("lib"), dir.File("t")));
}

} // namespace
} // namespace kestrel
