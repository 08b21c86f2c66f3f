#include "hdlib/tests/library_fixture.h"

#include "tifs/byte_order.h"

#include <csignal>
#include <filesystem>

#include <unistd.h>

namespace kestrel::testing
{
namespace
{

class HdDamagedImage : public BrackenlyTest
{
protected:
    std::vector<uint8_t> Populated()
    {
        std::vector<uint8_t> image = MakeHdImage({.sectors = 4096, .sectorsPerAu = 1});
        HdVolumeView view(image, 0);
        view.AddSubdirectory(0, 100, 101, "SUB");
        view.AddProgram(0, 102, "PROG", 2048, std::vector<uint8_t>(2000, 5));
        view.AddProgram(100, 103, "INNER", 2100, std::vector<uint8_t>(100, 6));
        return image;
    }

    // Walks every entry with the ordinals a lister would use; the answer of the last call.
    int32_t WalkEverything()
    {
        int32_t last = 0;
        for (const Listed &entry : List(".", &last)) {
            if (entry.kind == 6) {
                List("." + entry.name + ".", &last);
                continue;
            }
            FileRequest request = Request();
            if (openSectorFile(&request, ".", entry.name.c_str()) == 0) {
                uint8_t sector[256];
                for (uint32_t n = 0; n < request.sectors && n < 64; ++n)
                    last = readFileSector(&request, ".", entry.name.c_str(), n, sector);
            }
            ReadProgramFile("." + entry.name);
        }
        return last;
    }
};

TEST_F(HdDamagedImage, TruncatedImageGivesDeviceErrors)
{
    std::vector<uint8_t> image = Populated();
    image.resize(80 * 256); // the VIB and bitmap survive, the FDRs do not
    Open(image);
    int32_t last = 0;
    EXPECT_TRUE(List(".", &last).empty());
    EXPECT_EQ(last, 192);
    FileRequest request = Request();
    EXPECT_EQ(createDirectory(&request, ".", "NEW"), 192);
    uint8_t flags = 0;
    EXPECT_EQ(fileStatus(&request, ".PROG", &flags), 192);
    WalkEverything();

    image.resize(100); // not even one sector
    close();
    ASSERT_TRUE(WriteHdImageFile(m_path, image));
    EXPECT_EQ(open(m_path.c_str()), 192);
    EXPECT_EQ(WalkEverything(), 192);
    EXPECT_EQ(std::filesystem::file_size(m_path), 100u);
}

// Another program may cut the image short while the library has it open; the sectors that
// are gone must answer 192 like any short transfer, not bring the process down.
TEST_F(HdDamagedImage, ImageShortenedWhileOpenGivesDeviceErrors)
{
    struct sigaction before = {};
    ASSERT_EQ(sigaction(SIGBUS, nullptr, &before), 0);
    std::vector<uint8_t> image = Populated();
    Open(image);
    ASSERT_EQ(List(".").size(), 2u);
    ASSERT_EQ(::truncate(m_path.c_str(), 80 * 256), 0);

    uint8_t sector[256] = {};
    FileRequest request = Request();
    EXPECT_EQ(readVolumeSector(&request, 102, sector), 192);
    EXPECT_EQ(writeVolumeSector(&request, 3000, sector), 0); // positioned writes still land
    EXPECT_EQ(std::filesystem::file_size(m_path), 3001u * 256);
    EXPECT_EQ(readVolumeSector(&request, 3000, sector), 0);
    EXPECT_EQ(readVolumeSector(&request, 0, sector), 0);
    EXPECT_EQ(std::memcmp(sector, image.data(), 256), 0);

    // Closing gives the process back the handling of SIGBUS it had before.
    close();
    struct sigaction after = {};
    ASSERT_EQ(sigaction(SIGBUS, nullptr, &after), 0);
    EXPECT_EQ(after.sa_flags & SA_SIGINFO, before.sa_flags & SA_SIGINFO);
    if (before.sa_flags & SA_SIGINFO)
        EXPECT_EQ(after.sa_sigaction, before.sa_sigaction);
    else
        EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(HdDamagedImage, VibWithEveryAuUsedUp)
{
    std::vector<uint8_t> image = Populated();
    PutWordBE(image.data(), 10, 0xFFFF);
    Open(image);
    EXPECT_EQ(selectVolume(0), 0);
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"PROG", "SUB"}));
    EXPECT_LE(freeSectors(), 63488);
    EXPECT_EQ(totalSectors(), 0xFFFF);
    EXPECT_EQ(ReadProgramFile(".PROG"), std::vector<uint8_t>(2000, 5));
    EXPECT_EQ(WriteProgramFile(".MORE", std::vector<uint8_t>(3000, 1)), 0);
    EXPECT_EQ(ReadProgramFile(".MORE"), std::vector<uint8_t>(3000, 1));
}

