#include "platform/dir_search.h"

#include <cerrno>
#include <chrono>

#include <gtest/gtest.h>

#include "platform/tests/scratch_dir.h"

namespace kestrel::platform {
namespace {

using testing::ScratchDir;
using testing::WriteFile;

std::vector<std::string> Names(const DirSearch& search)
{
    std::vector<std::string> names;
    for (const DirMatch& m : search.matches)
        names.push_back(m.name);
    return names;
}

class DirSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(dir / "GAME.dsk", std::string(512, 'x'));
        WriteFile(dir / "README", "abc");
        WriteFile(dir / "notes.txt", "");
        std::filesystem::create_directory(dir / "sub.dir");
    }
    ScratchDir dir;
};

TEST_F(DirSearchTest, StarDotStarListsEveryNameWithTheDotsFirst)
{
    DirSearch s = FindFiles(dir / "*.*");
    ASSERT_EQ(s.error, 0);
    EXPECT_EQ(Names(s), (std::vector<std::string>{".", "..", "GAME.dsk", "README", "notes.txt",
                                                  "sub.dir"}));
    EXPECT_TRUE(s.matches[0].isDirectory);
    EXPECT_EQ(s.matches[2].size, 512u);
    EXPECT_FALSE(s.matches[2].isDirectory);
    EXPECT_EQ(s.matches[3].size, 3u);
    EXPECT_TRUE(s.matches[5].isDirectory);
    EXPECT_EQ(s.matches[5].size, 0u);
}

TEST_F(DirSearchTest, PatternsCompareWithCase)
{
    EXPECT_EQ(Names(FindFiles(dir / "*.dsk")), (std::vector<std::string>{"GAME.dsk"}));
    DirSearch none = FindFiles(dir / "*.DSK");
    EXPECT_EQ(none.error, ENOENT);
    EXPECT_TRUE(none.matches.empty());
    EXPECT_EQ(Names(FindFiles(dir / "?EADM?")), (std::vector<std::string>{"README"}));
}

TEST_F(DirSearchTest, APlainNameFindsThatEntry)
{
    DirSearch s = FindFiles(dir / "sub.dir");
    ASSERT_EQ(s.error, 0);
    ASSERT_EQ(s.matches.size(), 1u);
    EXPECT_TRUE(s.matches[0].isDirectory);
    EXPECT_EQ(FindFiles(dir / "absent").error, ENOENT);
}

TEST_F(DirSearchTest, AFileOrMissingDirectoryGivesTheSystemError)
{
    EXPECT_EQ(FindFiles(dir / "missing/*.*").error, ENOENT);
    EXPECT_EQ(FindFiles(dir / "README/*.*").error, ENOTDIR);
    EXPECT_EQ(FindFiles(dir.Path() + "/").error, ENOENT);
}

TEST(DirSearchPattern, WildcardsAndTheOptionalExtension)
{
    EXPECT_TRUE(MatchesPattern("*.*", "README"));
    EXPECT_TRUE(MatchesPattern("*.*", "."));
    EXPECT_TRUE(MatchesPattern("*", ""));
    EXPECT_TRUE(MatchesPattern("a*b*c", "aXXbYYc"));
    EXPECT_FALSE(MatchesPattern("a*b*c", "aXXbYY"));
    EXPECT_TRUE(MatchesPattern("GAME.*", "GAME"));
    EXPECT_FALSE(MatchesPattern("GAME.*", "GAMES"));
    EXPECT_FALSE(MatchesPattern("*.dsk", "x.dsk.bak"));
    EXPECT_FALSE(MatchesPattern("???", "ab"));
    EXPECT_FALSE(HasWildcards("plain.name"));
}

TEST(DirSearchPattern, ManyStarsStayFast)
{
    std::string name(5000, 'a');
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(MatchesPattern(std::string(60, '*') + "b", name));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

} // namespace
} // namespace kestrel::platform
