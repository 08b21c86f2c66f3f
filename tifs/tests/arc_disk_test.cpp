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
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
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
        CheckDiskAt((kDisks / diskName).string(), expectedArchives);
    }
    void CheckDiskAt(const std::string &disk, size_t expectedArchives)
    {
        const std::string &diskName = disk;
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

TEST_F(ArcDisk, ArchivesInsideABuiltDiskOpenExtractAndLeadBack)
{
    // Both archive forms and, loose, the members they pack.
    std::vector<testing::ArcMember> members = {
        testing::ArcMemberFrom("NOTES", 0x80, 80, 3, 0x21, 2, std::vector<uint8_t>(512, 'n')),
        testing::ArcMemberFrom("CODE", 0x01, 0, 0, 0x40, 0, std::vector<uint8_t>(3 * 256, 0x5A)),
        testing::ArcMemberFrom("TABLE", 0x02, 64, 4, 0, 7, std::vector<uint8_t>(512, 0x11)),
    };
    std::string image = (m_dir / "built.dsk").string();
    RecordingUi ui;
    ASSERT_EQ(WriteNewImage(*FindPreset(kDefaultPreset), "BUILT", image, ui), 0);
    FloppyTarget target;
    target.imagePath = image;
    auto add = [&](const std::string &tiName, const std::vector<uint8_t> &bytes) {
        std::string source = (m_dir / "source").string();
        ASSERT_TRUE(testing::WriteArcTestFile(source, bytes));
        CatalogEntry entry;
        entry.pcName = "source";
        ASSERT_TRUE(DecodeHeader(bytes.data(), "source", false, entry.ti));
        entry.ti.tiName = PadTiName(tiName);
        AddFileState state;
        ASSERT_EQ(AddFileToImage(target, entry, source, state, ui), kAddDone);
    };
    add("PACKED", testing::ArcFileBytes(testing::BuildArcSectors(members, true), true));
    add("PLAIN", testing::ArcFileBytes(testing::BuildArcSectors(members, false), false));
    for (const auto &m : members) {
        add(m.ti.tiName,
            testing::TiFileBytes(static_cast<uint8_t>(m.ti.flags),
                                 static_cast<uint8_t>(m.ti.recordLength), m.ti.recordsPerSector,
                                 m.ti.level3Count, m.data, m.ti.eofOffset));
    }
    ASSERT_TRUE(ui.Errors().empty());
    // PLAIN is DIS/FIX 128: CheckDiskAt counts INT/FIX archives only.
    CheckDiskAt(image, 1);

    // The uncompressed one opens the same way, through the DIS/FIX path.
    Location pane;
    ASSERT_TRUE(ResolveLocationPath(pane, image + "/PLAIN", ui));
    ASSERT_EQ(pane.kind, kLocArchive);
    EXPECT_EQ(pane.entries.size(), members.size() + 1);
    EXPECT_EQ(pane.entries[1]->compressed, 0);
    EXPECT_TRUE(ui.Errors().empty());
}

TEST_F(ArcDisk, ArchivesInsideRealDisksMatchTheirLooseMembers)
{
    if (!fs::is_directory(kDisks)) {
        GTEST_SKIP() << "no real data at " << kDisks;
    }
    CheckDisk("ark1.dsk", 5);
    CheckDisk("ark2.dsk", 1);
}

TEST_F(ArcDisk, ArchiveWithMembersOfManyRecordTypes)
{
    if (!fs::is_directory(kDisks)) {
        GTEST_SKIP() << "no real data at " << kDisks;
    }
    CheckDisk("arkb.dsk", 1);
}

} // namespace
} // namespace kestrel
