#include <gtest/gtest.h>

#include <filesystem>

#include "platform/library_lookup.h"
#include "platform/tests/scratch_dir.h"

namespace kestrel::platform
{
namespace
{

namespace fs = std::filesystem;

TEST(LibraryLookup, ExecutableDirectoryIsTheFolderOfThisProgram)
{
    // The test programs are built into the same folder as the programs.
    const std::string dir = ExecutableDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_TRUE(fs::equivalent(dir, KESTREL_BIN_DIR));
    EXPECT_NE(dir.back(), '/');
}

TEST(LibraryLookup, SearchStartsBesideTheProgramThenTheInstalledFolders)
{
    const std::vector<std::string> dirs = LibrarySearchDirectories("/opt/k/bin/");
    ASSERT_GE(dirs.size(), 2u);
    EXPECT_EQ(dirs[0], "/opt/k/bin");
    EXPECT_EQ(dirs[1],
              (fs::path("/opt/k/bin") / KESTREL_LIBDIR_FROM_BINDIR).lexically_normal().string());
    EXPECT_EQ(dirs[1], "/opt/k/lib/kestrel");
    const std::string installed = KESTREL_INSTALLED_LIBDIR;
    ASSERT_EQ(dirs.size(), 3u);
    EXPECT_EQ(dirs[2], fs::path(installed).lexically_normal().string());
}

TEST(LibraryLookup, AFolderIsSearchedOnceAndAnUnknownProgramFolderIsLeftOut)
{
    // A program that runs from the installed prefix's bin/ reaches the
    // configured library folder both ways; it is tried once.
    const fs::path installed(KESTREL_INSTALLED_LIBDIR);
    const std::vector<std::string> none = LibrarySearchDirectories("");
    ASSERT_EQ(none.size(), 1u);
    EXPECT_EQ(none[0], installed.lexically_normal().string());
    const std::string prefixBin = (installed / ".." / ".." / "bin").lexically_normal().string();
    const std::vector<std::string> dirs = LibrarySearchDirectories(prefixBin);
    ASSERT_EQ(dirs.size(), 2u);
    EXPECT_EQ(dirs[1], installed.lexically_normal().string());
}

TEST(LibraryLookup, WorkingDirectoryPathIsTriedLast)
{
    const std::vector<std::string> paths = DefaultLibraryCandidates("L.so", "/w/./L.so");
    ASSERT_GE(paths.size(), 2u);
    EXPECT_EQ(paths.front(), ExecutableDirectory() + "/L.so");
    EXPECT_EQ(paths.back(), "/w/./L.so");
}

TEST(LibraryLookup, NothingLoadableNamesTheLastPathTried)
{
    testing::ScratchDir scratch;
    // Not a library at all: passed over like a missing file.
    testing::WriteFile(scratch / "fake.so", "not an ELF file");
    Library library;
    std::string path = "stale";
    EXPECT_FALSE(LoadFirstLibrary(library, {}, path));
    EXPECT_EQ(path, "");
    EXPECT_FALSE(LoadFirstLibrary(library, {scratch / "fake.so", scratch / "missing.so"}, path));
    EXPECT_EQ(path, scratch / "missing.so");
    EXPECT_FALSE(library.Loaded());
    EXPECT_FALSE(library.ErrorText().empty());
}

} // namespace
} // namespace kestrel::platform
