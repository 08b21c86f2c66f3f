// Extraction into numbered folders, ARC to DSK by the size rule, PC99 to DSK.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "ops/extract.h"
#include "ops/register_all.h"
#include "tests/support/arc_writer.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/byte_order.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

using testing::ArcMember;
using testing::ArcMemberFrom;
using testing::RecordingUi;

class ExtractTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAllListers();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-extract-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_root = pattern;
        m_src = m_root + "/src";
        m_out = m_root + "/out";
        std::filesystem::create_directory(m_src);
        std::filesystem::create_directory(m_out);
        m_work = m_root + "/work.arc";
    }
    void TearDown() override
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
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
    // An uncompressed archive of `count` DIS/FIX 128 members of `sectors` each.
    void WriteArchive(const std::string &pcName, int count, int sectors)
    {
        std::vector<ArcMember> members;
        for (int i = 0; i < count; ++i) {
            std::vector<uint8_t> data(256u * sectors, static_cast<uint8_t>(i + 1));
            members.push_back(ArcMemberFrom("M" + std::to_string(i), 0x00, 128, 2, 0,
                                            static_cast<uint16_t>(2 * sectors), data));
        }
        ASSERT_TRUE(testing::WriteArcTestFile(
            m_src + "/" + pcName,
            testing::ArcFileBytes(testing::BuildArcSectors(members, false), false)));
    }
    ExtractOptions Options() const
    {
        ExtractOptions options;
        options.archiveWorkFile = m_work;
        return options;
    }

    RecordingUi m_ui;
    std::string m_root, m_src, m_out, m_work;
};

TEST_F(ExtractTest, ArchiveGoesToTheFirstFreeNumberedFolder)
{
    WriteArchive("GAMES", 3, 2);
    std::filesystem::create_directory(m_out + "/GAMES");
    std::filesystem::create_directory(m_out + "/GAMES(1)");
    Location source = Open(m_src);
    CatalogEntry *archive = Find(source, "GAMES");
    ASSERT_NE(archive, nullptr);
    ASSERT_TRUE(IsArcCandidate(*archive));
    archive->marked = true;
    Location out = Open(m_out);
    EXPECT_EQ(ExtractContainers(out, source, nullptr, Options(), m_ui), 1);
    EXPECT_TRUE(m_ui.Errors().empty());
    for (const char *member : {"M0", "M1", "M2"}) {
        std::vector<uint8_t> bytes = testing::ReadBytes(m_out + "/GAMES(2)/" + member);
        ASSERT_EQ(bytes.size(), 128u + 512u) << member;
        EXPECT_EQ(bytes[128], member[1] - '0' + 1);
    }
    EXPECT_TRUE(std::filesystem::is_empty(m_out + "/GAMES"));
    EXPECT_FALSE(archive->marked);
}

TEST_F(ExtractTest, BlankDiskNameUsesThePcName)
{
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "X", m_src + "/mydisk.dsk", m_ui), 0);
    // Blank the VIB's name as a disk formatted without one has it.
    std::vector<uint8_t> image = testing::ReadBytes(m_src + "/mydisk.dsk");
    std::fill(image.begin(), image.begin() + 10, ' ');
    ASSERT_TRUE(testing::WriteBytes(m_src + "/mydisk.dsk", image));
    Location source = Open(m_src);
    CatalogEntry *disk = Find(source, "mydisk.dsk");
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(ContainerBaseName(*disk), "MYDISK");
    Location out = Open(m_out);
    EXPECT_EQ(ExtractContainers(out, source, disk, Options(), m_ui), 1);
    EXPECT_TRUE(std::filesystem::is_directory(m_out + "/MYDISK"));
}

TEST_F(ExtractTest, ExtractRefusesAnythingButADirectory)
{
    Location source = Open(m_src);
    Location archive;
    archive.kind = kLocArchive;
    EXPECT_EQ(ExtractContainers(archive, source, nullptr, Options(), m_ui), -1);
    EXPECT_EQ(ConvertArcsToDsk(archive, source, nullptr, Options(), m_ui), -1);
    EXPECT_EQ(m_ui.Errors(),
              (std::vector<std::string>{"Can only extract files to a directory",
                                        "Can only convert ARC files to a directory"}));
}

TEST_F(ExtractTest, SizeRulePicksTheDisk)
{
    EXPECT_EQ(ArcToDskPreset(312), 1);
    EXPECT_EQ(ArcToDskPreset(720), 1);
    EXPECT_EQ(ArcToDskPreset(721), 2);
    EXPECT_EQ(ArcToDskPreset(1552), -1);
}

TEST_F(ExtractTest, ArchiveOf312SectorsBecomesA720SectorImage)
{
    WriteArchive("SMALL", 10, 30);
    WriteArchive("LARGE", 50, 30);
    Location source = Open(m_src);
    Find(source, "SMALL")->marked = true;
    Find(source, "LARGE")->marked = true;
    Location out = Open(m_out);
    EXPECT_EQ(ConvertArcsToDsk(out, source, nullptr, Options(), m_ui), 1);
    EXPECT_TRUE(m_ui.Errors().empty());
    EXPECT_FALSE(std::filesystem::exists(m_out + "/LARGE.dsk"));
    std::vector<uint8_t> image = testing::ReadBytes(m_out + "/SMALL.dsk");
    ASSERT_EQ(image.size(), 720u * 256u);
    EXPECT_EQ(GetWordBE(image.data(), 10), 720);
    Location disk = Open(m_out + "/SMALL.dsk");
    EXPECT_EQ(disk.entries.size(), 10u);
    ASSERT_NE(Find(disk, "M9"), nullptr);
    EXPECT_EQ(Find(disk, "M9")->ti.sectors, 30);
}

