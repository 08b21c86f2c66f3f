// A file written sector by sector gathers in the library and reaches the image in runs.
// Nothing may be hidden from a reader on the way, everything must be on the file once the
// next call returns, and a write the system refuses must be told, not answered with 0.
#include "hdlib/tests/library_fixture.h"

#include "tifs/byte_order.h"

#include <csignal>
#include <filesystem>

#include <sys/resource.h>
#include <unistd.h>

namespace kestrel::testing
{
namespace
{

class HdGatheredWrites : public BrackenlyTest
{
protected:
    static void Fill(uint8_t *sector, uint32_t n)
    {
        for (int i = 0; i < 256; ++i)
            sector[i] = static_cast<uint8_t>(n * 7 + i);
        PutWordBE(sector, 0, static_cast<uint16_t>(n));
    }

    static FileRequest SectorFileRequest(uint32_t sectors)
    {
        FileRequest request = Request();
        request.sectors = sectors;
        request.recordLength = 128;
        request.recordsPerSector = 2;
        request.level3Count = 2 * sectors;
        return request;
    }

    // The volume sectors of the root file name, FDR first, as the file holds them now.
    std::vector<uint32_t> SectorsOnFile(const std::string &name)
    {
        std::vector<uint8_t> image = Image();
        HdVolumeView view(image, 0);
        const uint8_t *index = view.FileIndex(0);
        for (int k = 0; k < view.Sector(0)[22]; ++k) {
            const uint16_t au = GetWordBE(index, 2 * k);
            if (std::string(reinterpret_cast<const char *>(view.Au(au)), 10) ==
                PaddedTiName(name))
                return view.FileAus(au); // one sector per AU in these images
        }
        return {};
    }

    // A new 20-sector file LOST whose data lies past the end of a shortened image, which the
    // process may not grow: every write of its data is refused. end is the image's size.
    void StartLostFile(FileRequest &request, off_t &end)
    {
        Open(MakeHdImage({.sectors = 4096, .sectorsPerAu = 1}));
        ASSERT_EQ(createSectorFile(&request, ".", "LOST"), 0);
        const std::vector<uint32_t> sectors = SectorsOnFile("LOST");
        ASSERT_EQ(sectors.size(), 21u);
        ASSERT_LT(sectors[0], sectors[1]);
        end = static_cast<off_t>(sectors[1]) * 256;
        ASSERT_EQ(::truncate(m_path.c_str(), end), 0);
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &m_before), 0);
        struct rlimit limited = m_before;
        limited.rlim_cur = static_cast<rlim_t>(end);
        m_previous = std::signal(SIGXFSZ, SIG_IGN);
        m_limited = setrlimit(RLIMIT_FSIZE, &limited) == 0;
        ASSERT_TRUE(m_limited);
    }

    void EndLimit()
    {
        if (m_limited)
            setrlimit(RLIMIT_FSIZE, &m_before);
        if (m_previous != SIG_ERR)
            std::signal(SIGXFSZ, m_previous);
        m_limited = false;
        m_previous = SIG_ERR;
    }

    void TearDown() override
    {
        EndLimit();
        BrackenlyTest::TearDown();
    }

    struct rlimit m_before = {};
    bool m_limited = false;
    void (*m_previous)(int) = SIG_ERR;

    static bool SectorIs(const std::vector<uint8_t> &image, uint32_t volumeSector, uint32_t n)
    {
        uint8_t expected[256];
        Fill(expected, n);
        return image.size() >= (volumeSector + 1) * 256ull &&
               std::memcmp(image.data() + volumeSector * 256ull, expected, 256) == 0;
    }
};

TEST_F(HdGatheredWrites, SectorsAreSeenBeforeTheCloseAndOnTheFileAfterIt)
{
    Open(MakeHdImage({.sectors = 4096, .sectorsPerAu = 1}));
    constexpr uint32_t kSectors = 600; // more than one run
    FileRequest request = SectorFileRequest(kSectors);
    ASSERT_EQ(createSectorFile(&request, ".", "BIG"), 0);
    uint8_t sector[256];
    for (uint32_t n = 0; n < kSectors; ++n) {
        Fill(sector, n);
        ASSERT_EQ(writeFileSector(&request, ".", "BIG", n, sector), 0) << n;
    }
    // Rewriting a sector still gathered changes the gathered copy.
    Fill(sector, 1000);
    ASSERT_EQ(writeFileSector(&request, ".", "BIG", kSectors - 1, sector), 0);

    // Another request reads what was just written, gathered or not.
    FileRequest reader = Request();
    reader.slot = 2;
    ASSERT_EQ(openSectorFile(&reader, ".", "BIG"), 0);
    for (uint32_t n : {0u, 511u, 512u, kSectors - 2}) {
        ASSERT_EQ(readFileSector(&reader, ".", "BIG", n, sector), 0);
        EXPECT_EQ(GetWordBE(sector, 0), n);
    }
    ASSERT_EQ(readFileSector(&reader, ".", "BIG", kSectors - 1, sector), 0);
    EXPECT_EQ(GetWordBE(sector, 0), 1000);
    ASSERT_EQ(closeFile(&reader, 0), 0);

    ASSERT_EQ(closeFile(&request, 0), 0);
    const std::vector<uint32_t> sectors = SectorsOnFile("BIG");
    ASSERT_EQ(sectors.size(), kSectors + 1);
    const std::vector<uint8_t> image = Image();
    for (uint32_t n = 0; n + 1 < kSectors; ++n)
        ASSERT_TRUE(SectorIs(image, sectors[n + 1], n)) << n;
    EXPECT_TRUE(SectorIs(image, sectors[kSectors], 1000));
}

// The system refusing to grow the file stands for a full disk: gathered sectors it refuses
// are lost, and whichever call writes them out must say so: the write that breaks the run,
// the write of the file's last sector, or the close.
TEST_F(HdGatheredWrites, ARefusedWriteIsToldByTheCallThatMakesIt)
{
    FileRequest request = SectorFileRequest(20);
    off_t end = 0;
    ASSERT_NO_FATAL_FAILURE(StartLostFile(request, end));

    uint8_t sector[256] = {};
    std::vector<int32_t> answers;
    auto write = [&](uint32_t n) {
        answers.push_back(writeFileSector(&request, ".", "LOST", n, sector));
    };
    for (uint32_t n = 0; n < 10; ++n)
        write(n);
    write(15); // breaks the run of 0 to 9
    write(19); // the last sector
    write(16);
    answers.push_back(closeFile(&request, 0));
    FileRequest raw = Request();
    answers.push_back(writeVolumeSector(&raw, 4000, sector));

    EndLimit();
    EXPECT_EQ(answers,
              (std::vector<int32_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 192, 192, 0, 192, 192}));
    EXPECT_EQ(std::filesystem::file_size(m_path), static_cast<uintmax_t>(end));
}

// Closing the image (ordinal 3) writes out what is still gathered and answers for it.
TEST_F(HdGatheredWrites, ClosingTheImageTellsARefusedWrite)
{
    FileRequest request = SectorFileRequest(20);
    off_t end = 0;
    ASSERT_NO_FATAL_FAILURE(StartLostFile(request, end));
    uint8_t sector[256] = {};
    const int32_t written = writeFileSector(&request, ".", "LOST", 0, sector);
    const int32_t closed = close();
    EndLimit();
    EXPECT_EQ(written, 0);
    EXPECT_EQ(closed, 192);
    EXPECT_EQ(std::filesystem::file_size(m_path), static_cast<uintmax_t>(end));
}

} // namespace
} // namespace kestrel::testing
