// Packing TI files into ARC archives and reading them back through the
// archive reader: listing, extraction, and the refusals of the command.
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "ops/pack_archive.h"
#include "ops/register_all.h"
#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/arc/archive_extract.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_subdirectory.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

using testing::ReadBytes;
using testing::RecordingUi;
using testing::WriteBytes;

// The largest file a DSDD disk (1440 sectors) holds beside its VIB, file
// index and the file's own FDR.
constexpr uint16_t kDsddLargest = 1440 - 3;

struct TypeSpec {
    uint8_t flags;
    uint8_t recordLength;
    uint8_t recordsPerSector;
};
const TypeSpec kTypes[] = {
    {0x00, 80, 3},  // DIS/FIX 80
    {0x80, 80, 3},  // DIS/VAR 80
    {0x02, 128, 2}, // INT/FIX 128
    {0x82, 254, 1}, // INT/VAR 254
    {0x01, 0, 0},   // PROGRAM
    {0x08, 1, 255}, // DIS/FIX 1, protected
    {0x8A, 163, 1}, // INT/VAR 163... as DIS/VAR 163 with the protection bit
};

// A V9T9 file written byte by byte (FDR layout: name, flags at 12, records
// per sector at 13, sectors at 14 big-endian, EOF offset at 16, record
// length at 17, level-3 count at 18 little-endian).
std::vector<uint8_t> V9t9File(const std::string &name, const TypeSpec &type, uint16_t sectors,
                              uint8_t eof, uint16_t level3, std::mt19937 &random)
{
    std::vector<uint8_t> bytes(128 + size_t{sectors} * 256, 0);
    std::string padded = (name + "          ").substr(0, 10);
    std::copy(padded.begin(), padded.end(), bytes.begin());
    bytes[12] = type.flags;
    bytes[13] = type.recordsPerSector;
    bytes[14] = static_cast<uint8_t>(sectors >> 8);
    bytes[15] = static_cast<uint8_t>(sectors);
    bytes[16] = eof;
    bytes[17] = type.recordLength;
    bytes[18] = static_cast<uint8_t>(level3);
    bytes[19] = static_cast<uint8_t>(level3 >> 8);
    // Data that compresses well, not at all, and everything between.
    const int style = static_cast<int>(random() % 4);
    const std::string text = "100 PRINT \"HELLO WORLD\" :: GOTO 100 ! " + name + "\r";
    for (size_t i = 128; i < bytes.size(); ++i) {
        switch (style) {
        case 0:
            bytes[i] = static_cast<uint8_t>(random());
            break;
        case 1:
            bytes[i] = static_cast<uint8_t>(text[(i * 7 + (i >> 9)) % text.size()]);
            break;
        case 2:
            bytes[i] = (random() % 16 == 0) ? static_cast<uint8_t>(random()) : 0;
            break;
        default:
            bytes[i] = static_cast<uint8_t>((i / 256) ^ (i % 7));
            break;
        }
    }
    return bytes;
}

class PackArchive : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterAllListers();
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrel-pack-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        ProgramSettings().extractTiFiles = false;
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
    std::vector<PackSource> SourcesOf(const Location &location)
    {
        std::vector<PackSource> sources;
        for (const auto &entry : location.entries) {
            if (IsTiFileKind(entry->ti.kind)) {
                sources.push_back({&location, entry.get()});
            }
        }
        return sources;
    }
    // Lists the archive at path and extracts every member; each must equal
    // the file of the same PC name in from, byte for byte.
    void ExpectMembersEqual(const std::string &archivePath, const std::string &from,
                            size_t expectedMembers)
    {
        Location archive = Open(archivePath);
        ASSERT_EQ(archive.kind, kLocArchive);
        size_t members = 0;
        for (const auto &member : archive.entries) {
            if (member->ti.kind == kKindUpDir) {
                continue;
            }
            ++members;
            std::string pcName = TiNameToPcName(member->ti.tiName, false);
            SCOPED_TRACE(archivePath + " member " + pcName);
            const std::string out = m_dir + "/extracted";
            ASSERT_TRUE(ExtractArchiveMember(archive, *member, kExtractTiFile, out, m_ui))
                << (m_ui.Errors().empty() ? "" : m_ui.Errors().back());
            ASSERT_EQ(ReadBytes(out), ReadBytes(from + "/" + pcName));
        }
        EXPECT_EQ(members, expectedMembers);
    }

    RecordingUi m_ui;
    std::string m_dir;
};