TEST_F(HdDamagedImage, PointersOutsideTheVolume)
{
    std::vector<uint8_t> image = Populated();
    HdVolumeView view(image, 0);
    PutWordBE(view.FileIndex(0), 0, 60000); // FDR beyond the volume
    PutWordBE(view.Au(103), 40, 60000);     // data chain beyond the volume
    PutWordBE(view.Au(103), 42, 60001);
    Open(image);
    int32_t last = 0;
    List(".", &last);
    EXPECT_EQ(last, 192);
    uint8_t flags = 0;
    FileRequest request = Request();
    EXPECT_EQ(fileStatus(&request, ".PROG", &flags), 192);
    int32_t result = 0;
    EXPECT_TRUE(ReadProgramFile(".SUB.INNER", &result).empty());
    EXPECT_EQ(result, 192);
    // Deleting the damaged file gives back only AUs that the volume has.
    EXPECT_EQ(deleteFile(&request, ".SUB.INNER"), 0);
    EXPECT_EQ(Image().size(), image.size());
}

TEST_F(HdDamagedImage, LoopingAndBackwardChains)
{
    std::vector<uint8_t> image = Populated();
    HdVolumeView view(image, 0);
    uint8_t *fdr = view.Au(102);
    for (int k = 0; k < 54; ++k) { // every entry names the same AUs
        PutWordBE(fdr, 40 + 4 * k, 2048);
        PutWordBE(fdr, 42 + 4 * k, 2055);
    }
    PutWordBE(fdr, 14, 0xFFFF);
    uint8_t *inner = view.Au(103);
    PutWordBE(inner, 40, 2105); // last before first
    PutWordBE(inner, 42, 2100);
    Open(image);
    int32_t result = 0;
    const std::vector<uint8_t> bytes = ReadProgramFile(".PROG", &result);
    // Every sector the chain names (the last partial chunk is not delivered), then an error.
    EXPECT_GT(bytes.size(), 54u * 8 * 256 - 700);
    EXPECT_LE(bytes.size(), 54u * 8 * 256);
    EXPECT_EQ(result, 192);
    EXPECT_TRUE(ReadProgramFile(".SUB.INNER", &result).empty());
    EXPECT_EQ(result, 192);
    WalkEverything();
    FileRequest request = Request();
    EXPECT_EQ(deleteFile(&request, ".PROG"), 0);
    EXPECT_EQ(deleteFile(&request, ".SUB.INNER"), 0);
    EXPECT_TRUE(List(".SUB.").empty());
}

TEST_F(HdDamagedImage, DirectoryThatHoldsItself)
{
    std::vector<uint8_t> image = Populated();
    HdVolumeView view(image, 0);
    uint8_t *ddr = view.Au(100);
    PutWordBE(ddr, 28, 100);
    ddr[23] = 1;
    ddr[22] = 250; // impossible count
    view.Sector(0)[23] = 200;
    Open(image);
    WalkEverything();
    EXPECT_EQ(Names(List(".SUB.SUB.SUB.SUB.SUB.SUB.")), (std::vector<std::string>{"INNER", "SUB"}));
    FileRequest request = Request();
    EXPECT_EQ(deleteDirectory(&request, ".", "SUB"), 224);
    EXPECT_EQ(createDirectory(&request, ".SUB.SUB.", "NEW"), 0);
}

