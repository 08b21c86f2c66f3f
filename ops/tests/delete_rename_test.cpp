// Delete, rename and new directory in a PC directory and in a disk image.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "drives/hd_binding.h"
#include "ops/copy.h"
#include "ops/delete_entries.h"
#include "ops/new_directory.h"
#include "ops/register_all.h"
#include "ops/rename_entry.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel
{
namespace
{

using testing::MakeTiFileBytes;
using testing::ReadBytes;
using testing::RecordingUi;
using testing::TiFileSpec;
using testing::WriteBytes;

class ChangeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAllListers();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-ren-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    Location Open(const std::string &path)
    {
        Location location;
        EXPECT_TRUE(ResolveLocationPath(location, path, m_ui));
        return location;
    }
    CatalogEntry *Find(Location &location, const std::string &name)
    {
        return const_cast<CatalogEntry *>(FindEntryByName(location, name));
    }
    void WriteV9t9(const std::string &pcName, const std::string &tiName)
    {
        TiFileSpec fileSpec;
        fileSpec.tiName = tiName;
        ASSERT_TRUE(WriteBytes(m_dir + "/" + pcName, MakeTiFileBytes(fileSpec)));
    }

    RecordingUi m_ui;
    std::string m_dir;
};

TEST_F(ChangeTest, DeletingANonEmptyFolderStopsTheBatch)
{
    std::filesystem::create_directories(m_dir + "/afolder/inner");
    WriteV9t9("zfile.v9", "ZFILE");
    Location location = Open(m_dir);
    Find(location, "afolder")->marked = true;
    Find(location, "zfile.v9")->marked = true;
    EXPECT_EQ(DeleteEntries(location, nullptr, {}, m_ui), 0);
    ASSERT_EQ(m_ui.Errors().size(), 1u);
    EXPECT_EQ(m_ui.Errors()[0].rfind("Can't delete file <" + m_dir + "/afolder>", 0), 0u)
        << m_ui.Errors()[0];
    EXPECT_NE(m_ui.Errors()[0].find("ERROR "), std::string::npos); // the system's text
    EXPECT_TRUE(std::filesystem::exists(m_dir + "/zfile.v9"));
}

TEST_F(ChangeTest, DeletingTheOpenHardDiskImageReleasesIt)
{
    std::string image = m_dir + "/disk.hd";
    ASSERT_TRUE(WriteBytes(image, std::vector<uint8_t>(512, 0)));
    Location location;
    location.path = m_dir;
    CatalogEntry entry;
    entry.pcName = "disk.hd";
    entry.ti.kind = kKindHdImage;
    SetCachedHdImagePath(image);
    ASSERT_TRUE(DeletePcEntry(location, entry, m_ui));
    EXPECT_FALSE(std::filesystem::exists(image));
    EXPECT_EQ(CachedHdImagePath(), "");
}

TEST_F(ChangeTest, DeleteChecksAndQuestion)
{
    WriteV9t9("one.v9", "ONE");
    Location location = Open(m_dir);
    EXPECT_EQ(DeleteQuestion(location, Find(location, "one.v9")),
              "Do you really wish to delete <ONE>");
    CatalogEntry parent;
    parent.ti.kind = kKindUpDir;
    EXPECT_FALSE(CheckDelete(location, &parent, m_ui));
    EXPECT_EQ(m_ui.Errors().back(), "Can't delete this directory");
    Location archive;
    archive.kind = kLocArchive;
    EXPECT_FALSE(CheckDelete(archive, nullptr, m_ui));
    EXPECT_EQ(m_ui.Errors().back(), "Can only delete files from directories or DSK images");
    EXPECT_FALSE(CheckNewDirectory(archive, m_ui));
    EXPECT_EQ(m_ui.Errors().back(), "Can't create a directory here");
}

TEST_F(ChangeTest, DeleteFromDiskImageKeepsTheOthers)
{
    std::string dsk = m_dir + "/d.dsk";
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "DATA", dsk, m_ui), 0);
    WriteV9t9("a.v9", "A");
    WriteV9t9("b.v9", "B");
    Location source = Open(m_dir);
    Find(source, "a.v9")->marked = true;
    Find(source, "b.v9")->marked = true;
    Location disk = Open(dsk);
    ASSERT_EQ(RunCopy(disk, source, nullptr, {}, m_ui), kCopyGoOn);
    ASSERT_EQ(DeleteEntries(disk, Find(disk, "A"), {}, m_ui), 1);
    EXPECT_EQ(Find(disk, "A"), nullptr);
    EXPECT_NE(Find(disk, "B"), nullptr);
    EXPECT_TRUE(m_ui.Errors().empty());
}

