// Copying between a PC directory and a disk image: the checks, the batch
// answers of the overwrite question, a full disk, and replacing PC files.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "drives/hd_binding.h"
#include "ops/copy.h"
#include "ops/register_all.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/settings.h"

namespace kestrel
{
namespace
{

using testing::MakeTiFileBytes;
using testing::ReadBytes;
using testing::RecordingUi;
using testing::TiFileSpec;
using testing::WriteBytes;

class CopyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAllListers();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-copy-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_src = m_root + "/src";
        m_out = m_root + "/out";
        std::filesystem::create_directory(m_src);
        std::filesystem::create_directory(m_out);
        m_dsk = m_root + "/disk.dsk";
        ASSERT_EQ(WriteNewImage(*FindPreset(0), "WORK", m_dsk, m_ui), 0);
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }

    void MakeTiFile(const std::string &name, uint16_t sectors, uint8_t seed)
    {
        TiFileSpec fileSpec;
        fileSpec.tiName = name;
        fileSpec.flags = 0x00;
        fileSpec.recordLength = 128;
        fileSpec.recordsPerSector = 2;
        fileSpec.sectors = sectors;
        fileSpec.seed = seed;
        ASSERT_TRUE(WriteBytes(m_src + "/" + name, MakeTiFileBytes(fileSpec)));
    }

    Location Open(const std::string &path)
    {
        Location location;
        EXPECT_TRUE(ResolveLocationPath(location, path, m_ui));
        return location;
    }

    static void Mark(Location &location, const std::vector<std::string> &names)
    {
        for (const std::string &name : names) {
            const CatalogEntry *entry = FindEntryByName(location, name);
            ASSERT_NE(entry, nullptr) << name;
            const_cast<CatalogEntry *>(entry)->marked = true;
        }
    }

    static std::vector<std::string> MarkedNames(const Location &location)
    {
        std::vector<std::string> names;
        for (const auto &entry : location.entries) {
            if (entry->marked) {
                names.push_back(entry->pcName);
            }
        }
        return names;
    }

    // The named file of the disk, saved out again (its data sectors).
    std::vector<uint8_t> DataOnDisk(const std::string &name)
    {
        Location disk = Open(m_dsk);
        const CatalogEntry *entry = FindEntryByName(disk, name);
        if (entry == nullptr) {
            return {};
        }
        OverwriteState state{true};
        std::string target = m_out + "/" + name;
        CopyEntryIntoDirectory(disk, *entry, Open(m_out), state, m_ui);
        std::vector<uint8_t> bytes = ReadBytes(target);
        std::filesystem::remove(target);
        return bytes.size() > 128 ? std::vector<uint8_t>(bytes.begin() + 128, bytes.end())
                                  : std::vector<uint8_t>{};
    }

    std::vector<uint8_t> DataOfSource(const std::string &name)
    {
        std::vector<uint8_t> bytes = ReadBytes(m_src + "/" + name);
        return std::vector<uint8_t>(bytes.begin() + 128, bytes.end());
    }

    RecordingUi m_ui;
    std::string m_root, m_src, m_out, m_dsk;
};

TEST_F(CopyTest, ChecksRefuseInTheirOrder)
{
    MakeTiFile("ONE", 1, 1);
    std::filesystem::create_directory(m_src + "/sub");
    Location source = Open(m_src);
    Location same = Open(m_src);
    Mark(source, {"ONE"});
    EXPECT_EQ(RunCopy(same, source, nullptr, {}, m_ui), -1);
    ASSERT_EQ(m_ui.Errors().size(), 1u);
    EXPECT_EQ(m_ui.Errors()[0], "Can't copy files to itself");

    // Only a subdirectory marked: nothing may go to a directory.
    source.entries.clear();
    source = Open(m_src);
    Mark(source, {"sub"});
    Location out = Open(m_out);
    EXPECT_EQ(RunCopy(out, source, nullptr, {}, m_ui), -1);
    EXPECT_EQ(m_ui.Errors().back(), "Can only copy TI files, DSK or HD images to a directory");

    Location disk = Open(m_dsk);
    EXPECT_EQ(RunCopy(disk, source, nullptr, {}, m_ui), -1);
    EXPECT_EQ(m_ui.Errors().back(), "Can only copy TI files to a DSK image");

    Location archive = Open(m_out);
    archive.kind = kLocArchive;
    EXPECT_FALSE(CheckCopy(archive, source, nullptr, m_ui));
    EXPECT_EQ(m_ui.Errors().back(), "Can't copy files to ARC or PC99DSK");
    EXPECT_TRUE(std::filesystem::is_empty(m_out));
}

TEST_F(CopyTest, HeadingAndKindWord)
{
    MakeTiFile("ONE", 1, 1);
    Location source = Open(m_src);
    Location disk = Open(m_dsk);
    EXPECT_EQ(CopyHeading(disk, source, FindEntryByName(source, "ONE")), "Copy TI file <ONE> to");
    Mark(source, {"ONE"});
    EXPECT_EQ(CopyHeading(disk, source, nullptr), "Copy 1 TI files to");
    Location card;
    card.kind = kLocCf7Image;
    EXPECT_EQ(CopyKindWord(card, source, false), "DSK image");
}

