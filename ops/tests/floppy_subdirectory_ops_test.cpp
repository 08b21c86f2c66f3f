// New directory, delete and rename of subdirectories in a floppy image and
// in a volume of a CF7A+ card image, as the pane commands run them.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "drives/cf7_layout.h"
#include "ops/copy.h"
#include "ops/delete_entries.h"
#include "ops/new_directory.h"
#include "ops/register_all.h"
#include "ops/rename_entry.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/disk_check/disk_check.h"
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

class FloppySubdirectoryOps : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAllListers();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-subdir-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        std::filesystem::create_directory(m_dir + "/src");
        for (const char *name : {"ALPHA", "BRAVO"}) {
            TiFileSpec fileSpec;
            fileSpec.tiName = name;
            fileSpec.sectors = 4;
            ASSERT_TRUE(WriteBytes(m_dir + "/src/" + name + ".v9", MakeTiFileBytes(fileSpec)));
        }
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    Location Open(const std::string &path)
    {
        Location location;
        EXPECT_TRUE(ResolveLocationPath(location, path, m_ui)) << path;
        return location;
    }
    CatalogEntry *Find(Location &location, const std::string &name)
    {
        return const_cast<CatalogEntry *>(FindEntryByName(location, name));
    }
    // Copies both source files into the location, as F5 does.
    void CopyBoth(Location &destination)
    {
        Location source = Open(m_dir + "/src");
        for (auto &entry : source.entries) {
            entry->marked = entry->ti.kind != kKindUpDir;
        }
        ASSERT_EQ(RunCopy(destination, source, nullptr, {}, m_ui), kCopyGoOn);
    }

    // The pane's round of a subdirectory: made at the root, entered, filled,
    // left, refused while full, renamed, emptied and deleted.
    void RoundTrip(Location &root, const std::string &imagePath, uint64_t base)
    {
        ASSERT_TRUE(CheckNewDirectory(root, m_ui));
        ASSERT_TRUE(CreateNewDirectory(root, {"games"}, m_ui)) << m_ui.Errors().back();
        CatalogEntry *dir = Find(root, "GAMES");
        ASSERT_NE(dir, nullptr);
        EXPECT_EQ(dir->ti.kind, kKindSubdir);

        ASSERT_TRUE(OpenEntry(root, *dir, m_ui));
        EXPECT_GT(root.fdirSector, 1);
        EXPECT_FALSE(CheckNewDirectory(root, m_ui));
        EXPECT_EQ(m_ui.Errors().back(), "Can't create a directory here");
        CopyBoth(root);
        ASSERT_NE(Find(root, "ALPHA"), nullptr);
        ASSERT_NE(Find(root, "BRAVO"), nullptr);
        ASSERT_TRUE(GoUp(root, m_ui));
        EXPECT_EQ(root.fdirSector, 1);
        EXPECT_EQ(Find(root, "ALPHA"), nullptr);

        DiskCheckResult check;
        ASSERT_TRUE(CheckDiskImage(imagePath, base, check, m_ui));
        EXPECT_TRUE(check.Clean()) << check.findings.front();
        EXPECT_EQ(check.files, 2u);
        EXPECT_EQ(check.directories, 1u);

        const size_t errors = m_ui.Errors().size();
        EXPECT_EQ(DeleteEntries(root, Find(root, "GAMES"), {}, m_ui), 0);
        ASSERT_EQ(m_ui.Errors().size(), errors + 1);
        EXPECT_EQ(m_ui.Errors().back(), "Directory <GAMES> is not empty");

        int index = -1;
        ASSERT_TRUE(RenameEntry(root, *Find(root, "GAMES"), {"play"}, m_ui, &index));
        ASSERT_GE(index, 0);
        EXPECT_EQ(root.entries[static_cast<size_t>(index)]->ti.tiName, "PLAY      ");

        ASSERT_TRUE(OpenEntry(root, *Find(root, "PLAY"), m_ui));
        for (auto &entry : root.entries) {
            entry->marked = entry->ti.kind != kKindUpDir;
        }
        EXPECT_EQ(DeleteEntries(root, nullptr, {}, m_ui), 2);
        ASSERT_TRUE(GoUp(root, m_ui));
        EXPECT_EQ(DeleteEntries(root, Find(root, "PLAY"), {}, m_ui), 1);
        EXPECT_EQ(Find(root, "PLAY"), nullptr);
        ASSERT_TRUE(CheckDiskImage(imagePath, base, check, m_ui));
        EXPECT_TRUE(check.Clean());
        EXPECT_EQ(check.sectorsInUse, 2u);
        EXPECT_EQ(m_ui.Errors().size(), errors + 1);
    }

    RecordingUi m_ui;
    std::string m_dir;
};

TEST_F(FloppySubdirectoryOps, DiskImageRoundTrip)
{
    const std::string dsk = m_dir + "/d.dsk";
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "DATA", dsk, m_ui), 0);
    Location root = Open(dsk);
    RoundTrip(root, dsk, 0);
}

TEST_F(FloppySubdirectoryOps, CardImageVolumeRoundTrip)
{
    const std::string dsk = m_dir + "/v.dsk";
    ASSERT_EQ(WriteNewImage(*FindPreset(3), "VOLTWO", dsk, m_ui), 0);
    std::vector<uint8_t> card(kCf7HeaderSize + 2 * kCf7VolumeBytes, 0);
    BuildCf7ImageHeader("CARD", nullptr, card.data());
    std::vector<uint8_t> volume = ReadBytes(dsk);
    std::copy(volume.begin(), volume.end(), card.begin() + Cf7ImageVolumeBase(2));
    const std::string cardPath = m_dir + "/card.cf7";
    ASSERT_TRUE(WriteBytes(cardPath, card));

    Location root = Open(cardPath + "/2");
    ASSERT_EQ(root.kind, kLocCf7Volume);
    RoundTrip(root, cardPath, Cf7ImageVolumeBase(2));
    // Volume 1 and the header never change.
    std::vector<uint8_t> after = ReadBytes(cardPath);
    EXPECT_TRUE(std::equal(card.begin(), card.begin() + Cf7ImageVolumeBase(2), after.begin()));
}

TEST_F(FloppySubdirectoryOps, ReadOnlyImagesRefuseNewDirectories)
{
    const std::string dsk = m_dir + "/p.dsk";
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "PC99", dsk, m_ui), 0);
    ASSERT_TRUE(WriteBytes(m_dir + "/p.pc99", testing::MakePc99Image(ReadBytes(dsk), 10, 40, 1)));
    Location pc99 = Open(m_dir + "/p.pc99");
    ASSERT_EQ(pc99.kind, kLocPc99Image);
    EXPECT_FALSE(CheckNewDirectory(pc99, m_ui));
    EXPECT_FALSE(CreateNewDirectory(pc99, {"X"}, m_ui));
    EXPECT_EQ(m_ui.Errors().back(), "Can't create a directory here");
}

} // namespace
} // namespace kestrel
