// The folder scan reads each file once with a buffer larger than the header,
// and takes the file's size from that read when the file ended inside it:
// these cases sit on both sides of that buffer's end.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/floppy_builder.h"
#include "tests/support/recording_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/location_listers.h"
#include "tifs/pc_directory_scan.h"
#include "tifs/ti_header.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;

class ScanFolder : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegisterLocationListers();
        std::string pattern = (fs::temp_directory_path() / "kestrel-scan-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string &name) const { return m_dir + "/" + name; }

    // A TIFILES file whose header claims sectors, with dataBytes of data (0x20
    // filler) and 0xFF at the data offsets given.
    void WriteTiFile(const std::string &name, uint8_t flags, uint16_t sectors, size_t dataBytes,
                     std::vector<size_t> marks = {})
    {
        TiFileDescriptor d;
        d.tiName = PadTiName("F");
        d.flags = flags;
        d.recordLength = 80;
        d.recordsPerSector = 3;
        d.sectors = sectors;
        d.level3Count = sectors;
        d.eofOffset = 7;
        std::vector<uint8_t> bytes(kHeaderSize + dataBytes, 0x20);
        MakeTifilesHeader(d, bytes.data());
        for (size_t mark : marks) {
            bytes[kHeaderSize + mark] = 0xFF;
        }
        ASSERT_TRUE(testing::WriteBytes(Path(name), bytes));
    }

    const CatalogEntry &Scanned(const std::string &name)
    {
        m_location = Location{};
        m_location.path = m_dir;
        testing::RecordingUi ui;
        EXPECT_TRUE(OpenLocation(m_location, ui));
        EXPECT_TRUE(ui.Silent());
        for (const auto &entry : m_location.entries) {
            if (entry->pcName == name) {
                return *entry;
            }
        }
        ADD_FAILURE() << name << " not listed";
        static CatalogEntry none;
        return none;
    }

    std::string m_dir;
    Location m_location;
};

// Data lengths around 4096 - 128 bytes, where the first read of the file comes back full.
TEST_F(ScanFolder, SizeIsRightOnEitherSideOfTheFirstRead)
{
    for (size_t data : {3967u, 3968u, 3969u, 4096u}) {
        // Exactly the sectors the header claims: a plain TIFILES file.
        uint16_t sectors = static_cast<uint16_t>((data + 255) / 256);
        bool padded = data % 256 == 0;
        WriteTiFile("f" + std::to_string(data), 0, sectors, data);
        const CatalogEntry &entry = Scanned("f" + std::to_string(data));
        EXPECT_EQ(entry.ti.headerKind, padded ? kHeaderTifiles : kHeaderClassic99) << data;
        EXPECT_EQ(entry.ti.sectors, sectors) << data;
        // One sector more claimed than present: Classic99 with what is there.
        WriteTiFile("g" + std::to_string(data), 0, static_cast<uint16_t>(sectors + 1), data);
        const CatalogEntry &over = Scanned("g" + std::to_string(data));
        EXPECT_EQ(over.ti.headerKind, kHeaderClassic99) << data;
        EXPECT_EQ(over.ti.sectors, sectors) << data;
    }
}

TEST_F(ScanFolder, Classic99EndOfFileFoundInTheLastSectorWhereverItLies)
{
    // Inside the first read; straddling its end (the last sector starts at
    // data offset 3840, file offset 3968, and runs on past 4096); and well
    // beyond it.
    WriteTiFile("short", kFlagVariable, 9, 2000, {1800, 1900});
    WriteTiFile("straddle", kFlagVariable, 20, 4040, {3840 + 150, 3840 + 190});
    WriteTiFile("long", kFlagVariable, 40, 9000, {8960 + 10});
    EXPECT_EQ(Scanned("short").ti.eofOffset, 1800 - 1792);
    EXPECT_EQ(Scanned("short").ti.headerKind, kHeaderClassic99);
    EXPECT_EQ(Scanned("straddle").ti.eofOffset, 150);
    EXPECT_EQ(Scanned("straddle").ti.sectors, 16);
    EXPECT_EQ(Scanned("long").ti.eofOffset, 10);
    EXPECT_EQ(Scanned("long").ti.level3Count, 36);
    // No 0xFF in the last sector at all.
    WriteTiFile("nomark", kFlagVariable, 20, 4040);
    EXPECT_EQ(Scanned("nomark").ti.eofOffset, 0);
}

TEST_F(ScanFolder, ImagesAreRecognisedAndLinksFollowed)
{
    testing::RecordingUi ui;
    ASSERT_EQ(WriteNewImage(*FindPreset(1), "PLAIN", Path("plain.dsk"), ui), 0);
    std::vector<uint8_t> dsk = testing::ReadBytes(Path("plain.dsk"));
    ASSERT_TRUE(
        testing::WriteBytes(Path("track.pc99"), testing::MakePc99Image(dsk, 10, 40, 2, {})));
    // A link answers to the stat the scan must then make; a big file through
    // it still gets its own size.
    WriteTiFile("target", kFlagVariable, 40, 9000, {8960 + 3});
    ASSERT_EQ(symlink("target", Path("link").c_str()), 0);

    const CatalogEntry &plain = Scanned("plain.dsk");
    EXPECT_EQ(plain.ti.kind, kKindDsk);
    EXPECT_EQ(plain.ti.tiName, "PLAIN     ");
    const CatalogEntry &track = Scanned("track.pc99");
    EXPECT_EQ(track.ti.kind, kKindPc99Sd);
    EXPECT_EQ(track.disk.Get().totalSectors, 720);
    const CatalogEntry &link = Scanned("link");
    EXPECT_EQ(link.ti.headerKind, kHeaderClassic99);
    EXPECT_EQ(link.ti.eofOffset, 3);
}

// The scan's own order, before any sort: ".." first (when listed), then byte order, in which
// a name that starts another goes first and capitals and high bytes fall where their values
// put them.
TEST_F(ScanFolder, NamesComeInByteOrderWithTheParentFirst)
{
    const std::vector<std::string> names = {"b", "AB", "ABC", "A", "a", "\xC4X", "Z~", "ABB"};
    for (const std::string &name : names) {
        ASSERT_TRUE(testing::WriteBytes(Path(name), {1, 2, 3}));
    }
    fs::create_directory(Path("sub"));
    for (int levels : {0, 1}) {
        SCOPED_TRACE(levels);
        PcDirectoryScan scan(m_dir + "/*", levels);
        ASSERT_EQ(scan.Open(), 0);
        ASSERT_EQ(scan.ReadNames(), 0);
        Catalog listed;
        while (scan.Next(listed, 3)) {
        }
        std::vector<std::string> got;
        for (const auto &entry : listed) {
            got.push_back(entry->pcName);
        }
        std::vector<std::string> want = {"A", "AB", "ABB", "ABC", "Z~", "a", "b", "sub", "\xC4X"};
        if (levels == 1) {
            want.insert(want.begin(), "..");
        }
        EXPECT_EQ(got, want);
    }
}

} // namespace
} // namespace kestrel
