// Sector dumps as other tools write them: a bad-sector map after the disk,
// images shorter than their VIB, sectors-per-track fields that do not fit
// the sector count, a VIB without its "DSK" signature. Each is read as those
// tools read it, and writing never changes an image's length.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "tifs/byte_order.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/location_listers.h"
#include "tifs/tests/floppy_test_util.h"

namespace kestrel
{
namespace
{

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RecordingUi;
using testing::TiFileSpec;
using testing::WriteBytes;

class FloppyVariants : public testing::FloppyFixture
{
protected:
    // A DSSD image holding one file of `sectors` sectors; returns its path.
    std::string DiskWithFile(const std::string &name, uint16_t sectors = 4)
    {
        std::string image = NewImage(0, name); // SSSD, 360 sectors
        std::string source;
        TiFileSpec fileSpec;
        fileSpec.tiName = "DATA";
        fileSpec.sectors = sectors;
        CatalogEntry entry = PcTiFile(fileSpec, source);
        AddFileState state;
        RecordingUi ui;
        EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
        m_source = ReadBytes(source);
        return image;
    }

    // Adds a second file and says whether the image kept its length.
    void AddKeepsLength(const std::string &image, bool expectAdded)
    {
        const uint64_t size = fs::file_size(image);
        std::string source;
        TiFileSpec fileSpec;
        fileSpec.tiName = "MORE";
        fileSpec.sectors = 2;
        CatalogEntry entry = PcTiFile(fileSpec, source);
        AddFileState state;
        RecordingUi ui;
        AddFileToImage({image}, entry, source, state, ui);
        EXPECT_EQ(ui.Errors().empty(), expectAdded);
        EXPECT_EQ(fs::file_size(image), size);
    }

