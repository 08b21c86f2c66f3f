// Archives kept inside floppy images: opened through the catalog as Enter
// does (saved to the archive work file first), their members compared with
// the copies stored loose on the same disk, and the way back up.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <vector>

#include "tests/support/arc_writer.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::ReadArcTestFile;
using testing::RecordingUi;

const fs::path kDisks = fs::path(KESTREL_REALDATA) / "xdt99" / "disk";

struct SavedFile {
    TiFileDescriptor ti;
    std::vector<uint8_t> data;
};

bool LoadSaved(const std::string &path, SavedFile &saved)
{
    std::vector<uint8_t> bytes;
    if (!ReadArcTestFile(path, bytes) || bytes.size() < kHeaderSize) {
        return false;
    }
    saved.data.assign(bytes.begin() + kHeaderSize, bytes.end());
    return DecodeHeader(bytes.data(), "x", false, saved.ti);
}

// The records of a file as TI software reads them: the unused tails of
// sectors are not part of a file and differ between copies.
std::vector<std::vector<uint8_t>> RecordsOf(const TiFileDescriptor &ti,
                                            const std::vector<uint8_t> &data)
{
    std::vector<std::vector<uint8_t>> records;
    size_t sectors = std::min<size_t>(ti.sectors, data.size() / kSectorSize);
    if ((ti.flags & kFlagProgram) != 0) {
        size_t size = std::min<size_t>(ti.recordLength, data.size());
        records.emplace_back(data.begin(), data.begin() + size);
    } else if ((ti.flags & kFlagVariable) != 0) {
        for (size_t s = 0; s < sectors && s < ti.level3Count; ++s) {
            const uint8_t *sector = data.data() + s * kSectorSize;
            size_t pos = 0;
            while (pos < kSectorSize && sector[pos] != 0xFF &&
                   pos + 1 + sector[pos] <= kSectorSize) {
                records.emplace_back(sector + pos + 1, sector + pos + 1 + sector[pos]);
                pos += 1 + sector[pos];
            }
        }
    } else if (ti.recordsPerSector > 0) {
        for (size_t r = 0; r < ti.level3Count; ++r) {
            size_t s = r / ti.recordsPerSector;
            size_t offset = s * kSectorSize + (r % ti.recordsPerSector) * ti.recordLength;
            if (s >= sectors || offset + ti.recordLength > data.size()) {
                break;
            }
            records.emplace_back(data.begin() + offset, data.begin() + offset + ti.recordLength);
        }
    }
    return records;
}

class ArcDisk : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterLocationListers();
        if (FindEntrySaver(kLocDskImage) == nullptr) {
            GTEST_SKIP() << "no floppy module registered";
        }
        if (!fs::is_directory(kDisks)) {
            GTEST_SKIP() << "no real data at " << kDisks;
        }
        m_dir = fs::temp_directory_path() / ("kestrel-arcdisk-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
    }

    // Every archive on the disk lists and extracts members identical to the
    // loose files of the same name on that disk.
    void CheckDisk(const std::string &diskName, size_t expectedArchives)
    {
        std::string disk = (kDisks / diskName).string();
        RecordingUi ui;
        Location location;
        ASSERT_TRUE(ResolveLocationPath(location, disk, ui));
        ASSERT_EQ(location.kind, kLocDskImage);
        EntrySaver diskSaver = FindEntrySaver(kLocDskImage);
        std::map<std::string, SavedFile> loose;
        std::vector<CatalogEntry> archives;
        for (const auto &entry : location.entries) {
            if (entry->ti.kind == kKindIntFix && entry->ti.recordLength == 128) {
                archives.push_back(*entry);
                continue;
            }
            if (!IsTiFileKind(entry->ti.kind)) {
                continue;
            }
            std::string target = (m_dir / ("loose-" + std::to_string(loose.size()))).string();
            ASSERT_TRUE(diskSaver(location, *entry, target, ui));
            ASSERT_TRUE(LoadSaved(target, loose[PadTiName(entry->ti.tiName)]));
        }
        ASSERT_EQ(archives.size(), expectedArchives);
        size_t compared = 0;
        for (const CatalogEntry &archive : archives) {
            SCOPED_TRACE(diskName + " " + archive.ti.tiName);
            Location pane;
            ASSERT_TRUE(ResolveLocationPath(pane, disk, ui));
            const CatalogEntry *found = nullptr;
            for (const auto &e : pane.entries) {
                if (e->ti.tiName == archive.ti.tiName) {
                    found = e.get();
                }
            }
            ASSERT_NE(found, nullptr);
            ASSERT_TRUE(OpenEntry(pane, *found, ui));
            ASSERT_EQ(pane.kind, kLocArchive);
            EXPECT_EQ(pane.keptKind, kLocDskImage);
            EXPECT_EQ(pane.keptPath, disk);
            ASSERT_FALSE(pane.entries.empty());
            EXPECT_EQ(pane.entries[0]->ti.kind, kKindUpDir);
            EntrySaver memberSaver = FindEntrySaver(kLocArchive);
            ASSERT_NE(memberSaver, nullptr);
            for (const auto &member : pane.entries) {
                if (member->ti.kind == kKindUpDir) {
                    continue;
                }
                auto it = loose.find(PadTiName(member->ti.tiName));
                ASSERT_NE(it, loose.end()) << member->ti.tiName;
                std::string target = (m_dir / "member").string();
                ASSERT_TRUE(memberSaver(pane, *member, target, ui));
                SavedFile got;
                ASSERT_TRUE(LoadSaved(target, got));
                const SavedFile &want = it->second;
                EXPECT_EQ(got.ti.flags, want.ti.flags & ~kFlagArchive);
                EXPECT_EQ(got.ti.sectors, want.ti.sectors);
                EXPECT_EQ(got.ti.recordsPerSector, want.ti.recordsPerSector);
                EXPECT_EQ(got.ti.eofOffset, want.ti.eofOffset);
                EXPECT_EQ(got.ti.recordLength, want.ti.recordLength);
                EXPECT_EQ(got.ti.level3Count, want.ti.level3Count);
                EXPECT_EQ(got.data.size(), want.data.size());
                EXPECT_EQ(RecordsOf(got.ti, got.data), RecordsOf(want.ti, want.data))
                    << member->ti.tiName;
                ++compared;
            }
            // Going up returns to the disk, where the archive was entered.
            ASSERT_TRUE(GoUp(pane, ui));
            EXPECT_EQ(pane.kind, kLocDskImage);
            EXPECT_EQ(pane.path, disk);
            EXPECT_FALSE(pane.archive);
            EXPECT_EQ(pane.entries.size(), location.entries.size());
        }
        EXPECT_GT(compared, 0u);
        EXPECT_TRUE(ui.Errors().empty());
    }

    fs::path m_dir;
};

TEST_F(ArcDisk, ArchivesInsideRealDisksMatchTheirLooseMembers)
{
    CheckDisk("ark1.dsk", 5);
    CheckDisk("ark2.dsk", 1);
}

TEST_F(ArcDisk, ArchiveWithMembersOfManyRecordTypes)
{
    CheckDisk("arkb.dsk", 1);
}

} // namespace
} // namespace kestrel
