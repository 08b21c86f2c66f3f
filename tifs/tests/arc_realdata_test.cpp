// Archives made by TI software: every member must come out exactly as its
// loose copy (the header's TI fields and the data sectors).
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "tests/support/arc_writer.h"
#include "tests/support/recording_ui.h"
#include "tifs/arc/archive_extract.h"
#include "tifs/arc/archive_open.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::ReadArcTestFile;
using testing::RecordingUi;
using testing::WriteArcTestFile;

const fs::path kFiles = fs::path(KESTREL_REALDATA) / "xdt99" / "files";

class ArcRealData : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!fs::is_directory(kFiles)) {
            GTEST_SKIP() << "no real data at " << kFiles;
        }
        m_dir = fs::temp_directory_path() / ("kestrel-arcreal-" + std::to_string(::getpid()));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override
    {
        if (!m_dir.empty()) {
            fs::remove_all(m_dir);
        }
        ProgramSettings().extractTiFiles = false;
    }

    // Lists the archive (a PC file with its header) and checks every member
    // against the loose copy <member>.tfi beside the archive.
    void CheckArchive(const std::string &archiveName, size_t expectedMembers)
    {
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadArcTestFile((m_dir / archiveName).string(), bytes));
        CatalogEntry entry;
        entry.pcName = archiveName;
        ASSERT_TRUE(DecodeHeader(bytes.data(), archiveName, false, entry.ti));
        Location location;
        location.path = m_dir.string();
        RecordingUi ui;
        ASSERT_TRUE(OpenArchive(location, entry, false, "", ui));
        ASSERT_EQ(location.entries.size(), expectedMembers);
        for (const auto &member : location.entries) {
            std::string name = member->ti.tiName.substr(0, member->ti.tiName.find(' '));
            for (char &c : name) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            SCOPED_TRACE(archiveName + " member " + name);
            std::vector<uint8_t> loose;
            ASSERT_TRUE(ReadArcTestFile((kFiles / (name + ".tfi")).string(), loose));
            for (bool tifiles : {true, false}) {
                ProgramSettings().extractTiFiles = tifiles;
                std::string target = (m_dir / (name + (tifiles ? ".out" : ".v9t9"))).string();
                ASSERT_TRUE(ExtractArchiveMember(location, *member, kExtractTiFile, target, ui));
                std::vector<uint8_t> got;
                ASSERT_TRUE(ReadArcTestFile(target, got));
                ASSERT_EQ(got.size(), loose.size());
                EXPECT_TRUE(std::equal(got.begin() + 128, got.end(), loose.begin() + 128));
                if (tifiles) {
                    // Sectors, flags, records per sector, EOF offset, record length, level 3.
                    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 16, loose.begin()));
                } else {
                    TiFileDescriptor a, b;
                    ASSERT_TRUE(DecodeHeader(got.data(), name, false, a));
                    ASSERT_TRUE(DecodeHeader(loose.data(), name, false, b));
                    EXPECT_EQ(a.tiName, b.tiName);
                    EXPECT_EQ(a.flags, b.flags);
                    EXPECT_EQ(a.sectors, b.sectors);
                    EXPECT_EQ(a.recordsPerSector, b.recordsPerSector);
                    EXPECT_EQ(a.eofOffset, b.eofOffset);
                    EXPECT_EQ(a.recordLength, b.recordLength);
                    EXPECT_EQ(a.level3Count, b.level3Count);
                }
            }
        }
        EXPECT_TRUE(ui.Silent());
    }

    fs::path m_dir;
};

TEST_F(ArcRealData, EveryMemberOfEveryArchiveMatchesItsLooseCopy)
{
    // The *_ark files are bare archive sectors; give them the header of an
    // INT/FIX 128 file as a disk would.
    const char *bare[] = {"arkfile1t_ark", "arkfile2t_ark", "arkfile3b_ark",
                          "arkfile4b_ark", "arkfile5t_ark", "arkfileall_ark"};
    for (const char *name : bare) {
        std::vector<uint8_t> sectors;
        ASSERT_TRUE(ReadArcTestFile((kFiles / name).string(), sectors));
        ASSERT_TRUE(
            WriteArcTestFile((m_dir / name).string(), testing::ArcFileBytes(sectors, true)));
        CheckArchive(name, std::string(name) == "arkfileall_ark" ? 5 : 1);
    }
    fs::copy_file(kFiles / "archive.tfi", m_dir / "archive.tfi");
    CheckArchive("archive.tfi", 5);
}

TEST_F(ArcRealData, ArchivesOfEveryRealTiFileRoundTrip)
{
    std::vector<testing::ArcMember> members;
    for (const auto &item : fs::directory_iterator(kFiles)) {
        std::string ext = item.path().extension().string();
        if (ext != ".tfi" && ext != ".v9t9") {
            continue;
        }
        testing::ArcMember member;
        if (testing::ReadTiFileMember(item.path().string(), member)) {
            members.push_back(member);
        }
    }
    ASSERT_GT(members.size(), 20u);
    ASSERT_LE(members.size(), 127u);
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        std::string name = compressed ? "all.ark" : "all.arc";
        ASSERT_TRUE(WriteArcTestFile(
            (m_dir / name).string(),
            testing::ArcFileBytes(testing::BuildArcSectors(members, compressed), compressed)));
        std::vector<uint8_t> bytes;
        ASSERT_TRUE(ReadArcTestFile((m_dir / name).string(), bytes));
        CatalogEntry entry;
        entry.pcName = name;
        ASSERT_TRUE(DecodeHeader(bytes.data(), name, false, entry.ti));
        Location location;
        location.path = m_dir.string();
        RecordingUi ui;
        ASSERT_TRUE(OpenArchive(location, entry, false, "", ui));
        ASSERT_EQ(location.entries.size(), members.size());
        for (size_t i = 0; i < members.size(); ++i) {
            const CatalogEntry &e = *location.entries[i];
            EXPECT_EQ(e.ti.tiName, members[i].ti.tiName);
            std::string target = (m_dir / ("m" + std::to_string(i))).string();
            ASSERT_TRUE(ExtractArchiveMember(location, e, kExtractTiFile, target, ui));
            std::vector<uint8_t> got;
            ASSERT_TRUE(ReadArcTestFile(target, got));
            TiFileDescriptor d = members[i].ti;
            d.flags &= ~kFlagArchive;
            std::vector<uint8_t> expected(kHeaderSize);
            MakeV9t9Header(d, expected.data());
            expected.insert(expected.end(), members[i].data.begin(), members[i].data.end());
            EXPECT_EQ(got, expected) << e.ti.tiName;
        }
        EXPECT_TRUE(ui.Silent());
    }
}

} // namespace
} // namespace kestrel
