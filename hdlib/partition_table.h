// The "*TI99FSPT*" partition table in image sector 0 of a partitioned disk.
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

constexpr int kPartitionEntries = 4;
constexpr int kPartitionEntryOffset = 24; // 8 bytes each: start, length (512-byte blocks)

struct PartitionEntry {
    uint32_t startBlock;
    uint32_t lengthBlocks;
};

// True when the 256 bytes are a partition table: the name, 0xFFFF at 10, "PT" at 14 and the
// flag 0x5AA5 at 254.
bool IsPartitionTable(const uint8_t *sector);

// Decodes the entries up to the first one whose start or length is 0; returns their count.
int DecodePartitionEntries(const uint8_t *sector, PartitionEntry entries[kPartitionEntries]);

} // namespace kestrel::hdlib
