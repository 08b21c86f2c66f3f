#include "platform/paths.h"

#include <gtest/gtest.h>

#include "platform/tests/scratch_dir.h"

namespace kestrel::platform {
namespace {

using testing::ScratchDir;
using testing::WriteFile;

TEST(Paths, JoinAndCutWithoutDoublingSeparators)
{
    EXPECT_EQ(JoinPath("/ti", "GAME"), "/ti/GAME");
    EXPECT_EQ(JoinPath("/ti/", "GAME"), "/ti/GAME");
    EXPECT_EQ(JoinPath("/ti/", "/GAME"), "/ti/GAME");
    EXPECT_EQ(JoinPath("", "GAME"), "GAME");
    EXPECT_EQ(JoinPath("/", "ti"), "/ti");

    EXPECT_EQ(RemoveTrailingSeparator("/ti/"), "/ti");
    EXPECT_EQ(RemoveTrailingSeparator("/ti//"), "/ti/");
    EXPECT_EQ(RemoveTrailingSeparator("/"), "/");
    EXPECT_EQ(WithTrailingSeparator("/ti"), "/ti/");
    EXPECT_EQ(WithTrailingSeparator(""), "");

    EXPECT_EQ(CutAtLastSeparator("/ti/games/x.dsk"), "/ti/games");
    EXPECT_EQ(CutAtLastSeparator("/ti"), "/");
    EXPECT_EQ(CutAtLastSeparator("x.dsk"), "");
    EXPECT_EQ(DirectoryPart("/img/X.DSK"), "/img/");
    EXPECT_EQ(DirectoryPart("X.DSK"), "");
    EXPECT_EQ(LastComponent("/img/X.DSK"), "X.DSK");
    EXPECT_EQ(LastComponent("/img/"), "");
    EXPECT_EQ(LastComponent("X.DSK"), "X.DSK");
}

TEST(Paths, TheRootIsTheBareDrive)
{
    EXPECT_TRUE(IsRootPath("/"));
    EXPECT_TRUE(IsRootPath("//"));
    EXPECT_FALSE(IsRootPath("/ti"));
    EXPECT_FALSE(IsRootPath(""));
}

TEST(Paths, SameFileFollowsIdentityAndKeepsCase)
{
    ScratchDir dir;
    std::filesystem::create_directory(dir / "Games");
    WriteFile(dir / "Games/a", "1");
    EXPECT_TRUE(SameFile(dir / "Games", dir / "Games/"));
    EXPECT_TRUE(SameFile(dir / "Games/a", dir / "Games/../Games/./a"));
    std::filesystem::create_symlink(dir / "Games", dir / "link");
    EXPECT_TRUE(SameFile(dir / "link", dir / "Games"));

    // Two folders that differ only in case are two folders here.
    std::filesystem::create_directory(dir / "games");
    EXPECT_FALSE(SameFile(dir / "Games", dir / "games"));
    // Names of files still to be made compare by their resolved text.
    EXPECT_TRUE(SameFile(dir / "Games/new", dir / "link/new"));
    EXPECT_FALSE(SameFile(dir / "Games/new", dir / "Games/NEW"));
    EXPECT_FALSE(SameFile(dir / "Games/a", dir / "Games/b"));
}

} // namespace
} // namespace kestrel::platform
