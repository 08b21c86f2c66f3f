// The card's byte layout, which every whole-drive backup and restore goes through: the vector
// and the byte-by-byte forms must agree on every byte, also where the gather writes over its
// own input.
#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "drives/cf7_layout.h"

namespace kestrel::testing
{
namespace
{

TEST(CardLayout, SpreadAndGatherKeepEveryByteAndGatherWorksInPlace)
{
    std::vector<uint8_t> ti(kCf7TiSector);
    uint32_t seed = 12345;
    for (uint8_t &b : ti) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    for (uint8_t filler : {uint8_t{0xE5}, uint8_t{0x00}, uint8_t{0xFF}}) {
        std::vector<uint8_t> physical(kCf7PhysicalSector, 0x5A);
        SpreadTiSector(ti.data(), filler, physical.data());
        for (size_t j = 0; j < kCf7TiSector; ++j) {
            ASSERT_EQ(physical[2 * j], ti[j]) << j;
            ASSERT_EQ(physical[2 * j + 1], filler) << j;
        }
        std::vector<uint8_t> back(kCf7TiSector, 0);
        GatherTiSector(physical.data(), back.data());
        EXPECT_EQ(back, ti);
        // Into the first half of the same sector.
        GatherTiSector(physical.data(), physical.data());
        EXPECT_EQ(std::vector<uint8_t>(physical.begin(), physical.begin() + kCf7TiSector), ti);
        // And back out of its second half.
        std::vector<uint8_t> spread(kCf7PhysicalSector, 0x5A);
        std::copy(ti.begin(), ti.end(), spread.begin() + kCf7TiSector);
        SpreadTiSector(spread.data() + kCf7TiSector, filler, spread.data());
        std::vector<uint8_t> expected(kCf7PhysicalSector);
        SpreadTiSector(ti.data(), filler, expected.data());
        EXPECT_EQ(spread, expected);
    }
}

} // namespace
} // namespace kestrel::testing