class CopyBatchTest : public CopyTest
{
protected:
    // Three files into a disk that already holds an older B.
    void Prepare()
    {
        MakeTiFile("B", 2, 9);
        Location source = Open(m_src);
        Location disk = Open(m_dsk);
        Mark(source, {"B"});
        ASSERT_EQ(RunCopy(disk, source, nullptr, {}, m_ui), kCopyGoOn);
        m_oldB = DataOnDisk("B");
        ASSERT_FALSE(m_oldB.empty());
        MakeTiFile("A", 1, 1);
        MakeTiFile("B", 3, 2);
        MakeTiFile("C", 1, 3);
        m_source = Open(m_src);
        Mark(m_source, {"A", "B", "C"});
        m_ui.boxes.clear();
    }

    int Run()
    {
        Location disk = Open(m_dsk);
        return RunCopy(disk, m_source, nullptr, {}, m_ui);
    }

    Location m_source;
    std::vector<uint8_t> m_oldB;
};

TEST_F(CopyBatchTest, NoSkipsOnlyTheExistingFile)
{
    Prepare();
    m_ui.answers = {Answer::No};
    EXPECT_EQ(Run(), kCopyGoOn);
    EXPECT_EQ(DataOnDisk("A"), DataOfSource("A"));
    EXPECT_EQ(DataOnDisk("B"), m_oldB);
    EXPECT_EQ(DataOnDisk("C"), DataOfSource("C"));
    EXPECT_TRUE(MarkedNames(m_source).empty());
}

TEST_F(CopyBatchTest, CancelStopsAndLeavesTheRestMarked)
{
    Prepare();
    m_ui.answers = {Answer::Cancel};
    EXPECT_EQ(Run(), kCopyStop);
    EXPECT_EQ(DataOnDisk("A"), DataOfSource("A"));
    EXPECT_EQ(DataOnDisk("B"), m_oldB);
    EXPECT_TRUE(DataOnDisk("C").empty());
    EXPECT_EQ(MarkedNames(m_source), (std::vector<std::string>{"B", "C"}));
}

TEST_F(CopyBatchTest, AllAsksOnceForTheBatch)
{
    Prepare();
    // C exists as well now: All on B must cover it.
    {
        Location source = Open(m_src);
        Location disk = Open(m_dsk);
        Mark(source, {"C"});
        m_ui.answers = {Answer::Yes};
        RunCopy(disk, source, nullptr, {}, m_ui);
        m_ui.boxes.clear();
    }
    m_ui.answers = {Answer::All};
    EXPECT_EQ(Run(), kCopyGoOn);
    int questions = 0;
    for (const auto &box : m_ui.boxes) {
        questions += box.kind == "overwrite" ? 1 : 0;
    }
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(DataOnDisk("B"), DataOfSource("B"));
    EXPECT_EQ(DataOnDisk("C"), DataOfSource("C"));
}

TEST_F(CopyTest, FullDiskStopsAndKeepsEarlierFiles)
{
    MakeTiFile("EARLY", 2, 4);
    MakeTiFile("HUGE", 400, 5); // more than the 358 free sectors of a 360-sector disk
    MakeTiFile("LATER", 1, 6);
    Location source = Open(m_src);
    Mark(source, {"EARLY", "HUGE", "LATER"});
    Location disk = Open(m_dsk);
    EXPECT_EQ(RunCopy(disk, source, nullptr, {}, m_ui), kCopyStop);
    ASSERT_FALSE(m_ui.Errors().empty());
    EXPECT_EQ(m_ui.Errors().back().rfind("DSK is full", 0), 0u) << m_ui.Errors().back();
    EXPECT_EQ(MarkedNames(source), (std::vector<std::string>{"HUGE", "LATER"}));
    m_ui.boxes.clear();
    EXPECT_EQ(DataOnDisk("EARLY"), DataOfSource("EARLY"));
    EXPECT_TRUE(DataOnDisk("HUGE").empty());
    EXPECT_TRUE(m_ui.Errors().empty());
}

TEST_F(CopyTest, TiFileCopiedOutWithV9t9HeaderUnderItsPcName)
{
    MakeTiFile("GAME", 2, 7);
    Location source = Open(m_src);
    Mark(source, {"GAME"});
    Location disk = Open(m_dsk);
    ASSERT_EQ(RunCopy(disk, source, nullptr, {}, m_ui), kCopyGoOn);
    Location from = Open(m_dsk);
    Mark(from, {"GAME"});
    Location out = Open(m_out);
    EXPECT_EQ(RunCopy(out, from, nullptr, {}, m_ui), kCopyGoOn);
    std::vector<uint8_t> bytes = ReadBytes(m_out + "/GAME");
    ASSERT_EQ(bytes.size(), 128u + 512u);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 10), "GAME      ");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 128, bytes.end()), DataOfSource("GAME"));
    EXPECT_NE(FindEntryByName(out, "GAME"), nullptr); // listed again
}

