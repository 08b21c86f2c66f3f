#include "drives/partition_table.h"

#include <cstring>

#include "tifs/byte_order.h"

namespace kestrel
{

namespace
{

constexpr size_t kNameOffset = 0;
constexpr size_t kTotalAusOffset = 10;
constexpr size_t kMarkOffset = 14;
constexpr size_t kTotalOffset = 20;
constexpr size_t kFirstEntryOffset = 24;
constexpr size_t kEntrySize = 8;
constexpr size_t kFlagOffset = 254;
constexpr char kTableName[] = "*TI99FSPT*";

} // namespace

int RecognizePartitionTable(const uint8_t *s, PartitionTable &table)
{
    table.name.assign(reinterpret_cast<const char *>(s + kNameOffset), 10);
    table.mark.assign(reinterpret_cast<const char *>(s + kMarkOffset), 2);
    table.totalBlocks = GetLongBE(s, kTotalOffset);
    for (int k = 0; k < kPartitionCount; ++k) {
        table.offset[k] = GetLongBE(s, kFirstEntryOffset + kEntrySize * k);
        table.blocks[k] = GetLongBE(s, kFirstEntryOffset + kEntrySize * k + 4);
    }
    table.flag = GetWordBE(s, kFlagOffset);
    if (table.name != kTableName || table.mark != "PT" || GetWordBE(s, kTotalAusOffset) != 0xFFFF ||
        table.flag != kPartitionTableFlag) {
        return 0;
    }
    // 64-bit sums: hostile tables must not wrap around the total.
    for (int k = 0; k + 1 < kPartitionCount; ++k) {
        if (table.offset[k] == 0 && table.offset[k + 1] != 0) {
            return 0;
        }
        if (uint64_t(table.offset[k]) + table.blocks[k] > table.totalBlocks) {
            return 0;
        }
    }
    if (uint64_t(table.offset[3]) + table.blocks[3] > table.totalBlocks) {
        return 0;
    }
    return 12;
}

void EncodePartitionTable(uint8_t *s, const uint32_t *firstSectors, const uint32_t *sizes,
                          int count)
{
    std::memset(s, 0, 256);
    std::memcpy(s + kNameOffset, kTableName, 10);
    PutWordBE(s, kTotalAusOffset, 0xFFFF);
    std::memcpy(s + kMarkOffset, "PT", 2);
    uint64_t sum = 0;
    for (int k = 0; k < count && k < kPartitionCount; ++k) {
        PutLongBE(s, kFirstEntryOffset + kEntrySize * k, firstSectors[k] / 2);
        PutLongBE(s, kFirstEntryOffset + kEntrySize * k + 4, sizes[k] / 2);
        sum += sizes[k];
    }
    PutLongBE(s, kTotalOffset, static_cast<uint32_t>((2 + sum) / 2));
    PutWordBE(s, kFlagOffset, kPartitionTableFlag);
}

} // namespace kestrel