TEST_F(HdDamagedImage, ZeroBitmapNeverHandsOutTheSystemArea)
{
    std::vector<uint8_t> image = MakeHdImage({.sectors = 2600, .sectorsPerAu = 1});
    std::memset(image.data() + 256, 0, 31 * 256);
    std::vector<uint8_t> vib(image.begin(), image.begin() + 256);
    Open(image);
    FileRequest request = Request();
    ASSERT_EQ(createDirectory(&request, ".", "D"), 0);
    int32_t result = 0;
    for (int k = 0; k < 40 && result == 0; ++k)
        result = WriteProgramFile(".F" + std::to_string(k), std::vector<uint8_t>(4000, 1));
    EXPECT_EQ(result, 128);
    std::vector<uint8_t> after = Image();
    EXPECT_EQ(after.size(), image.size()); // nothing beyond the volume
    HdVolumeView view(after, 0);
    EXPECT_EQ(GetWordBE(view.Sector(0), 28) > 64, true);
    for (uint32_t au : view.FileAus(GetWordBE(view.FileIndex(0), 0))) {
        EXPECT_GT(au, 64u);
        EXPECT_LT(au, 2600u);
    }
    EXPECT_EQ(std::string(reinterpret_cast<char *>(after.data()), 10),
              std::string(reinterpret_cast<char *>(vib.data()), 10));
    EXPECT_EQ(GetWordBE(view.FileIndex(0), 0) != 0, true);
}

TEST_F(HdDamagedImage, SlotNumbersOutsideTheSix)
{
    Open(Populated());
    FileRequest request = Request(".");
    CatalogEntryRecord entry;
    ASSERT_EQ(openDirectory(&request), 0);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    const uint8_t *slots = reinterpret_cast<const uint8_t *>(entry.slot) - 608;
    const std::vector<uint8_t> before(slots, slots + 6 * 608);
    uint8_t buffer[512] = {};
    for (int32_t slot : {6, -1, 1000, INT32_MIN}) {
        FileRequest bad = Request(".PROG", 0x01);
        bad.slot = slot;
        EXPECT_EQ(openDirectory(&bad), 96);
        EXPECT_EQ(directoryInfo(&bad, &entry), 96);
        EXPECT_EQ(nextEntry(&bad, &entry), 96);
        EXPECT_EQ(openRecord(&bad), 96);
        EXPECT_EQ(readRecord(&bad, buffer), 96);
        EXPECT_EQ(openProgramRead(&bad), 96);
        EXPECT_EQ(closeFile(&bad, 0), 96);
        EXPECT_EQ(deleteFile(&bad, ".PROG"), 96);
        EXPECT_EQ(createSectorFile(&bad, ".", "X"), 96);
        EXPECT_EQ(readVolumeSector(&bad, 0, buffer), 96);
        EXPECT_EQ(writeVolumeSector(&bad, 0, buffer), 96);
        EXPECT_EQ(endOfFile(&bad), 96);
    }
    EXPECT_EQ(std::vector<uint8_t>(slots, slots + 6 * 608), before);
    EXPECT_EQ(openDirectory(nullptr), 96);
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"PROG", "SUB"}));
}

TEST_F(HdDamagedImage, PathsWithoutTerminator)
{
    Open(Populated());
    FileRequest request = Request();
    std::memset(request.path, 'A', sizeof request.path);
    std::memset(request.directoryName, '.', sizeof request.directoryName);
    EXPECT_EQ(openDirectory(&request), 64);
    request.flags = 0x02;
    EXPECT_EQ(openRecord(&request), 224);
    EXPECT_EQ(openProgramRead(&request), 224);
    EXPECT_EQ(openProgramWrite(&request, 0), 224);
    request.path[0] = '.';
    EXPECT_EQ(openRecord(&request), 224);
    EXPECT_EQ(Names(List(".")), (std::vector<std::string>{"PROG", "SUB"}));
    FileRequest other = Request();
    EXPECT_EQ(createDirectory(&other, nullptr, "X"), 64);
    EXPECT_EQ(createDirectory(&other, ".", nullptr), 224);
    EXPECT_EQ(deleteFile(&other, nullptr), 224);
}

} // namespace
} // namespace kestrel::testing