TEST_F(CopyTest, TifilesHeaderWhenSetAndCancelStopsTheDirectoryBatch)
{
    MakeTiFile("A", 1, 1);
    MakeTiFile("B", 1, 2);
    Location source = Open(m_src);
    Mark(source, {"A", "B"});
    Location disk = Open(m_dsk);
    ASSERT_EQ(RunCopy(disk, source, nullptr, {}, m_ui), kCopyGoOn);
    ASSERT_TRUE(WriteBytes(m_out + "/A", {'x'}));
    ProgramSettings().extractTiFiles = true;
    Location from = Open(m_dsk);
    Mark(from, {"A", "B"});
    Location out = Open(m_out);
    m_ui.answers = {Answer::Cancel};
    EXPECT_EQ(RunCopy(out, from, nullptr, {}, m_ui), kCopyStop);
    EXPECT_EQ(ReadBytes(m_out + "/A"), std::vector<uint8_t>{'x'});
    EXPECT_FALSE(std::filesystem::exists(m_out + "/B"));
    EXPECT_EQ(MarkedNames(from).size(), 2u);
    m_ui.answers = {Answer::Yes};
    EXPECT_EQ(RunCopy(out, from, nullptr, {}, m_ui), kCopyGoOn);
    ProgramSettings().extractTiFiles = false;
    std::vector<uint8_t> bytes = ReadBytes(m_out + "/B");
    ASSERT_EQ(bytes.size(), 128u + 256u);
    EXPECT_EQ(bytes[0], 0x07);
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 8), "TIFILES");
    EXPECT_EQ(ReadBytes(m_out + "/A").size(), 128u + 256u);
}

TEST_F(CopyTest, FailedCopyKeepsTheOldTarget)
{
    const std::vector<uint8_t> old = {'o', 'l', 'd'};
    ASSERT_TRUE(WriteBytes(m_out + "/thing", old));
    // A directory in place of the source file: it opens but cannot be read.
    std::filesystem::create_directory(m_src + "/thing");
    Location source = Open(m_src);
    CatalogEntry entry;
    entry.pcName = "thing";
    entry.ti.kind = kKindDos;
    OverwriteState state;
    m_ui.answers = {Answer::Yes};
    EXPECT_EQ(CopyEntryIntoDirectory(source, entry, Open(m_out), state, m_ui), kCopyGoOn);
    ASSERT_EQ(m_ui.Errors().size(), 1u);
    EXPECT_EQ(m_ui.Errors()[0].rfind("Can't copy file <", 0), 0u);
    EXPECT_EQ(ReadBytes(m_out + "/thing"), old);
    std::vector<std::string> names;
    for (const auto &item : std::filesystem::directory_iterator(m_out)) {
        names.push_back(item.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"thing"}); // no side file left behind
}

TEST_F(CopyTest, ReplacingTheOpenHardDiskImageReleasesIt)
{
    ASSERT_TRUE(WriteBytes(m_src + "/disk.hd", {'n', 'e', 'w'}));
    ASSERT_TRUE(WriteBytes(m_out + "/disk.hd", {'o', 'l', 'd'}));
    CatalogEntry entry;
    entry.pcName = "disk.hd";
    entry.ti.kind = kKindHdImage;
    SetCachedHdImagePath(m_out + "/disk.hd");
    OverwriteState state;
    m_ui.answers = {Answer::Yes};
    EXPECT_EQ(CopyEntryIntoDirectory(Open(m_src), entry, Open(m_out), state, m_ui), kCopyGoOn);
    EXPECT_EQ(ReadBytes(m_out + "/disk.hd"), (std::vector<uint8_t>{'n', 'e', 'w'}));
    EXPECT_EQ(CachedHdImagePath(), "");
}

TEST_F(CopyTest, PlainPcFileIsConvertedIntoTheImage)
{
    ASSERT_TRUE(WriteBytes(m_src + "/notes.txt", {'A', 'B', '\r', '\n', 'C', 'D', 'E'}));
    Location source = Open(m_src);
    Mark(source, {"notes.txt"});
    Location disk = Open(m_dsk);
    CopyOptions options;
    options.pcToTi.typeFlags = 0x80;
    options.pcToTi.recordLength = 80;
    options.pcToTi.method = 1;
    EXPECT_EQ(RunCopy(disk, source, nullptr, options, m_ui), kCopyGoOn);
    EXPECT_TRUE(m_ui.Errors().empty());
    const CatalogEntry *converted = FindEntryByName(disk, "NOTES");
    ASSERT_NE(converted, nullptr);
    EXPECT_EQ(converted->ti.kind, kKindDisVar);
    EXPECT_TRUE(MarkedNames(source).empty());
}

} // namespace
} // namespace kestrel
