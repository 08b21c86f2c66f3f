// A card image reached from its folder as a pane would: into the volume
// list, into a volume, a file saved out, and back up level by level.
#include "drives/cf7_listing.h"
#include "drives/cf7_registration.h"
#include "drives/tests/cf7_test_support.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"

namespace kestrel::testing
{
namespace
{

using Cf7Navigation = Cf7Test;

const CatalogEntry *Named(const Location &location, const std::string &pcName)
{
    for (const auto &e : location.entries) {
        if (e->pcName == pcName) {
            return e.get();
        }
    }
    return nullptr;
}

TEST_F(Cf7Navigation, IntoVolumeAndBackOut)
{
    RegisterLocationListers();
    RegisterCf7Listers();
    Bytes card = MakeCardImage(2);
    uint8_t *vol = card.data() + Cf7ImageVolumeBase(2);
    MakeVib(vol, "WORK", 1600, 2, 40, 20);
    PutWordBE(vol + 256, 0, 2);
    std::memcpy(vol + 512, "HELLO     ", 10);
    vol[512 + 12] = 0x01; // PROGRAM of one sector at sector 40
    PutWordBE(vol + 512, 14, 1);
    vol[512 + 16] = 16;
    vol[512 + 28] = 40;
    std::memset(vol + 40 * 256, 0x5C, 256);
    MarkAu(vol, 2, true);
    MarkAu(vol, 40, true);
    WriteFile(PathOf("card.cf7"), card);

    RecordingUi ui;
    Location location;
    location.path = m_dir.string();
    ASSERT_TRUE(OpenLocation(location, ui));
    const CatalogEntry *image = Named(location, "card.cf7");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->ti.kind, kKindCf7Image);
    EXPECT_EQ(image->imageSize, 3200u);

    ASSERT_TRUE(OpenEntry(location, *image, ui));
    EXPECT_EQ(location.kind, kLocCf7Image);
    EXPECT_EQ(location.path, PathOf("card.cf7"));
    // An unformatted volume does not open.
    ASSERT_FALSE(OpenEntry(location, *Named(location, "VOL #001"), ui));
    EXPECT_EQ(ui.Errors().back(), "DSK is not initialized");
    ASSERT_TRUE(OpenEntry(location, *Named(location, "VOL #002"), ui));
    EXPECT_EQ(location.kind, kLocCf7Volume);
    const CatalogEntry *hello = nullptr;
    for (const auto &e : location.entries) {
        if (e->ti.tiName == "HELLO     ") {
            hello = e.get();
        }
    }
    ASSERT_NE(hello, nullptr);
    EntrySaver saver = FindEntrySaver(kLocCf7Volume);
    ASSERT_NE(saver, nullptr);
    ASSERT_TRUE(saver(location, *hello, PathOf("HELLO"), ui)) << ui.Errors().back();
    Bytes saved = ReadFile(PathOf("HELLO"));
    ASSERT_EQ(saved.size(), 128u + 256u);
    EXPECT_EQ(saved[128], 0x5C);

    ASSERT_TRUE(GoUp(location, ui));
    EXPECT_EQ(location.kind, kLocCf7Image);
    EXPECT_NE(Named(location, "VOL #002"), nullptr);
    ASSERT_TRUE(GoUp(location, ui));
    EXPECT_EQ(location.kind, kLocPcDirectory);
    EXPECT_EQ(location.path, m_dir.string());
    EXPECT_NE(Named(location, "card.cf7"), nullptr);

    // The same card in a drive: its volume opens through the registered
    // opener, the file is saved from the drive, and the way up is the drive.
    Bytes ti(card.begin() + kCf7HeaderSize, card.end());
    WriteFile(PathOf("drive.img"), MakePhysicalCard(2, &ti));
    platform::SetFileDrives({{PathOf("drive.img")}});
    ASSERT_TRUE(ListCf7Drive(location, 'D', ui));
    EXPECT_EQ(location.kind, kLocCf7Drive);
    EntryOpener opener = FindEntryOpener(kKindCf7DriveVolume);
    ASSERT_NE(opener, nullptr);
    ASSERT_TRUE(opener(location, *Named(location, "VOL #0002"), ui));
    EXPECT_EQ(location.kind, kLocCf7Volume);
    ASSERT_EQ(location.entries.size(), 2u);
    std::filesystem::remove(PathOf("HELLO"));
    ASSERT_TRUE(saver(location, *location.entries[1], PathOf("HELLO"), ui));
    EXPECT_EQ(ReadFile(PathOf("HELLO")), saved);
    EXPECT_FALSE(std::filesystem::exists(PathOf("HELLO.vol")));
    ASSERT_TRUE(GoUp(location, ui));
    EXPECT_EQ(location.kind, kLocCf7Drive);
    EXPECT_EQ(location.entries.size(), 3u);
    ASSERT_TRUE(GoUp(location, ui));
    EXPECT_EQ(location.kind, kLocPcDirectory);
    EXPECT_EQ(location.path, m_dir.string());
}

} // namespace
} // namespace kestrel::testing
