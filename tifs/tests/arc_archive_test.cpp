#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "tests/support/arc_writer.h"
#include "tests/support/recording_ui.h"
#include "tifs/arc/arc_registration.h"
#include "tifs/arc/archive_directory.h"
#include "tifs/arc/archive_extract.h"
#include "tifs/arc/archive_open.h"
#include "tifs/arc/archive_reader.h"
#include "tifs/byte_order.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::ArcFileBytes;
using testing::ArcMember;
using testing::ArcMemberFrom;
using testing::BuildArcSectors;
using testing::ReadArcTestFile;
using testing::RecordingUi;
using testing::TiFileBytes;
using testing::WriteArcTestFile;

std::vector<uint8_t> Pattern(size_t size, unsigned seed)
{
    std::vector<uint8_t> out(size);
    std::mt19937 rng(seed);
    for (size_t i = 0; i < size; ++i) {
        out[i] = static_cast<uint8_t>(rng() % 3 == 0 ? rng() : 'a' + i % 7);
    }
    return out;
}

// A member of every type, with odd sizes and end-of-file offsets.
std::vector<ArcMember> MixedMembers()
{
    return {
        ArcMemberFrom("LISTING", 0x80, 80, 3, 0x49, 4, Pattern(900, 1)),  // DIS/VAR 80
        ArcMemberFrom("RECORDS", 0x00, 128, 2, 0, 5, Pattern(640, 2)),    // DIS/FIX 128
        ArcMemberFrom("DATA", 0x82, 254, 1, 0x20, 3, Pattern(700, 3)),    // INT/VAR 254
        ArcMemberFrom("TABLE", 0x02, 32, 8, 0, 20, Pattern(700, 4)),      // INT/FIX 32
        ArcMemberFrom("GAME", 0x01, 0, 0, 0x10, 0, Pattern(3 * 256, 5)),  // PROGRAM
        ArcMemberFrom("LOCKED", 0x09, 0, 0, 0, 0, Pattern(256, 6)),       // protected PROGRAM
        ArcMemberFrom("ARCHIVED", 0x90, 80, 3, 0x10, 1, Pattern(100, 7)), // archive bit set
    };
}

class ArcArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("kestrel-arc-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        ProgramSettings().extractTiFiles = false;
        ProgramSettings().zubCompatible = false;
    }
    void TearDown() override
    {
        fs::remove_all(m_dir);
        ProgramSettings().extractTiFiles = false;
    }
    std::string Path(const std::string &name) const { return (m_dir / name).string(); }

    // Writes an archive PC file and returns its catalog entry in the directory.
    CatalogEntry WriteArchive(const std::string &name, const std::vector<ArcMember> &members,
                              bool compressed, testing::LzwOptions options = {})
    {
        return WriteFile(name,
                         ArcFileBytes(BuildArcSectors(members, compressed, options), compressed));
    }
    CatalogEntry WriteFile(const std::string &name, const std::vector<uint8_t> &bytes)
    {
        EXPECT_TRUE(WriteArcTestFile(Path(name), bytes));
        CatalogEntry entry;
        entry.pcName = name;
        EXPECT_TRUE(DecodeHeader(bytes.data(), name, false, entry.ti));
        return entry;
    }
    Location DirectoryLocation() const
    {
        Location location;
        location.kind = kLocPcDirectory;
        location.path = m_dir.string();
        location.startPath = location.path;
        return location;
    }
    // What extraction must produce for a member: its header, then its sectors.
    static std::vector<uint8_t> ExpectedFile(const ArcMember &member, bool tifiles)
    {
        TiFileDescriptor d = member.ti;
        d.flags &= ~kFlagArchive;
        std::vector<uint8_t> bytes(kHeaderSize);
        if (tifiles) {
            MakeTifilesHeader(d, bytes.data());
        } else {
            MakeV9t9Header(d, bytes.data());
        }
        bytes.insert(bytes.end(), member.data.begin(), member.data.end());
        return bytes;
    }

    fs::path m_dir;
};