TEST_F(ChangeTest, RenamingV9t9FileRewritesItsName)
{
    WriteV9t9("game.v9", "GAME");
    Location location = Open(m_dir);
    CatalogEntry *entry = Find(location, "game.v9");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(RenamePrefill(location, *entry), "GAME");
    int index = -1;
    ASSERT_TRUE(RenameEntry(location, *entry, {"NEWGAME"}, m_ui, &index));
    std::vector<uint8_t> bytes = ReadBytes(m_dir + "/NEWGAME.v9");
    ASSERT_GE(bytes.size(), 10u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), "NEWGAME   ");
    EXPECT_FALSE(std::filesystem::exists(m_dir + "/game.v9"));
    ASSERT_GE(index, 0);
    EXPECT_EQ(location.entries[index]->pcName, "NEWGAME.v9");
}

TEST_F(ChangeTest, RenamingOntoAnExistingNameKeepsBothFiles)
{
    WriteV9t9("game.v9", "GAME");
    WriteV9t9("other.v9", "OTHER");
    std::vector<uint8_t> before = ReadBytes(m_dir + "/other.v9");
    std::filesystem::create_directories(m_dir + "/EMPTY");
    std::filesystem::create_directories(m_dir + "/folder");
    Location location = Open(m_dir);
    EXPECT_FALSE(RenameEntry(location, *Find(location, "game.v9"), {"other"}, m_ui));
    ASSERT_EQ(m_ui.Errors().size(), 1u);
    EXPECT_EQ(m_ui.Errors()[0].rfind("Can't rename file or directory <" + m_dir + "/game.v9>",
                                     0),
              0u)
        << m_ui.Errors()[0];
    EXPECT_TRUE(std::filesystem::exists(m_dir + "/game.v9"));
    EXPECT_EQ(ReadBytes(m_dir + "/other.v9"), before);
    // An empty directory of the new name is not replaced either.
    EXPECT_FALSE(RenameEntry(location, *Find(location, "folder"), {"EMPTY"}, m_ui));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir + "/folder"));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir + "/EMPTY"));
}

TEST_F(ChangeTest, RenamingTheOpenHardDiskImageReleasesIt)
{
    ASSERT_TRUE(WriteBytes(m_dir + "/disk.hd", std::vector<uint8_t>(512, 0)));
    Location location;
    location.path = m_dir;
    CatalogEntry entry;
    entry.pcName = "disk.hd";
    entry.ti.kind = kKindHdImage;
    SetCachedHdImagePath(m_dir + "/disk.hd");
    ASSERT_TRUE(RenameEntry(location, entry, {"other"}, m_ui));
    EXPECT_TRUE(std::filesystem::exists(m_dir + "/other.hd"));
    EXPECT_EQ(CachedHdImagePath(), "");
}

TEST_F(ChangeTest, RenamingDskImageRenamesTheDisk)
{
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "OLD", m_dir + "/old.dsk", m_ui), 0);
    Location location = Open(m_dir);
    CatalogEntry *entry = Find(location, "old.dsk");
    ASSERT_NE(entry, nullptr);
    ASSERT_TRUE(RenameEntry(location, *entry, {"fresh"}, m_ui));
    std::vector<uint8_t> bytes = ReadBytes(m_dir + "/fresh.dsk");
    ASSERT_GE(bytes.size(), 256u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), "FRESH     ");
    EXPECT_EQ(bytes[13], 'D'); // the rest of the VIB untouched
    EXPECT_TRUE(m_ui.Errors().empty());
}

TEST_F(ChangeTest, NameFilters)
{
    EXPECT_EQ(ApplyNameFilter(NameFilter::PcName, "read.me now"), "read.menow");
    EXPECT_EQ(ApplyNameFilter(NameFilter::TiName, "read.me"), "readme");
    EXPECT_EQ(ApplyNameFilter(NameFilter::TiName, "ABCDEFGHIJKL"), "ABCDEFGHIJ");
    EXPECT_EQ(ApplyNameFilter(NameFilter::Label, "A/B.C D"), "A/BCD");
    EXPECT_EQ(NameFilterLength(NameFilter::PcName), 30u);
}

TEST_F(ChangeTest, NewDirectoryAndItsRefusals)
{
    Location location = Open(m_dir);
    EXPECT_FALSE(CreateNewDirectory(location, {""}, m_ui));
    EXPECT_EQ(m_ui.boxes.back().text, "Please enter a name for the directory");
    EXPECT_FALSE(CreateNewDirectory(location, {".."}, m_ui));
    ASSERT_TRUE(CreateNewDirectory(location, {"GAMES"}, m_ui));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir + "/GAMES"));
    EXPECT_NE(Find(location, "GAMES"), nullptr);
    EXPECT_FALSE(CreateNewDirectory(location, {"GAMES"}, m_ui));
    EXPECT_EQ(m_ui.Errors().back().rfind("Can't create directory <", 0), 0u);
}

} // namespace
} // namespace kestrel
