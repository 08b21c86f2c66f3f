#include "hdlib/tests/library_fixture.h"

#include <cstdio>

namespace kestrel::testing
{
namespace
{

class HdExports : public BrackenlyTest
{
};

TEST_F(HdExports, ExportsOnlyTheOrdinalTable)
{
    const std::string command = "nm -D --defined-only \"" BRACKENLY_PATH "\" 2>/dev/null";
    std::FILE *pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string text(line);
        const size_t space = text.find_last_of(' ');
        std::string name = text.substr(space + 1);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r'))
            name.pop_back();
        symbols.push_back(name);
    }
    const int status = pclose(pipe);
    if (status != 0 && symbols.empty())
        GTEST_SKIP() << "nm is not available";
    EXPECT_EQ(symbols, std::vector<std::string>{"LibraryOrdinal"});
}

TEST_F(HdExports, OrdinalTableHasExactlyThirtyFiveEntries)
{
    EXPECT_EQ(m_library.Ordinal(0), nullptr);
    EXPECT_EQ(m_library.Ordinal(36), nullptr);
    EXPECT_EQ(m_library.Ordinal(0xFFFFFFFFu), nullptr);
    for (unsigned ordinal = 1; ordinal <= 35; ++ordinal)
        EXPECT_NE(m_library.Ordinal(ordinal), nullptr) << ordinal;
    reinterpret_cast<NopFn>(m_library.Ordinal(kOrdNop))();
}

TEST_F(HdExports, DirectoryInfoHandsOutBlockAndSlotAtFixedPositions)
{
    Open(MakeHdImage({.sectors = 4096, .sectorsPerAu = 1, .label = "WORKDISK"}));
    FileRequest request = Request(".");
    ASSERT_EQ(openDirectory(&request), 0);
    CatalogEntryRecord entry;
    std::memset(&entry, 0xAA, sizeof entry);
    ASSERT_EQ(directoryInfo(&request, &entry), 0);
    EXPECT_EQ(entry.kind, 0);
    EXPECT_EQ(entry.sectors, 0u);
    EXPECT_EQ(std::string(request.directoryName, 10), "WORKDISK  ");
    const auto *block = reinterpret_cast<const uint8_t *>(entry.block);
    const auto *slot = reinterpret_cast<const uint8_t *>(entry.slot);
    ASSERT_NE(block, nullptr);
    ASSERT_NE(slot, nullptr);
    // The caller reads the VIB at block + 24 and at slot + 352, the root file index at 288.
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(block + 24), 8), "WORKDISK");
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(slot + 352), 8), "WORKDISK");
    EXPECT_EQ(block[288], 0);
    // Slot 1 is the second of six slots of 608 bytes.
    FileRequest other = Request(".");
    other.slot = 0;
    CatalogEntryRecord entry0;
    ASSERT_EQ(directoryInfo(&other, &entry0), 0);
    EXPECT_EQ(reinterpret_cast<const uint8_t *>(entry0.slot) + 608, slot);
    EXPECT_EQ(totalSectors(), 4096);
    EXPECT_EQ(freeSectors(), 4096 - 65);
}

} // namespace
} // namespace kestrel::testing