TEST_F(PackArchive, TwoHundredRandomArchivesListAndExtractByteIdentical)
{
    std::mt19937 random(22);
    size_t largest = 0;
    size_t empty = 0;
    for (int round = 0; round < 200; ++round) {
        const std::string src = m_dir + "/src" + std::to_string(round);
        std::filesystem::create_directory(src);
        size_t count = 1 + random() % 12;
        if (round % 40 == 7) {
            count = 127; // a full directory: nine blocks and one record
        } else if (round % 40 == 8) {
            count = 14 + random() % 2; // a block filled exactly, and one more
        }
        for (size_t m = 0; m < count; ++m) {
            uint16_t sectors = static_cast<uint16_t>(random() % 24);
            if (count > 20) {
                sectors = static_cast<uint16_t>(random() % 3);
            } else if (m == 0 && round % 20 == 3) {
                sectors = kDsddLargest;
            } else if (random() % 10 == 0) {
                sectors = 0;
            } else if (random() % 15 == 0) {
                sectors = static_cast<uint16_t>(100 + random() % 300);
            }
            largest += sectors == kDsddLargest;
            empty += sectors == 0;
            const TypeSpec &type = kTypes[random() % std::size(kTypes)];
            const std::string name = "M" + std::to_string(round) + "_" + std::to_string(m);
            ASSERT_TRUE(WriteBytes(src + "/" + name,
                                   V9t9File(name, type, sectors, static_cast<uint8_t>(random()),
                                            static_cast<uint16_t>(random()), random)));
        }
        Location source = Open(src);
        std::vector<PackSource> sources = SourcesOf(source);
        ASSERT_EQ(sources.size(), count);
        Location out = Open(m_dir);
        PackOptions options;
        options.name = "pack" + std::to_string(round) + ".ark";
        options.plain = random() % 3 == 0;
        ASSERT_EQ(PackEntries(out, sources, options, m_ui), 0)
            << (m_ui.Errors().empty() ? "" : m_ui.Errors().back());
        ExpectMembersEqual(m_dir + "/" + options.name, src, count);
        if (HasFatalFailure()) {
            return;
        }
        std::filesystem::remove_all(src);
        std::filesystem::remove(m_dir + "/" + options.name);
    }
    EXPECT_GE(largest, 5u);
    EXPECT_GT(empty, 20u);
    EXPECT_TRUE(m_ui.Errors().empty());
}

TEST_F(PackArchive, ArchiveFileIsIntFix128OrDisFix128)
{
    std::mt19937 random(1);
    const std::string src = m_dir + "/src";
    std::filesystem::create_directory(src);
    ASSERT_TRUE(WriteBytes(src + "/ONE", V9t9File("ONE", kTypes[1], 5, 40, 5, random)));
    Location source = Open(src);
    Location out = Open(m_dir);
    for (bool plain : {false, true}) {
        PackOptions options{plain ? "plain.ark" : "lzw.ark", plain};
        ASSERT_EQ(PackEntries(out, SourcesOf(source), options, m_ui), 0);
        std::vector<uint8_t> bytes = ReadBytes(m_dir + "/" + options.name);
        ASSERT_GE(bytes.size(), 128u + 256u);
        EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 8), "TIFILES");
        const unsigned sectors = bytes[8] * 256u + bytes[9];
        EXPECT_EQ(bytes.size(), 128 + sectors * 256u);
        EXPECT_EQ(bytes[10], plain ? 0x00 : 0x02); // flags
        EXPECT_EQ(bytes[11], 2);                   // records per sector
        EXPECT_EQ(bytes[13], 128);                 // record length
        EXPECT_EQ(bytes[14] + 256u * bytes[15], 2 * sectors);
        if (plain) {
            EXPECT_EQ(sectors, 1u + 5u);
            EXPECT_EQ(std::string(bytes.begin() + 128 + 252, bytes.begin() + 128 + 256), "END!");
        } else {
            EXPECT_EQ(bytes[128], 0x80); // the stream opens with a clear code
        }
    }
}

TEST_F(PackArchive, IntoADiskImageAndItsSubdirectory)
{
    std::mt19937 random(5);
    const std::string src = m_dir + "/src";
    std::filesystem::create_directory(src);
    for (int i = 0; i < 4; ++i) {
        std::string name = "F" + std::to_string(i);
        ASSERT_TRUE(
            WriteBytes(src + "/" + name, V9t9File(name, kTypes[i], static_cast<uint16_t>(3 * i), 0,
                                                  static_cast<uint16_t>(i), random)));
    }
    const std::string dsk = m_dir + "/disk.dsk";
    ASSERT_EQ(WriteNewImage(*FindPreset(2), "DISK", dsk, m_ui), 0);
    FloppyTarget root;
    root.imagePath = dsk;
    uint16_t fdir = 0;
    ASSERT_TRUE(CreateFloppySubdirectory(root, PadTiName("ARCS"), m_ui, &fdir));

    Location source = Open(src);
    Location disk = Open(dsk);
    ASSERT_EQ(PackMarked(disk, source, source.entries.front().get(), {"single", false}, m_ui), 0);
    for (auto &entry : source.entries) {
        entry->marked = IsTiFileKind(entry->ti.kind);
    }
    Location sub = Open(dsk + "/ARCS");
    ASSERT_EQ(sub.fdirSector, fdir);
    ASSERT_EQ(PackMarked(sub, source, nullptr, {"all", false}, m_ui), 0);
    for (const auto &entry : source.entries) {
        EXPECT_FALSE(entry->marked);
    }
    ASSERT_NE(FindEntryByName(sub, "ALL"), nullptr);
    EXPECT_EQ(FindEntryByName(sub, "ALL")->ti.kind, kKindIntFix);
    ASSERT_NE(FindEntryByName(disk, "SINGLE"), nullptr);
    ExpectMembersEqual(dsk + "/ARCS/ALL", src, 4);
    ExpectMembersEqual(dsk + "/SINGLE", src, 1);
    EXPECT_TRUE(m_ui.Errors().empty());
}