TEST_F(ArcArchiveTest, BothFormsListTheSameMembersAndExtractByteIdenticalFiles)
{
    std::vector<ArcMember> members = MixedMembers();
    for (bool compressed : {false, true}) {
        for (bool tifiles : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "compressed " << compressed << " tifiles " << tifiles);
            ProgramSettings().extractTiFiles = tifiles;
            CatalogEntry archive = WriteArchive("mixed.ark", members, compressed);
            Location location = DirectoryLocation();
            RecordingUi ui;
            ASSERT_TRUE(OpenArchive(location, archive, true, "", ui));
            EXPECT_TRUE(ui.Silent());
            EXPECT_EQ(location.kind, kLocArchive);
            EXPECT_TRUE(location.archive);
            EXPECT_EQ(location.path, Path("mixed.ark"));
            EXPECT_EQ(location.keptPath, m_dir.string());
            ASSERT_EQ(location.containerEntries.size(), 1u);
            ASSERT_EQ(location.entries.size(), members.size() + 1);
            EXPECT_EQ(location.entries[0]->ti.kind, kKindUpDir);
            for (size_t i = 0; i < members.size(); ++i) {
                const CatalogEntry &e = *location.entries[i + 1];
                EXPECT_EQ(e.ti.tiName, members[i].ti.tiName);
                EXPECT_EQ(e.ti.flags, members[i].ti.flags);
                EXPECT_EQ(e.ti.sectors, members[i].ti.sectors);
                EXPECT_EQ(e.ti.level3Count, members[i].ti.level3Count);
                EXPECT_EQ(e.ti.headerKind, kHeaderV9t9);
                EXPECT_EQ(e.archiveMember, i + 1);
                EXPECT_EQ(e.compressed, compressed ? 1 : 0);
                EXPECT_EQ(e.pcName, Path("mixed.ark"));
                std::string target = Path("out" + std::to_string(i));
                ASSERT_TRUE(ExtractArchiveMember(location, e, kExtractTiFile, target, ui));
                std::vector<uint8_t> got;
                ASSERT_TRUE(ReadArcTestFile(target, got));
                EXPECT_EQ(got, ExpectedFile(members[i], tifiles)) << "member " << i;
            }
            EXPECT_TRUE(ui.Silent());
            EXPECT_EQ(location.entries[5]->ti.kind, kKindProgram);
            EXPECT_EQ(location.entries[5]->ti.recordLength, 2 * 256 + 0x10);
        }
    }
}

TEST_F(ArcArchiveTest, FifteenMembersTakeTwoDirectoryBlocks)
{
    std::vector<ArcMember> members;
    for (int i = 0; i < 15; ++i) {
        members.push_back(ArcMemberFrom("F" + std::to_string(i + 1), 0x00, 80, 3, 0, 3,
                                        Pattern(256 * (1 + i % 3), 100 + i)));
    }
    std::vector<uint8_t> sectors = BuildArcSectors(members, false);
    EXPECT_EQ(std::memcmp(sectors.data() + 252, "END!", 4) != 0, true);
    EXPECT_EQ(std::memcmp(sectors.data() + 256 + 252, "END!", 4), 0);
    ArchiveDirectory directory = ParseUncompressedDirectory(sectors.data(), sectors.size());
    EXPECT_EQ(directory.blocks, 2u);
    ASSERT_EQ(directory.members.size(), 15u);

    // Member 15 starts after the sectors of members 1 to 14 plus the two blocks.
    size_t before = 0;
    for (int i = 0; i < 14; ++i) {
        before += members[i].ti.sectors;
    }
    const uint8_t *expected = sectors.data() + (2 + before) * 256;
    ASSERT_EQ(std::memcmp(expected, members[14].data.data(), members[14].data.size()), 0);

    for (bool compressed : {false, true}) {
        CatalogEntry archive = WriteArchive("fifteen.ark", members, compressed);
        Location location = DirectoryLocation();
        RecordingUi ui;
        ASSERT_TRUE(OpenArchive(location, archive, false, "", ui));
        ASSERT_EQ(location.entries.size(), 15u);
        ASSERT_TRUE(
            ExtractArchiveMember(location, *location.entries[14], kExtractTiFile, Path("f15"), ui));
        std::vector<uint8_t> got;
        ASSERT_TRUE(ReadArcTestFile(Path("f15"), got));
        EXPECT_EQ(got, ExpectedFile(members[14], false));
    }
}

