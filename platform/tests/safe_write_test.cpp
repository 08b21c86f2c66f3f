#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/safe_write.h"
#include "platform/tests/scratch_dir.h"

namespace kestrel::platform
{
namespace
{

using testing::ReadFile;
using testing::ScratchDir;
using testing::WriteFile;

std::vector<std::string> Names(const std::string &dir)
{
    std::vector<std::string> names;
    for (const auto &item : std::filesystem::directory_iterator(dir)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool Put(SafeFileWriter &writer, const std::string &text)
{
    return writer.Write(reinterpret_cast<const uint8_t *>(text.data()), text.size());
}

mode_t ModeOf(const std::string &path)
{
    struct stat st {
    };
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(SafeFileWriter, NewNameIsWrittenInPlaceWithTheModeOfAPlainCreate)
{
    ScratchDir dir;
    SafeFileWriter writer;
    ASSERT_TRUE(writer.Open(dir / "new"));
    EXPECT_FALSE(writer.TargetExisted());
    EXPECT_EQ(writer.WritePath(), dir / "new");
    ASSERT_TRUE(Put(writer, "content"));
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"new"}); // no side file
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFile(dir / "new"), "content");
    mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(ModeOf(dir / "new"), 0666 & ~mask);
}

TEST(SafeFileWriter, ExistingFileIsReplacedOnlyAtCommitAndKeepsItsMode)
{
    ScratchDir dir;
    WriteFile(dir / "old", "old content");
    ::chmod((dir / "old").c_str(), 0604);
    SafeFileWriter writer;
    ASSERT_TRUE(writer.Open(dir / "old"));
    EXPECT_TRUE(writer.TargetExisted());
    ASSERT_TRUE(Put(writer, "new"));
    EXPECT_EQ(ReadFile(dir / "old"), "old content");
    ASSERT_TRUE(writer.Commit());
    EXPECT_EQ(ReadFile(dir / "old"), "new");
    EXPECT_EQ(ModeOf(dir / "old"), 0604u);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"old"});
}

TEST(SafeFileWriter, AbandonKeepsOldFilesAndDropsNewOnesUnlessAsked)
{
    ScratchDir dir;
    WriteFile(dir / "old", "keep");
    {
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(dir / "old"));
        Put(writer, "partial");
        writer.Abandon(true); // an existing file is never swapped for a partial one
    }
    {
        SafeFileWriter writer; // dropped undecided
        ASSERT_TRUE(writer.Open(dir / "dropped"));
        Put(writer, "x");
    }
    SafeFileWriter kept;
    ASSERT_TRUE(kept.Open(dir / "kept"));
    Put(kept, "still buffered"); // never reached the system before the abandon
    kept.Abandon(true);
    EXPECT_EQ(ReadFile(dir / "old"), "keep");
    EXPECT_EQ(ReadFile(dir / "kept"), "still buffered");
    EXPECT_EQ(Names(dir.Path()), (std::vector<std::string>{"kept", "old"}));
}

TEST(SafeFileWriter, AbandonLeavesAFilePutUnderTheNameMeanwhile)
{
    ScratchDir dir;
    SafeFileWriter writer;
    ASSERT_TRUE(writer.Open(dir / "name"));
    Put(writer, "mine");
    WriteFile(dir / "other", "someone else's");
    ASSERT_EQ(std::rename((dir / "other").c_str(), (dir / "name").c_str()), 0);
    writer.Abandon(false);
    EXPECT_EQ(ReadFile(dir / "name"), "someone else's");
}

TEST(SafeFileWriter, HeaderPatchedInTheBufferOrOnDiskAndLargeWrites)
{
    ScratchDir dir;
    for (size_t size : {size_t{300}, size_t{200000}}) {
        std::string path = dir / ("f" + std::to_string(size));
        SafeFileWriter writer;
        ASSERT_TRUE(writer.Open(path));
        std::string body(size, 'b');
        // Pieces of a sector and one piece larger than the buffer.
        for (size_t at = 0; at < size; at += 256) {
            ASSERT_TRUE(Put(writer, body.substr(at, 256)));
        }
        ASSERT_TRUE(Put(writer, std::string(70000, 'c')));
        ASSERT_TRUE(writer.WriteAt(0, reinterpret_cast<const uint8_t *>("HEAD"), 4));
        ASSERT_TRUE(Put(writer, "tail"));
        uint8_t byte = 0;
        EXPECT_FALSE(writer.WriteAt(writer.Size() + 1, &byte, 1));
        ASSERT_TRUE(writer.Commit());
        std::string expected = "HEAD" + body.substr(4) + std::string(70000, 'c') + "tail";
        EXPECT_EQ(ReadFile(path), expected) << size;
    }
}

TEST(SafeFileWriter, FailuresSayWhy)
{
    ScratchDir dir;
    SafeFileWriter writer;
    EXPECT_FALSE(writer.Open(dir / "missing/file"));
    EXPECT_EQ(writer.Error(), ENOENT);
    EXPECT_FALSE(Put(writer, "x"));
    EXPECT_FALSE(writer.Commit());
    std::filesystem::create_directory(dir / "sub");
    ASSERT_TRUE(writer.Open(dir / "sub")); // a directory of that name: a side file first
    ASSERT_TRUE(Put(writer, "x"));
    EXPECT_FALSE(writer.Commit());
    EXPECT_NE(writer.Error(), 0);
    EXPECT_EQ(Names(dir.Path()), std::vector<std::string>{"sub"});
    EXPECT_TRUE(std::filesystem::is_directory(dir / "sub"));
}

} // namespace
} // namespace kestrel::platform