TEST_F(PackArchive, RefusalsWriteNothing)
{
    std::mt19937 random(9);
    const std::string src = m_dir + "/src";
    std::filesystem::create_directory(src);
    for (int i = 0; i < 128; ++i) {
        std::string name = "S" + std::to_string(i);
        ASSERT_TRUE(WriteBytes(src + "/" + name, V9t9File(name, kTypes[0], 0, 0, 0, random)));
    }
    ASSERT_TRUE(WriteBytes(src + "/notes.txt", std::vector<uint8_t>{'h', 'i', '\n'}));
    Location source = Open(src);
    Location out = Open(m_dir);
    std::vector<PackSource> sources = SourcesOf(source);
    ASSERT_EQ(sources.size(), 128u);
    EXPECT_EQ(PackEntries(out, sources, {"many.ark", false}, m_ui), -1);
    EXPECT_EQ(m_ui.LastMessage(), 144);
    sources.pop_back();
    const CatalogEntry *text = FindEntryByName(source, "notes.txt");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(PackEntries(out, {{&source, text}}, {"text.ark", false}, m_ui), -1);
    EXPECT_EQ(m_ui.LastMessage(), 146);
    EXPECT_EQ(PackMarked(out, source, const_cast<CatalogEntry *>(text), {"t.ark", false}, m_ui),
              -1);
    EXPECT_EQ(m_ui.LastMessage(), 148);
    EXPECT_EQ(PackEntries(out, sources, {"", false}, m_ui), -1);
    EXPECT_EQ(m_ui.boxes.back().text, "Please enter a name for the archive");

    // An archive cannot take files; neither can a PC99 image.
    Location archive;
    archive.kind = kLocArchive;
    EXPECT_FALSE(CheckPack(archive, m_ui));
    EXPECT_EQ(m_ui.LastMessage(), 147);

    // Cancel while reading the members.
    m_ui.cancelAfterPumps = m_ui.pumps + 3;
    EXPECT_EQ(PackEntries(out, sources, {"cancel.ark", false}, m_ui), 2);
    for (const char *name : {"many.ark", "text.ark", "t.ark", "cancel.ark"}) {
        EXPECT_FALSE(std::filesystem::exists(m_dir + "/" + name)) << name;
    }
    m_ui.cancelAfterPumps = -1;

    // Larger than a TI file: 33 plain members of 1000 sectors.
    const std::string big = m_dir + "/big";
    std::filesystem::create_directory(big);
    for (int i = 0; i < 33; ++i) {
        std::string name = "B" + std::to_string(i);
        ASSERT_TRUE(WriteBytes(big + "/" + name, V9t9File(name, kTypes[4], 1000, 0, 0, random)));
    }
    Location bigSource = Open(big);
    EXPECT_EQ(PackEntries(out, SourcesOf(bigSource), {"big.ark", true}, m_ui), -1);
    EXPECT_EQ(m_ui.LastMessage(), 145);
    EXPECT_FALSE(std::filesystem::exists(m_dir + "/big.ark"));
}

TEST_F(PackArchive, ExistingFileIsReplacedOnlyOnYes)
{
    std::mt19937 random(3);
    const std::string src = m_dir + "/src";
    std::filesystem::create_directory(src);
    ASSERT_TRUE(WriteBytes(src + "/A", V9t9File("A", kTypes[2], 2, 0, 4, random)));
    const std::string target = m_dir + "/old.ark";
    ASSERT_TRUE(WriteBytes(target, std::vector<uint8_t>(300, 7)));
    Location source = Open(src);
    Location out = Open(m_dir);
    m_ui.answers = {Answer::No};
    EXPECT_EQ(PackEntries(out, SourcesOf(source), {"old.ark", false}, m_ui), 0);
    EXPECT_EQ(m_ui.boxes.back().kind, "overwrite");
    EXPECT_EQ(ReadBytes(target), std::vector<uint8_t>(300, 7));
    m_ui.answers = {Answer::Yes};
    EXPECT_EQ(PackEntries(out, SourcesOf(source), {"old.ark", false}, m_ui), 0);
    ExpectMembersEqual(target, src, 1);
}

} // namespace
} // namespace kestrel
