#include "hdlib/tests/library_fixture.h"

#include "tifs/byte_order.h"

#include <numeric>
#include <set>

namespace kestrel::testing
{
namespace
{

class HdAllocation : public BrackenlyTest
{
protected:
    // A volume whose data area (from AU 2048) is in use but for the runs given.
    std::vector<uint8_t> DataAreaWithRuns(const std::vector<std::pair<uint32_t, uint32_t>> &runs)
    {
        std::vector<uint8_t> image = MakeHdImage({.sectors = 4096, .sectorsPerAu = 1});
        HdVolumeView view(image, 0);
        view.SetAusUsed(2048, 2048, true);
        for (const auto &[first, count] : runs)
            view.SetAusUsed(first, count, false);
        return image;
    }

    int32_t CreateSectors(const char *name, uint32_t sectors)
    {
        FileRequest request = Request();
        request.sectors = sectors;
        const int32_t result = createSectorFile(&request, ".", name);
        return closeFile(&request, result);
    }

    // The FDR of the root's file-index word k.
    static const uint8_t *RootFdr(std::vector<uint8_t> &image, int k)
    {
        HdVolumeView view(image, 0);
        return view.Au(GetWordBE(view.FileIndex(0), 2 * k));
    }
};

TEST_F(HdAllocation, FirstRunLongEnoughWins)
{
    Open(DataAreaWithRuns({{2100, 2}, {2200, 6}}));
    ASSERT_EQ(CreateSectors("F", 4), 0);
    std::vector<uint8_t> image = Image();
    const uint8_t *fdr = RootFdr(image, 0);
    EXPECT_EQ(GetWordBE(fdr, 40), 2200);
    EXPECT_EQ(GetWordBE(fdr, 42), 2203);
    EXPECT_EQ(GetWordBE(fdr, 44), 0);
    EXPECT_EQ(GetWordBE(fdr, 34), 4);
    EXPECT_EQ(GetWordBE(fdr, 14), 4);
    HdVolumeView view(image, 0);
    EXPECT_TRUE(view.AuUsed(2203));
    EXPECT_FALSE(view.AuUsed(2204));
    EXPECT_FALSE(view.AuUsed(2100));
}

TEST_F(HdAllocation, LongestRunIsTakenWhenNoneIsLongEnough)
{
    Open(DataAreaWithRuns({{2100, 2}, {2200, 3}}));
    // The run of 3 comes first; after it nothing is free, and no scan wraps back.
    EXPECT_EQ(CreateSectors("F", 4), 128);
    std::vector<uint8_t> image = Image();
    const uint8_t *fdr = RootFdr(image, 0);
    EXPECT_EQ(GetWordBE(fdr, 40), 2200);
    EXPECT_EQ(GetWordBE(fdr, 42), 2202);
    EXPECT_EQ(GetWordBE(fdr, 34), 3);
    EXPECT_FALSE(HdVolumeView(image, 0).AuUsed(2100));
}

TEST_F(HdAllocation, LaterRunsContinueFromTheLastAu)
{
    Open(DataAreaWithRuns({{2100, 3}, {2200, 2}}));
    ASSERT_EQ(CreateSectors("F", 4), 0);
    std::vector<uint8_t> image = Image();
    const uint8_t *fdr = RootFdr(image, 0);
    EXPECT_EQ(GetWordBE(fdr, 40), 2100);
    EXPECT_EQ(GetWordBE(fdr, 42), 2102);
    EXPECT_EQ(GetWordBE(fdr, 44), 2200);
    EXPECT_EQ(GetWordBE(fdr, 46), 2200);
    EXPECT_FALSE(HdVolumeView(image, 0).AuUsed(2201));
}

TEST_F(HdAllocation, VolumeBelowTwoThousandAusHoldsNoData)
{
    Open(MakeHdImage({.sectors = 2000, .sectorsPerAu = 1}));
    EXPECT_EQ(CreateSectors("EMPTY", 0), 0);
    EXPECT_EQ(CreateSectors("DATA", 1), 128);
    EXPECT_EQ(WriteProgramFile(".PROG", {1, 2, 3}), 128);
    EXPECT_EQ(WriteProgramFile(".NONE", {}), 0);
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"DATA", "EMPTY", "NONE", "PROG"}));
}

TEST_F(HdAllocation, ChainEndsAtFiftyFourEntries)
{
    std::vector<std::pair<uint32_t, uint32_t>> singles;
    for (uint32_t k = 0; k < 60; ++k)
        singles.push_back({2048 + 2 * k, 1});
    Open(DataAreaWithRuns(singles));
    ASSERT_EQ(CreateSectors("F", 54), 0);
    std::vector<uint8_t> image = Image();
    const uint8_t *fdr = RootFdr(image, 0);
    EXPECT_EQ(GetWordBE(fdr, 252), 2048 + 2 * 53);
    EXPECT_EQ(GetWordBE(fdr, 254), 2048 + 2 * 53);
    const uint32_t freeAfter54 = HdVolumeView(image, 0).FreeAus();

    // A 55th sector fails even when its AU would continue the last entry, and takes nothing.
    HdVolumeView(image, 0).SetAuUsed(2048 + 2 * 53 + 1, false);
    close();
    ASSERT_TRUE(WriteHdImageFile(m_path, image));
    ASSERT_EQ(open(m_path.c_str()), 0);
    EXPECT_EQ(CreateSectors("F", 55), 128);
    image = Image();
    EXPECT_EQ(HdVolumeView(image, 0).FreeAus(), freeAfter54 + 1);
    EXPECT_EQ(GetWordBE(RootFdr(image, 0), 34), 54);

    // Growth through a program write stops at the same limit.
    EXPECT_EQ(WriteProgramFile(".G", std::vector<uint8_t>(256 * 10, 1)), 128);
}