TEST_F(ArcArchiveTest, LevelThreeCountByteOrderFollowsTheForm)
{
    TiFileDescriptor d;
    d.tiName = "X";
    d.flags = 0x00;
    d.recordLength = 80;
    d.level3Count = 0x0102;
    uint8_t record[18];
    testing::EncodeArcRecord(d, false, record);
    EXPECT_EQ(record[16], 0x01);
    EXPECT_EQ(DecodeArchiveRecord(record, false).level3Count, 0x0102);
    testing::EncodeArcRecord(d, true, record);
    EXPECT_EQ(record[16], 0x02);
    EXPECT_EQ(DecodeArchiveRecord(record, true).level3Count, 0x0102);
}

TEST_F(ArcArchiveTest, DirectoryNeverHoldsMoreThan127Members)
{
    // Ten full blocks without "END!" claim 140 members.
    std::vector<uint8_t> blocks(11 * 256, 0);
    TiFileDescriptor d;
    d.tiName = "MANY";
    d.flags = 0;
    d.recordLength = 80;
    d.sectors = 1;
    for (size_t b = 0; b < 11; ++b) {
        for (size_t r = 0; r < 14; ++r) {
            testing::EncodeArcRecord(d, false, blocks.data() + b * 256 + r * 18);
        }
    }
    ArchiveDirectory plain = ParseUncompressedDirectory(blocks.data(), blocks.size());
    EXPECT_EQ(plain.members.size(), 127u);
    EXPECT_EQ(plain.blocks, 10u);

    CompressedDirectoryCollector collector;
    size_t added = 0;
    while (!collector.AddBlock(blocks.data() + added * 256)) {
        ++added;
    }
    EXPECT_EQ(added + 1, 10u);
    EXPECT_EQ(collector.Directory().members.size(), 127u);
    EXPECT_EQ(collector.Directory().blocks, 10u);
}