TEST_F(ExtractTest, Pc99ConvertedBesideAndNotIntoItself)
{
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "PCDISK", m_root + "/plain.dsk", m_ui), 0);
    std::vector<uint8_t> dsk = testing::ReadBytes(m_root + "/plain.dsk");
    ASSERT_TRUE(testing::WriteBytes(m_src + "/disk.pc99", testing::MakePc99Image(dsk, 10, 40, 1)));
    Location source = Open(m_src);
    CatalogEntry *image = Find(source, "disk.pc99");
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->ti.kind, 10);
    Location same = Open(m_src);
    EXPECT_EQ(ConvertPc99sToDsk(same, source, image, m_ui), -1);
    EXPECT_EQ(m_ui.Errors().back(), "Can't convert PC99 images to itself");

    // An existing target answered No stays as it was.
    ASSERT_TRUE(testing::WriteBytes(m_out + "/disk.pc99", {'k', 'e', 'e', 'p'}));
    Location out = Open(m_out);
    m_ui.answers = {Answer::No};
    EXPECT_EQ(ConvertPc99sToDsk(out, source, image, m_ui), 0);
    EXPECT_EQ(testing::ReadBytes(m_out + "/disk.pc99"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));
    m_ui.answers = {Answer::Yes};
    EXPECT_EQ(ConvertPc99sToDsk(out, source, image, m_ui), 1);
    EXPECT_EQ(testing::ReadBytes(m_out + "/disk.pc99"), dsk);
}

TEST_F(ExtractTest, NoFileOfADiskIsDroppedWithoutAWordAndUnusableNamesGetASafeOne)
{
    const std::string image = m_src + "/damaged.dsk";
    ASSERT_EQ(WriteNewImage(*FindPreset(0), "DAMAGED", image, m_ui), 0);
    const char *names[] = {"AAA", "BBB", "CCC", "DDD", "EEE"};
    std::vector<std::vector<uint8_t>> files;
    for (int i = 0; i < 5; ++i) {
        testing::TiFileSpec fileSpec;
        fileSpec.tiName = names[i];
        fileSpec.level3 = 2;
        fileSpec.sectors = 2;
        fileSpec.seed = static_cast<uint8_t>(10 + i);
        files.push_back(testing::MakeTiFileBytes(fileSpec));
        const std::string staged = m_root + "/staged";
        ASSERT_TRUE(testing::WriteBytes(staged, files.back()));
        CatalogEntry entry;
        entry.pcName = names[i];
        DecodeHeader(files.back().data(), entry.pcName, false, entry.ti);
        AddFileState state;
        ASSERT_EQ(AddFileToImage({image, 0, 1}, entry, staged, state, m_ui), kAddDone);
    }
    // Each file's FDR, damaged one way; the file index stays in name order.
    std::vector<uint8_t> bytes = testing::ReadBytes(image);
    auto fdr = [&](int i) { return bytes.data() + GetWordBE(bytes.data(), 256 + 2 * i) * 256; };
    std::memcpy(fdr(0), "../../x   ", 10); // no TI name, and no PC name as it stands
    std::memcpy(fdr(1), "..        ", 10);
    fdr(2)[12] = 0x64;             // flags of no file type
    PutWordBE(fdr(3), 28, 0x0FFF); // its data lies beyond the disk
    ASSERT_TRUE(testing::WriteBytes(image, bytes));

    Location source = Open(m_src);
    CatalogEntry *disk = Find(source, "damaged.dsk");
    ASSERT_NE(disk, nullptr);
    Location out = Open(m_out);
    EXPECT_EQ(ExtractContainers(out, source, disk, Options(), m_ui), 1);
    const std::string folder = m_out + "/DAMAGED/";
    // Written under names that stay inside the folder and are not hidden.
    // The header carries the FDR's name as the disk holds it; the rest is the file's.
    auto afterName = [](std::vector<uint8_t> b) {
        b.erase(b.begin(), b.begin() + std::min<size_t>(10, b.size()));
        return b;
    };
    EXPECT_EQ(afterName(files[0]), afterName(testing::ReadBytes(folder + "@@@@@@x")));
    EXPECT_EQ(afterName(files[1]), afterName(testing::ReadBytes(folder + "@@")));
    EXPECT_EQ(files[4], testing::ReadBytes(folder + "EEE"));
    EXPECT_FALSE(std::filesystem::exists(m_out + "/x"));
    // The two that could not be written are each named.
    const std::vector<std::string> errors = m_ui.Errors();
    ASSERT_EQ(3u, errors.size());
    EXPECT_EQ("File <CCC> in <damaged.dsk> is of no known type and was not extracted", errors[0]);
    EXPECT_EQ("File <DDD> was not extracted from <damaged.dsk>", errors[2]);
    EXPECT_EQ(120, m_ui.LastMessage());
}

} // namespace
} // namespace kestrel