TEST_F(HdAllocation, FullDiskAccountsForEveryAu)
{
    Open(MakeHdImage({.sectors = 2600, .sectorsPerAu = 1}));
    std::vector<uint8_t> start = Image();
    const uint32_t totalAus = HdVolumeView(start, 0).TotalAus();
    int32_t result = 0;
    int files = 0;
    for (; files < 100 && result == 0; ++files)
        result =
            WriteProgramFile(".P" + std::to_string(100 + files), std::vector<uint8_t>(5000, 3));
    EXPECT_EQ(result, 128);
    EXPECT_GT(files, 10);

    std::vector<uint8_t> image = Image();
    HdVolumeView view(image, 0);
    std::set<uint32_t> fileAus;
    const uint8_t *vib = view.Sector(0);
    for (int k = 0; k < vib[22]; ++k) {
        for (uint32_t au : view.FileAus(GetWordBE(view.FileIndex(0), 2 * k)))
            EXPECT_TRUE(fileAus.insert(au).second) << "AU " << au << " used twice";
    }
    const uint32_t systemAus = 65; // VIB, bitmap, copy, root file index
    EXPECT_EQ(view.FreeAus() + fileAus.size() + systemAus, totalAus);
    for (uint32_t au : fileAus)
        EXPECT_TRUE(view.AuUsed(au));

    FileRequest request = Request(".");
    CatalogEntryRecord entry;
    ASSERT_EQ(openDirectory(&request), 0);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    EXPECT_EQ(static_cast<uint32_t>(freeSectors()), view.FreeAus());
    EXPECT_EQ(static_cast<uint32_t>(totalSectors()), totalAus);

    // Deleting everything gives every AU back.
    for (const Listed &listed : List(".")) {
        FileRequest del = Request();
        ASSERT_EQ(deleteFile(&del, ("." + listed.name).c_str()), 0);
    }
    image = Image();
    EXPECT_EQ(HdVolumeView(image, 0).FreeAus(), totalAus - systemAus);
}

TEST_F(HdAllocation, FreeSpaceFollowsCreateAndDelete)
{
    Open(MakeHdImage({.sectors = 16384, .sectorsPerAu = 4}));
    auto freeNow = [&] {
        FileRequest request = Request(".");
        CatalogEntryRecord entry;
        openDirectory(&request);
        directoryInfo(&request, &entry);
        return freeSectors();
    };
    const int32_t initial = freeNow();
    EXPECT_EQ(initial, 16384 - 17 * 4);
    FileRequest request = Request();
    ASSERT_EQ(createDirectory(&request, ".", "D"), 0);
    EXPECT_EQ(freeNow(), initial - 8);
    // 17 sectors need 5 AUs of 4 sectors, plus the FDR's AU.
    ASSERT_EQ(WriteProgramFile(".D.P", std::vector<uint8_t>(17 * 256, 9)), 0);
    EXPECT_EQ(freeNow(), initial - 8 - 4 - 4 * 8); // growth takes 16 / 4 = 4 AUs at a time
    ASSERT_EQ(deleteFile(&request, ".D.P"), 0);
    ASSERT_EQ(deleteDirectory(&request, ".", "D"), 0);
    EXPECT_EQ(freeNow(), initial);
}

// The free count takes whole bitmap bytes at once; the reserved AUs end inside a byte and a
// volume of 1003 AUs ends inside one, so both edges are counted bit by bit.
TEST_F(HdAllocation, FreeCountAtTheEdgesOfTheBitmapBytes)
{
    std::vector<uint8_t> image = MakeHdImage({.sectors = 1003, .sectorsPerAu = 1});
    HdVolumeView view(image, 0);
    for (uint32_t au = 65; au < 1003; au += 3)
        view.SetAuUsed(au, true);
    view.SetAusUsed(994, 9, false);
    view.SetAuUsed(1001, true);
    // Clear bits outside the volume's AUs must not count: the reserved AU 64 and the tail of
    // the last byte.
    view.SetAusUsed(64, 1, false);
    for (uint32_t bit = 1003; bit < 1008; ++bit)
        view.Sector(1)[bit / 8] &= static_cast<uint8_t>(~(0x80 >> (bit % 8)));
    uint32_t expected = 0;
    for (uint32_t au = 65; au < 1003; ++au)
        expected += view.AuUsed(au) ? 0 : 1;
    Open(image);
    FileRequest request = Request(".");
    CatalogEntryRecord entry;
    ASSERT_EQ(openDirectory(&request), 0);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    EXPECT_EQ(static_cast<uint32_t>(freeSectors()), expected);
}

} // namespace
} // namespace kestrel::testing
