#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/catalog.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/save_as_ti_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/location_listers.h"
#include "tifs/tests/floppy_test_util.h"

namespace kestrel::testing
{
namespace
{

using FloppyReader = FloppyFixture;

TEST(FloppyVib, GeometryRules)
{
    uint8_t v[256] = {};
    std::memcpy(v, "GAMES     ", 10);
    PutWordBE(v, 10, 1600);
    v[12] = 20;
    std::memcpy(v + 13, "DSK", 3);
    v[18] = 2;
    DiskSummary s;
    ASSERT_EQ(DecodeVib(nullptr, v, s), 9);
    EXPECT_EQ(s.tracksPerSide, 40);
    EXPECT_EQ(s.density, 1);
    v[18] = 3;
    EXPECT_EQ(DecodeVib(nullptr, v, s), 0);
    EXPECT_EQ(s.free, 0);
    v[18] = 2;
    v[19] = 4;
    EXPECT_EQ(DecodeVib(nullptr, v, s), 0);
    v[19] = 1;
    v[13] = 'X';
    EXPECT_EQ(DecodeVib(nullptr, v, s), 0);
    v[13] = 'D';
    v[12] = 0; // tracks 0 and sectors per track 0
    EXPECT_EQ(DecodeVib(nullptr, v, s), 0);

    // An empty 360-sector disk: 358 free, 2 used.
    uint8_t e[256] = {};
    std::memcpy(e + 13, "DSK", 3);
    PutWordBE(e, 10, 360);
    e[12] = 9;
    e[17] = 40;
    e[18] = 1;
    e[56] = 0x03;
    for (int i = 101; i < 256; ++i) {
        e[i] = 0xFF;
    }
    ASSERT_EQ(DecodeVib(nullptr, e, s), 9);
    EXPECT_EQ(s.free, 358);
    EXPECT_EQ(s.used, 2);
    e[0] = ' ';
    DecodeVib(nullptr, e, s);
    EXPECT_EQ(s.name, "no_name!! ");
}

TEST_F(FloppyReader, TruncatedImagesAreNoDisksAndNeverCrash)
{
    std::vector<uint8_t> full = ReadBytes(NewImage(1, "full.dsk"));
    for (size_t size : {size_t{0}, size_t{255}, size_t{256}, size_t{1000}}) {
        std::string path = Path("t" + std::to_string(size) + ".dsk");
        std::vector<uint8_t> bytes(full.begin(), full.begin() + size);
        ASSERT_TRUE(WriteBytes(path, bytes));
        Location location;
        RecordingUi ui;
        bool listed = ListFloppyImage(location, path, 1, "", false, ui);
        if (size < 512) {
            EXPECT_FALSE(listed) << size;
            EXPECT_EQ(ui.Errors().size(), 1u) << size;
        } else {
            EXPECT_TRUE(listed);
            EXPECT_TRUE(location.entries.empty());
        }
        // Writing into a truncated image refuses and leaves it as it was.
        std::string source;
        TiFileSpec fileSpec;
        CatalogEntry entry = PcTiFile(fileSpec, source);
        AddFileState state;
        RecordingUi wui;
        AddFileToImage({path}, entry, source, state, wui);
        EXPECT_FALSE(wui.Errors().empty()) << size;
        EXPECT_EQ(ReadBytes(path), bytes) << size;
    }
}

TEST_F(FloppyReader, IndexWordBeyondTheDiskStopsTheListing)
{
    std::string image = NewImage(1);
    RecordingUi ui;
    AddFileState state;
    std::string source;
    for (const char *name : {"A", "B", "C"}) {
        TiFileSpec fileSpec;
        fileSpec.tiName = name;
        CatalogEntry entry = PcTiFile(fileSpec, source);
        ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    }
    std::vector<uint8_t> bytes = ReadBytes(image);
    PutWordBE(bytes.data() + 256, 4, 5000);
    ASSERT_TRUE(WriteBytes(image, bytes));
    Location location;
    EXPECT_FALSE(ListFloppyImage(location, image, 1, "", false, ui));
    EXPECT_EQ(location.entries.size(), 2u);
    ASSERT_EQ(ui.Errors().size(), 1u);
    EXPECT_EQ(ui.Errors()[0], "Disk error, filename <" + image + ">\n, fileno <2>, sector <5000>");
    // The writer refuses to act on such an index.
    TiFileSpec fileSpec;
    fileSpec.tiName = "D";
    CatalogEntry entry = PcTiFile(fileSpec, source);
    EXPECT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    EXPECT_EQ(ReadBytes(image), bytes);
}

TEST_F(FloppyReader, DamagedChainsEndTheSaveWithAMessage)
{
    std::string image = NewImage(1);
    RecordingUi ui;
    AddFileState state;
    std::string source;
    TiFileSpec fileSpec;
    fileSpec.tiName = "LOOP";
    fileSpec.sectors = 4;
    CatalogEntry entry = PcTiFile(fileSpec, source);
    ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    std::vector<uint8_t> good = ReadBytes(image);

    struct Case {
        const char *what;
        void (*damage)(uint8_t *fdr);
        const char *message;
    };
    const Case cases[] = {
        {"loop",
         [](uint8_t *f) {
             // Two clusters over the same sectors.
             PutClusterEntry(f, 0, 34, 1);
             PutClusterEntry(f, 1, 34, 3);
         },
         "Disk error"},
        {"past the disk", [](uint8_t *f) { PutClusterEntry(f, 0, 718, 3); },
         "Can't read sector <720>"},
        {"too many sectors", [](uint8_t *f) { PutWordBE(f, 14, 60000); }, "Disk error"},
        {"all 0xFF", [](uint8_t *f) { std::memset(f, 0xFF, 256); }, ""},
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> bytes = good;
        c.damage(bytes.data() + 2 * 256);
        ASSERT_TRUE(WriteBytes(image, bytes));
        Location location;
        RecordingUi r;
        ASSERT_TRUE(ListFloppyImage(location, image, 1, "", false, r)) << c.what;
        ASSERT_EQ(location.entries.size(), 1u);
        std::string target = Path("out.bin");
        std::remove(target.c_str());
        EXPECT_FALSE(SaveEntryAsTiFile(location, *location.entries[0], target, r)) << c.what;
        ASSERT_EQ(r.Errors().size(), 1u) << c.what;
        EXPECT_NE(r.Errors()[0].find(c.message), std::string::npos) << r.Errors()[0];
        EXPECT_EQ(ReadBytes(image), bytes);
        // Deleting a file with a damaged chain frees no sector outside it.
        RecordingUi d;
        DeleteFileFromImage({image}, *location.entries[0], d);
        std::vector<uint8_t> after = ReadBytes(image);
        EXPECT_TRUE(IsAuUsed(after.data(), 0)) << c.what;
        EXPECT_TRUE(IsAuUsed(after.data(), 1)) << c.what;
    }
}

TEST_F(FloppyReader, RootListsSubdirectoriesAndDescriptions)
{
    std::string image = NewImage(1);
    RecordingUi ui;
    AddFileState state;
    std::string source;
    TiFileSpec fileSpec;
    fileSpec.tiName = "NOTE";
    CatalogEntry entry = PcTiFile(fileSpec, source);
    ASSERT_EQ(AddFileToImage({image}, entry, source, state, ui), kAddDone);
    std::vector<uint8_t> bytes = ReadBytes(image);
    std::memcpy(bytes.data() + 2 * 256 + 220, "Read me first", 13);
    std::memcpy(bytes.data() + 20, "UTIL      ", 10);
    PutWordBE(bytes.data(), 30, 20);
    std::memset(bytes.data() + 20 * 256, 0, 256);
    ASSERT_TRUE(WriteBytes(image, bytes));

    Location location;
    ASSERT_TRUE(ListFloppyImage(location, image, 1, "", true, ui));
    ASSERT_EQ(location.entries.size(), 3u);
    EXPECT_EQ(location.entries[0]->ti.kind, kKindUpDir);
    EXPECT_EQ(location.entries[1]->ti.kind, kKindSubdir);
    EXPECT_EQ(location.entries[1]->ti.fdrSector, 20);
    EXPECT_EQ(location.entries[2]->ti.description, "Read me first");
    EXPECT_EQ(location.entries[2]->containerKind, 9);
    EXPECT_EQ(location.entries[2]->sectorsPerTrack, 9);
    EXPECT_EQ(location.kind, kLocDskImage);

    // Through the catalog: the image by its path, the subdirectory, and up.
    RegisterLocationListers();
    Location pane;
    pane.path = image;
    ASSERT_TRUE(OpenLocation(pane, ui));
    ASSERT_EQ(pane.kind, kLocDskImage);
    const CatalogEntry *util = FindEntryByName(pane, "UTIL");
    ASSERT_NE(util, nullptr);
    ASSERT_TRUE(OpenEntry(pane, *util, ui));
    EXPECT_EQ(pane.fdirSector, 20);
    EXPECT_EQ(pane.innerPath, "UTIL");
    ASSERT_EQ(pane.entries.size(), 1u); // ".." only
    ASSERT_TRUE(GoUp(pane, ui));
    EXPECT_EQ(pane.fdirSector, 1);
    EXPECT_TRUE(ui.Silent());
}

} // namespace
} // namespace kestrel::testing