    std::vector<uint8_t> m_source;
};

TEST_F(FloppyVariants, TrailingBadSectorMapIsIgnoredAndKept)
{
    for (unsigned extra = 1; extra <= 3; ++extra) {
        SCOPED_TRACE(extra);
        std::string image = DiskWithFile("map" + std::to_string(extra) + ".dsk");
        std::vector<uint8_t> bytes = ReadBytes(image);
        bytes.resize(bytes.size() + extra * 256, 0xFF);
        ASSERT_TRUE(WriteBytes(image, bytes));

        RecordingUi ui;
        CatalogEntry scanned;
        DiskSummary summary;
        EXPECT_TRUE(RecognizeFloppyImage(image, bytes.data(), summary));
        EXPECT_EQ(summary.totalSectors, 360);
        Location location;
        ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
        ASSERT_EQ(location.entries.size(), 1u);
        ASSERT_TRUE(SaveEntryAsTiFile(location, *location.entries[0], Path("out"), ui));
        EXPECT_EQ(ReadBytes(Path("out")).size(), m_source.size());
        EXPECT_TRUE(ui.Errors().empty());
        AddKeepsLength(image, true);
        std::vector<uint8_t> after = ReadBytes(image);
        EXPECT_TRUE(std::equal(after.end() - extra * 256, after.end(), bytes.end() - extra * 256));
    }
}

TEST_F(FloppyVariants, SectorsPastAShortImagesEndAreReportedNotRead)
{
    std::string image = DiskWithFile("short.dsk", 10); // data in sectors 34 to 43
    std::vector<uint8_t> bytes = ReadBytes(image);
    bytes.resize(40 * 256);
    ASSERT_TRUE(WriteBytes(image, bytes));

    RecordingUi ui;
    Location location;
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
    ASSERT_EQ(location.entries.size(), 1u);
    EXPECT_EQ(location.entries[0]->ti.sectors, 10);
    EXPECT_FALSE(SaveEntryAsTiFile(location, *location.entries[0], Path("out"), ui));
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Can't read sector <40> from <" + image + ">");
    // What was read before the end is the file's; nothing past it is made up.
    EXPECT_EQ(ReadBytes(Path("out")).size(), 128u + 6 * 256);
    // The writer meets the end too: it fails and the image keeps its length.
    AddKeepsLength(image, false);
}

TEST_F(FloppyVariants, SectorsPerTrackFollowsTheSectorCount)
{
    uint8_t v[256] = {};
    std::memcpy(v, "VARIANT   ", 10);
    std::memcpy(v + vib::kSignature, "DSK", 3);
    PutWordBE(v, vib::kTotalSectors, 720);
    v[vib::kTracksPerSide] = 40;
    v[vib::kSides] = 2;
    v[vib::kDensity] = 1;
    v[vib::kBitmap] = 0x03;
    DiskSummary s;
    for (uint8_t field : {0, 18, 16, 9}) {
        v[vib::kSectorsPerTrack] = field;
        ASSERT_EQ(DecodeVib(nullptr, v, s), 9) << int(field);
        EXPECT_EQ(s.sectorsPerTrack, 9) << int(field);
        EXPECT_EQ(s.tracksPerSide, 40);
        EXPECT_EQ(s.totalSectors, 720);
    }
    // A geometry smaller than the count is a smaller disk in a larger space.
    v[vib::kSectorsPerTrack] = 4;
    ASSERT_EQ(DecodeVib(nullptr, v, s), 9);
    EXPECT_EQ(s.sectorsPerTrack, 4);
    // A count that no whole number of sectors per track gives keeps the field.
    PutWordBE(v, vib::kTotalSectors, 721);
    v[vib::kSectorsPerTrack] = 0;
    ASSERT_EQ(DecodeVib(nullptr, v, s), 9);
    EXPECT_EQ(s.sectorsPerTrack, 0);
}

TEST_F(FloppyVariants, ImageWithSectorsPerTrackZeroListsAndTakesFiles)
{
    std::string image = DiskWithFile("spt0.dsk");
    std::vector<uint8_t> bytes = ReadBytes(image);
    bytes[vib::kSectorsPerTrack] = 0;
    ASSERT_TRUE(WriteBytes(image, bytes));
    RecordingUi ui;
    Location location;
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
    ASSERT_EQ(location.entries.size(), 1u);
    EXPECT_EQ(location.entries[0]->sectorsPerTrack, 9);
    AddKeepsLength(image, true);
    EXPECT_EQ(ReadBytes(image)[vib::kSectorsPerTrack], 0); // the VIB keeps what it had
}

TEST_F(FloppyVariants, MissingSignatureIsListedWithAMessageWhenTheRestIsSound)
{
    RegisterLocationListers();
    std::string image = DiskWithFile("nosig.dsk");
    std::vector<uint8_t> bytes = ReadBytes(image);
    std::memset(bytes.data() + vib::kSignature, 0, 3);
    ASSERT_TRUE(WriteBytes(image, bytes));

    RecordingUi ui;
    Location location;
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, ui));
    EXPECT_EQ(location.entries.size(), 1u);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "The VIB of <" + image +
                                  "> lacks the \"DSK\" signature; the disk is read as it stands");
    EXPECT_EQ(ui.LastMessage(), 105);
    AddKeepsLength(image, true);
    EXPECT_EQ(ReadBytes(image)[vib::kSignature], 0);

    // A PC directory shows it as a DSK image.
    fs::remove_all(Path("DATA.v9t9"));
    fs::remove_all(Path("MORE.v9t9"));
    Location directory;
    directory.path = dir;
    ASSERT_TRUE(OpenLocation(directory, ui));
    ASSERT_EQ(directory.entries.size(), 1u);
    EXPECT_EQ(directory.entries[0]->ti.kind, kKindDsk);
}

TEST_F(FloppyVariants, MissingSignatureWithoutASoundRestIsNoDisk)
{
    std::string image = DiskWithFile("nosig.dsk");
    std::vector<uint8_t> good = ReadBytes(image);
    std::memset(good.data() + vib::kSignature, ' ', 3);
    struct Damage {
        const char *what;
        size_t offset;
        uint8_t value;
    };
    const Damage damages[] = {{"sides", vib::kSides, 0},
                              {"density", vib::kDensity, 0},
                              {"geometry", vib::kSectorsPerTrack, 10},
                              {"bitmap", vib::kBitmap, 0x00}};
    for (const Damage &d : damages) {
        std::vector<uint8_t> bytes = good;
        bytes[d.offset] = d.value;
        ASSERT_TRUE(WriteBytes(image, bytes));
        DiskSummary summary;
        EXPECT_FALSE(RecognizeFloppyImage(image, bytes.data(), summary)) << d.what;
    }
    // A file longer than the disk by more than a bad-sector map, or shorter.
    for (size_t size : {good.size() + 4 * 256, good.size() - 256}) {
        std::vector<uint8_t> bytes = good;
        bytes.resize(size);
        ASSERT_TRUE(WriteBytes(image, bytes));
        DiskSummary summary;
        EXPECT_FALSE(RecognizeFloppyImage(image, bytes.data(), summary)) << size;
    }
}

} // namespace
} // namespace kestrel
