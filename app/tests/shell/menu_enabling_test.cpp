#include <gtest/gtest.h>

#include <map>

#include "app/shell/command_table.h"
#include "app/shell/menu_enabling.h"

namespace kestrel::testing
{
namespace
{

class MenuEnablingTest : public ::testing::Test
{
protected:
    Pane active, other;

    void SetUp() override
    {
        active.location.kind = kLocPcDirectory;
        active.location.path = "/nowhere/left";
        other.location.kind = kLocPcDirectory;
        other.location.path = "/nowhere/right";
    }

    CatalogEntry &Add(uint16_t kind, uint16_t recordLength = 0, uint16_t sectors = 1)
    {
        CatalogEntry *e = AddEntry(active.location.entries);
        e->ti.kind = kind;
        e->ti.recordLength = recordLength;
        e->ti.sectors = sectors;
        e->ti.tiName = "NAME";
        e->pcName = "NAME";
        return *e;
    }

    std::map<int, bool> States()
    {
        std::map<int, bool> out;
        for (const MenuItemState &s : MenuEnabling(active, other))
            out[s.id] = s.enabled;
        return out;
    }

    bool On(int id)
    {
        auto states = States();
        auto it = states.find(id);
        EXPECT_NE(it, states.end()) << id << " is not decided";
        return it != states.end() && it->second;
    }
};

TEST_F(MenuEnablingTest, EmptyPaneGreysItsItemsAndLeavesTheRest)
{
    auto states = States();
    EXPECT_EQ(states.size(), 31u);
    for (const auto &[id, enabled] : states)
        EXPECT_FALSE(enabled) << id;
    // Not touched: what makes sense without entries, and what an empty
    // pane cannot decide.
    for (int id : {40052, 40054, 40063, 40064, 40042, 40037, 40081, 40084, 40044, 40017, 40034,
                   40035, 40050, 40049, 40001})
        EXPECT_EQ(states.count(id), 0u) << id;
    for (int id : {40006, 40015, 40038, 40041, 40051, 40046, 40066, 40016})
        EXPECT_EQ(states.count(id), 1u) << id;
}

TEST_F(MenuEnablingTest, CursorOnSubdirectoryAndOnTheParentEntry)
{
    Add(kKindUpDir);
    Add(kKindSubdir);
    Add(kKindDisVar, 80);
    active.cursor = 1;
    EXPECT_TRUE(On(40013));
    EXPECT_TRUE(On(40006));
    EXPECT_TRUE(On(40015));
    EXPECT_FALSE(On(40009)); // not a TI file
    EXPECT_FALSE(On(40004));
    EXPECT_FALSE(On(40067));
    EXPECT_FALSE(On(40066)); // attributes refuse a lone subdirectory
    EXPECT_TRUE(On(40045));
    EXPECT_TRUE(On(40046));
    EXPECT_TRUE(On(40044));
    EXPECT_TRUE(On(40037));
    EXPECT_FALSE(On(40043));
    EXPECT_FALSE(On(40065));

    active.cursor = 0; // ".."
    EXPECT_TRUE(On(40013));
    EXPECT_FALSE(On(40045)); // "Can't rename this directory"
    EXPECT_FALSE(On(40046)); // "Can't delete this directory"
    EXPECT_FALSE(On(40066));

    active.cursor = 2; // a DIS/VAR 80 file
    EXPECT_FALSE(On(40013));
    EXPECT_TRUE(On(40009));
    EXPECT_TRUE(On(40004));
    EXPECT_TRUE(On(40066));
    EXPECT_TRUE(On(40051));
    // A subdirectory among marked entries does not stop the attributes.
    active.location.entries[1]->marked = true;
    active.location.entries[2]->marked = true;
    active.cursor = 1;
    EXPECT_TRUE(On(40066));
}

TEST_F(MenuEnablingTest, MarkedPc99ImageCountsForItsConversionsOnly)
{
    Add(kKindDisVar, 80);
    Add(kKindPc99Dd).marked = true;
    active.cursor = 0;
    EXPECT_TRUE(On(40008));
    EXPECT_TRUE(On(40068));
    EXPECT_FALSE(On(40069));
    EXPECT_FALSE(On(40016)); // the layout is for the cursor entry
    EXPECT_FALSE(On(40053));
    // Unmarked, S is the cursor entry alone.
    active.location.entries[1]->marked = false;
    EXPECT_FALSE(On(40008));
    EXPECT_FALSE(On(40068));
    active.cursor = 1;
    EXPECT_TRUE(On(40008));
    EXPECT_TRUE(On(40016));
    EXPECT_TRUE(On(40013));
    EXPECT_FALSE(On(40067)); // no structure to inspect in a track image
    EXPECT_FALSE(On(40004));
}

TEST_F(MenuEnablingTest, HfeConversionsFollowTheirSourceKind)
{
    Add(kKindHfe);
    Add(kKindDsk);
    active.cursor = 0;
    EXPECT_TRUE(On(kCmdHfeToDsk));
    EXPECT_FALSE(On(kCmdDskToHfe));
    EXPECT_TRUE(On(kCmdExtractAll));
    EXPECT_TRUE(On(kCmdViewDirectory));
    active.cursor = 1;
    EXPECT_FALSE(On(kCmdHfeToDsk));
    EXPECT_TRUE(On(kCmdDskToHfe));
    // A marked PC99 image is neither.
    Add(kKindPc99Sd).marked = true;
    EXPECT_FALSE(On(kCmdHfeToDsk));
    EXPECT_FALSE(On(kCmdDskToHfe));
}

TEST_F(MenuEnablingTest, ArcArchiveNeedsTwoSectorsAndAFileOfItsOwn)
{
    CatalogEntry &arc = Add(kKindIntFix, 128, 2);
    EXPECT_TRUE(On(40069));
    EXPECT_TRUE(On(40068));
    EXPECT_TRUE(On(40013));
    arc.ti.sectors = 1;
    EXPECT_FALSE(On(40069));
    EXPECT_FALSE(On(40068));
    EXPECT_TRUE(On(40013)); // still opened as an archive by Enter
    arc.ti.sectors = 5;
    arc.archiveMember = 3;
    EXPECT_FALSE(On(40069));
    arc.archiveMember = 0;
    arc.containerKind = kKindDsk;
    EXPECT_FALSE(On(40069));
    arc.containerKind = 0;
    arc.ti.kind = kKindDisFix;
    EXPECT_TRUE(On(40069));
    arc.ti.recordLength = 80;
    EXPECT_FALSE(On(40069));
    EXPECT_FALSE(On(40013));
}

TEST_F(MenuEnablingTest, ProgramAgainstDisFix128Pictures)
{
    CatalogEntry &e = Add(kKindProgram, 0, 33);
    EXPECT_TRUE(On(40002));
    EXPECT_TRUE(On(40059));
    EXPECT_FALSE(On(40060));
    EXPECT_FALSE(On(40061));
    EXPECT_FALSE(On(40080));
    e.ti.kind = kKindDisFix;
    e.ti.recordLength = 128;
    EXPECT_TRUE(On(40002));
    EXPECT_FALSE(On(40059));
    EXPECT_TRUE(On(40060));
    EXPECT_TRUE(On(40061));
    EXPECT_TRUE(On(40080));
    e.ti.kind = kKindIntFix; // the record length alone is not enough
    for (int id : {40002, 40059, 40060, 40061, 40080})
        EXPECT_FALSE(On(id)) << id;
    e.ti.kind = kKindDisFix;
    e.ti.recordLength = 80;
    for (int id : {40002, 40059, 40060, 40061, 40080})
        EXPECT_FALSE(On(id)) << id;
}

TEST_F(MenuEnablingTest, HeaderConversionsByHeaderKindAndPlace)
{
    CatalogEntry &e = Add(kKindDisVar, 80);
    e.ti.headerKind = kHeaderTifiles;
    EXPECT_TRUE(On(40010));
    EXPECT_FALSE(On(40011));
    e.ti.headerKind = kHeaderClassic99;
    EXPECT_TRUE(On(40010));
    e.ti.headerKind = kHeaderV9t9;
    EXPECT_FALSE(On(40010));
    EXPECT_TRUE(On(40011));
    e.containerKind = kKindDsk; // inside an image there is no PC header
    EXPECT_FALSE(On(40011));
    e.containerKind = 0;
    e.ti.kind = kKindDos;
    EXPECT_FALSE(On(40011));
    EXPECT_TRUE(On(40053));
    EXPECT_TRUE(On(40084));
    EXPECT_FALSE(On(40009));
}

TEST_F(MenuEnablingTest, LocationKindsDecideImagesDirectoriesAndCards)
{
    Add(kKindCf7DriveVolume);
    Add(kKindCf7DriveVolume);
    active.location.kind = kLocCf7Image;
    active.cursor = 0;
    EXPECT_FALSE(On(40043));
    EXPECT_TRUE(On(40065));
    active.cursor = 1;
    EXPECT_TRUE(On(40043));
    EXPECT_FALSE(On(40037));
    EXPECT_FALSE(On(40044));
    EXPECT_FALSE(On(40046));
    EXPECT_FALSE(On(40045));
    active.location.kind = kLocCf7Drive;
    EXPECT_TRUE(On(40043));

    active.location.kind = kLocPcDirectory;
    active.location.entries[1]->ti.kind = kKindCf7Image;
    EXPECT_FALSE(On(40043));
    EXPECT_TRUE(On(40065));
    EXPECT_TRUE(On(40067));

    // A partitioned image: nothing to create at its partition list, a
    // directory inside a partition.
    CatalogEntry image;
    image.ti.kind = kKindPartitionedImage;
    active.location.kind = kLocHdPartition;
    active.location.containerEntries = {image};
    active.location.hdLevel = 2;
    EXPECT_FALSE(On(40044));
    EXPECT_FALSE(On(40046));
    CatalogEntry partition;
    partition.ti.kind = kKindHdImage;
    active.location.containerEntries.push_back(partition);
    active.location.hdLevel = 3;
    EXPECT_TRUE(On(40044));
    EXPECT_TRUE(On(40046));
    EXPECT_FALSE(On(40081));
    active.location.kind = kLocHdImage;
    active.location.containerEntries = {partition};
    active.location.hdLevel = 2;
    EXPECT_TRUE(On(40044));

    // A floppy image takes subdirectories at its root only; a PC99 image none.
    active.location.kind = kLocDskImage;
    active.location.fdirSector = 1;
    EXPECT_TRUE(On(40044));
    active.location.fdirSector = 3;
    EXPECT_FALSE(On(40044));
    active.location.kind = kLocPc99Image;
    active.location.fdirSector = 1;
    EXPECT_FALSE(On(40044));
    active.location.kind = kLocDskImage;
    EXPECT_TRUE(On(40046));
    EXPECT_FALSE(On(40066));
}

TEST_F(MenuEnablingTest, CheckDiskTakesImagesAndArchivesOfAPcDirectory)
{
    for (int kind : {int(kKindDsk), 10, 11, int(kKindPartitionedImage), int(kKindHdImage),
                     int(kKindCf7Image)}) {
        active.location.entries.clear();
        Add(static_cast<uint16_t>(kind));
        EXPECT_TRUE(On(kCmdCheckDisk)) << kind;
    }
    active.location.entries.clear();
    Add(kKindDisFix, 128, 2);
    EXPECT_TRUE(On(kCmdCheckDisk)); // an archive
    active.location.entries.clear();
    Add(kKindDisVar, 80, 2);
    EXPECT_FALSE(On(kCmdCheckDisk));
    active.location.entries.clear();
    Add(kKindDsk);
    active.location.kind = kLocHdImage; // only image files of a PC folder
    EXPECT_FALSE(On(kCmdCheckDisk));
}

TEST_F(MenuEnablingTest, CopyAsksTheCopyChecksWithTheOtherPane)
{
    Add(kKindDisVar, 80);
    EXPECT_TRUE(On(40051));
    other.location.kind = kLocArchive;
    EXPECT_FALSE(On(40051)); // "Can't copy files to ARC or PC99DSK"
    other.location.kind = kLocCf7Image;
    EXPECT_FALSE(On(40051)); // only DSK images go onto a card
    active.location.entries[0]->ti.kind = kKindDsk;
    EXPECT_TRUE(On(40051));
    other.location.kind = kLocDskImage;
    EXPECT_FALSE(On(40051));
}

TEST_F(MenuEnablingTest, PackNeedsATiFileAndAnOtherPaneThatTakesOne)
{
    Add(kKindDos);
    EXPECT_FALSE(On(40090));
    Add(kKindProgram).marked = true;
    EXPECT_TRUE(On(40090));
    other.location.kind = kLocArchive;
    EXPECT_FALSE(On(40090));
    other.location.kind = kLocPc99Image;
    EXPECT_FALSE(On(40090));
    other.location.kind = kLocDskImage;
    EXPECT_TRUE(On(40090));
}

TEST(RecentMenuItems, PathsWithTheirNumbersAndEmptySlotsGreyed)
{
    auto items = RecentMenuItems({"/ti/games", "", "/ti/basic", "", ""});
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].id, 40054);
    EXPECT_EQ(items[0].text, "&1 /ti/games");
    EXPECT_TRUE(items[0].enabled);
    EXPECT_EQ(items[1].text, "&2 ");
    EXPECT_FALSE(items[1].enabled);
    EXPECT_EQ(items[2].text, "&3 /ti/basic");
    EXPECT_TRUE(items[2].enabled);
    EXPECT_EQ(items[4].id, 40058);
    EXPECT_FALSE(items[4].enabled);
    // Empty slots are left out of the menu.
    EXPECT_TRUE(items[0].visible);
    EXPECT_FALSE(items[1].visible);
    EXPECT_FALSE(items[4].visible);
}

TEST(RecentMenuItems, AnEmptyListShowsOneGreyedNone)
{
    auto items = RecentMenuItems({"", "", "", "", ""});
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].text, "(none)");
    EXPECT_TRUE(items[0].visible);
    EXPECT_FALSE(items[0].enabled);
    for (size_t i = 1; i < items.size(); ++i)
        EXPECT_FALSE(items[i].visible) << i;
}

} // namespace
} // namespace kestrel::testing
