// The partition table of a hard-disk image: TI sector 0, counts in 512-byte
// blocks; a partition of offset o and n blocks holds TI sectors 2o to 2o + 2n - 1.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel
{

constexpr int kPartitionCount = 4;
constexpr uint16_t kPartitionTableFlag = 0x5AA5;

struct PartitionTable {
    std::string name;         // bytes 0 to 9: "*TI99FSPT*"
    std::string mark;         // bytes 14 to 15: "PT"
    uint32_t totalBlocks = 0; // bytes 20 to 23
    uint32_t offset[kPartitionCount] = {};
    uint32_t blocks[kPartitionCount] = {};
    uint16_t flag = 0; // bytes 254 to 255
};

// 12 when the sector is a valid table (name, "PT", 0xFFFF at 10, the flag,
// no used partition after an unused one, each of the first three inside the
// total, and the total at least the end of partition 4), else 0. The table
// is filled in either case.
int RecognizePartitionTable(const uint8_t *sector0, PartitionTable &table);

// Writes a table sector for partitions given as (first TI sector, TI sectors);
// count 1 to 4. The total is (2 + sum of sizes) / 2 blocks.
void EncodePartitionTable(uint8_t *sector, const uint32_t *firstSectors, const uint32_t *sizes,
                          int count);

} // namespace kestrel