TEST_F(ArcArchiveTest, GifAsDisFix128IsNotAnArchive)
{
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '9', 'a'};
    gif.resize(512, 0);
    CatalogEntry entry = WriteFile("picture.gif", TiFileBytes(0x00, 128, 2, 4, gif));
    Location location = DirectoryLocation();
    RecordingUi ui;
    EXPECT_FALSE(OpenArchive(location, entry, true, "", ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Not an archive <" + Path("picture.gif") + ">");
    EXPECT_EQ(ui.LastMessage(), 17);
    EXPECT_EQ(location.kind, kLocPcDirectory); // the pane stays where it was
    EXPECT_EQ(location.path, m_dir.string());
    EXPECT_TRUE(location.containerEntries.empty());
}

TEST_F(ArcArchiveTest, RecordFileWithoutDirectoryEndIsNotAnArchive)
{
    // A DIS/FIX 128 record file of plain text: records that would decode as
    // members, but no "END!" anywhere in the first ten sectors.
    std::vector<uint8_t> records(12 * 256, 'x');
    CatalogEntry entry = WriteFile("records", TiFileBytes(0x00, 128, 2, 24, records));
    Location location = DirectoryLocation();
    RecordingUi ui;
    EXPECT_FALSE(OpenArchive(location, entry, true, "", ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Not an archive <" + Path("records") + ">");
    EXPECT_EQ(location.kind, kLocPcDirectory);
}

TEST_F(ArcArchiveTest, DisVar80OpenedAsArchiveIsNotAnArchive)
{
    CatalogEntry entry = WriteFile("text", TiFileBytes(0x80, 80, 3, 1, Pattern(256, 9)));
    Location location = DirectoryLocation();
    RecordingUi ui;
    EXPECT_FALSE(OpenArchive(location, entry, true, "", ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Not an archive <" + Path("text") + ">");
}

TEST_F(ArcArchiveTest, ArchiveMemberOpenedAsArchiveAsksForExtractionFirst)
{
    std::vector<uint8_t> inner = BuildArcSectors(MixedMembers(), true);
    ArcMember nested = ArcMemberFrom("INNERARC", 0x02, 128, 2, 0, 0, inner);
    CatalogEntry archive = WriteArchive("outer.ark", {nested}, false);
    Location location = DirectoryLocation();
    RecordingUi ui;
    ASSERT_TRUE(OpenArchive(location, archive, true, "", ui));
    ASSERT_EQ(location.entries.size(), 2u);
    const CatalogEntry member = *location.entries[1];
    EXPECT_FALSE(OpenArchive(location, member, true, "", ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't unark arked archive, first extract <INNERARC>");
    EXPECT_EQ(ui.LastMessage(), 18);
    EXPECT_EQ(location.kind, kLocArchive);
    EXPECT_EQ(location.entries.size(), 2u);

    // Through the registry, as Enter reaches it.
    RegisterArchiveListers();
    EntryOpener opener = FindEntryOpener(kKindIntFix);
    ASSERT_NE(opener, nullptr);
    EXPECT_FALSE(opener(location, member, ui));
    EXPECT_EQ(ui.Errors().size(), 2u);

    // Once extracted, the inner archive opens as any other.
    ASSERT_TRUE(ExtractArchiveMember(location, member, kExtractTiFile, Path("inner.ark"), ui));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadArcTestFile(Path("inner.ark"), bytes));
    CatalogEntry extracted;
    extracted.pcName = "inner.ark";
    ASSERT_TRUE(DecodeHeader(bytes.data(), "inner.ark", false, extracted.ti));
    Location second = DirectoryLocation();
    ASSERT_TRUE(OpenArchive(second, extracted, false, "", ui));
    EXPECT_EQ(second.entries.size(), MixedMembers().size());
}

TEST_F(ArcArchiveTest, CompressedArchiveWithoutClearCodeStartListsNothing)
{
    std::vector<uint8_t> sectors(512, 0x11);
    CatalogEntry entry = WriteFile("odd.ark", ArcFileBytes(sectors, true));
    Location location = DirectoryLocation();
    RecordingUi ui;
    ASSERT_TRUE(OpenArchive(location, entry, true, "", ui));
    EXPECT_TRUE(ui.Silent());
    ASSERT_EQ(location.entries.size(), 1u); // ".." only
}

TEST_F(ArcArchiveTest, TwelveBitArchiveWithoutClearCodesExtracts)
{
    std::vector<ArcMember> members = {
        ArcMemberFrom("BIG", 0x00, 128, 2, 0, 200, Pattern(100 * 256, 21)),
        ArcMemberFrom("AFTER", 0x80, 80, 3, 0x30, 2, Pattern(400, 22)),
    };
    testing::LzwOptions keep;
    keep.clearWhenFull = false;
    CatalogEntry archive = WriteArchive("wide.ark", members, true, keep);
    Location location = DirectoryLocation();
    RecordingUi ui;
    ASSERT_TRUE(OpenArchive(location, archive, false, "", ui));
    ASSERT_EQ(location.entries.size(), 2u);
    ASSERT_TRUE(
        ExtractArchiveMember(location, *location.entries[1], kExtractTiFile, Path("after"), ui));
    std::vector<uint8_t> got;
    ASSERT_TRUE(ReadArcTestFile(Path("after"), got));
    EXPECT_EQ(got, ExpectedFile(members[1], false));
}

TEST_F(ArcArchiveTest, MemberRunningPastTheArchiveReportsAndKeepsTheTarget)
{
    std::vector<ArcMember> members = {ArcMemberFrom("SHORT", 0x00, 80, 3, 0, 3, Pattern(768, 31))};
    for (bool compressed : {false, true}) {
        SCOPED_TRACE(compressed);
        std::vector<uint8_t> sectors = BuildArcSectors(members, compressed);
        // Claim more sectors than the archive holds.
        if (compressed) {
            sectors.resize(std::max<size_t>(256, sectors.size() / 2 / 256 * 256));
        } else {
            sectors.resize(2 * 256);
        }
        CatalogEntry entry = WriteFile("short.ark", ArcFileBytes(sectors, compressed));
        Location location = DirectoryLocation();
        RecordingUi ui;
        ASSERT_TRUE(OpenArchive(location, entry, false, "", ui));
        ASSERT_EQ(location.entries.size(), 1u);
        ASSERT_TRUE(WriteArcTestFile(Path("keep"), {1, 2, 3}));
        EXPECT_FALSE(
            ExtractArchiveMember(location, *location.entries[0], kExtractTiFile, Path("keep"), ui));
        ASSERT_EQ(ui.Errors().size(), 1u);
        EXPECT_EQ(ui.LastMessage(), 6);
        EXPECT_NE(ui.Errors()[0].find("Can't read sector <"), std::string::npos);
        std::vector<uint8_t> kept;
        ASSERT_TRUE(ReadArcTestFile(Path("keep"), kept));
        EXPECT_EQ(kept, (std::vector<uint8_t>{1, 2, 3}));
        EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 2);
    }
}

TEST_F(ArcArchiveTest, DamagedCompressedDirectoryIsNotAnArchive)
{
    // clear, 'A', then code 400 while the next free code is 258.
    std::vector<uint8_t> stream(256, 0);
    stream[0] = 0x80;
    stream[1] = 0x10;
    stream[2] = 0x72;
    CatalogEntry entry = WriteFile("bad.ark", ArcFileBytes(stream, true));
    Location location = DirectoryLocation();
    RecordingUi ui;
    EXPECT_FALSE(OpenArchive(location, entry, true, "", ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Not an archive <" + Path("bad.ark") + ">");
    EXPECT_EQ(location.kind, kLocPcDirectory);
}

TEST_F(ArcArchiveTest, ExtractionRefusesAMemberTheArchiveNoLongerHolds)
{
    CatalogEntry archive = WriteArchive("swap.ark", MixedMembers(), true);
    Location location = DirectoryLocation();
    RecordingUi ui;
    ASSERT_TRUE(OpenArchive(location, archive, false, "", ui));
    CatalogEntry member = *location.entries[2];
    // The work file is replaced by another archive behind the pane's back.
    WriteArchive("swap.ark", {ArcMemberFrom("OTHER", 0, 80, 3, 0, 1, Pattern(256, 1))}, true);
    EXPECT_FALSE(ExtractArchiveMember(location, member, kExtractTiFile, Path("x"), ui));
    EXPECT_EQ(ui.LastMessage(), 17);
    EXPECT_FALSE(fs::exists(Path("x")));
}

TEST_F(ArcArchiveTest, TextExtractionHandsChunksToTheConverter)
{
    std::vector<ArcMember> members = {
        ArcMemberFrom("LONG", 0x80, 80, 3, 0x10, 60, Pattern(60 * 256, 41))};
    for (bool compressed : {false, true}) {
        CatalogEntry archive = WriteArchive("text.ark", members, compressed);
        Location location = DirectoryLocation();
        RecordingUi ui;
        ASSERT_TRUE(OpenArchive(location, archive, false, "", ui));
        std::vector<size_t> counts;
        std::vector<int> calls;
        ArchiveTextWriter writer = [&](const uint8_t *data, size_t count, const CatalogEntry &e,
                                       std::FILE *out, int callIndex, Ui &) {
            EXPECT_EQ(e.ti.tiName, "LONG      ");
            counts.push_back(count);
            calls.push_back(callIndex);
            return std::fwrite(data, 1, count * 256, out) == count * 256;
        };
        ASSERT_TRUE(
            SaveArchiveMemberAsText(location, *location.entries[0], Path("long.txt"), writer, ui));
        std::vector<uint8_t> got;
        ASSERT_TRUE(ReadArcTestFile(Path("long.txt"), got));
        EXPECT_EQ(got, members[0].data);
        size_t chunk = compressed ? 25 : 50;
        ASSERT_FALSE(counts.empty());
        for (size_t i = 0; i + 1 < counts.size(); ++i) {
            EXPECT_EQ(counts[i], chunk);
            EXPECT_EQ(calls[i], static_cast<int>(i));
        }
    }
}

TEST_F(ArcArchiveTest, ChooserProposesThePcNameWhenNoTargetIsGiven)
{
    CatalogEntry archive =
        WriteArchive("c.ark", {ArcMemberFrom("A:B", 0x01, 0, 0, 0x20, 0, Pattern(256, 2))}, false);
    std::string savedSettings = ProgramSettings().path;
    ProgramSettings().path = Path("Kestrel.ini");
    Location location = DirectoryLocation();
    RecordingUi ui;
    ASSERT_TRUE(OpenArchive(location, archive, false, "", ui));
    EXPECT_FALSE(ExtractArchiveMember(location, *location.entries[0], kExtractTiFile, "", ui));
    ASSERT_EQ(ui.chooserCalls.size(), 1u);
    EXPECT_TRUE(ui.chooserCalls[0].save);
    EXPECT_EQ(ui.chooserCalls[0].title, "Save as TI-file");
    EXPECT_EQ(ui.chooserCalls[0].proposedName, "A@B");
    EXPECT_TRUE(ui.Silent()); // cancelling is no failure to report
    ui.chosenFiles.push_back(Path("chosen"));
    EXPECT_TRUE(ExtractArchiveMember(location, *location.entries[0], kExtractTiFile, "", ui));
    EXPECT_TRUE(fs::exists(Path("chosen")));
    ProgramSettings().path = savedSettings;
}

TEST_F(ArcArchiveTest, RegistrySavesMembersAndLeadsBackUp)
{
    RegisterArchiveListers();
    std::vector<ArcMember> members = MixedMembers();
    CatalogEntry archive = WriteArchive("reg.ark", members, true);
    Location location = DirectoryLocation();
    RecordingUi ui;
    EntryOpener opener = FindEntryOpener(kKindIntFix);
    ASSERT_NE(opener, nullptr);
    ASSERT_TRUE(opener(location, archive, ui));
    ASSERT_EQ(location.kind, kLocArchive);
    EntrySaver saver = FindEntrySaver(kLocArchive);
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(saver(location, *location.entries[1], Path("m0"), ui));
    std::vector<uint8_t> got;
    ASSERT_TRUE(ReadArcTestFile(Path("m0"), got));
    EXPECT_EQ(got, ExpectedFile(members[0], false));

    LevelUp up = FindLevelUp(kLocArchive);
    ASSERT_NE(up, nullptr);
    ASSERT_TRUE(up(location, ui));
    EXPECT_EQ(location.kind, kLocPcDirectory);
    EXPECT_EQ(location.path, m_dir.string());
    EXPECT_FALSE(location.archive);
    EXPECT_TRUE(location.containerEntries.empty());
    EXPECT_TRUE(ui.Silent());
}

TEST_F(ArcArchiveTest, ArchiveFileNamedAsLocationListsWithoutParentEntry)
{
    RegisterArchiveListers();
    std::vector<ArcMember> members = MixedMembers();
    WriteArchive("games.ark", members, true);
    Location location;
    location.path = Path("games.ark");
    RecordingUi ui;
    bool reported = false;
    ASSERT_TRUE(ListImagePath(location, location.path, ui, reported));
    EXPECT_EQ(location.kind, kLocArchive);
    EXPECT_EQ(location.keptPath, m_dir.string());
    ASSERT_EQ(location.entries.size(), members.size());
    EXPECT_EQ(location.entries[0]->archiveMember, 1);

    // A picture or a plain data file is no archive location.
    std::vector<uint8_t> gif = {'G', 'I', 'F', '8', '7', 'a'};
    WriteFile("pic", TiFileBytes(0x00, 128, 2, 2, gif));
    Location other;
    other.path = Path("pic");
    EXPECT_FALSE(ListImagePath(other, other.path, ui, reported));
    EXPECT_FALSE(reported);
    EXPECT_EQ(other.path, Path("pic"));
    EXPECT_TRUE(ui.Silent());
}

} // namespace
} // namespace kestrel
