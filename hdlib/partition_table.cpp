#include "hdlib/partition_table.h"

#include "tifs/byte_order.h"

#include <cstring>

namespace kestrel::hdlib
{

bool IsPartitionTable(const uint8_t *sector)
{
    return std::memcmp(sector, "*TI99FSPT*", 10) == 0 && sector[10] == 0xFF && sector[11] == 0xFF &&
           sector[14] == 'P' && sector[15] == 'T' && sector[254] == 0x5A && sector[255] == 0xA5;
}

int DecodePartitionEntries(const uint8_t *sector, PartitionEntry entries[kPartitionEntries])
{
    int count = 0;
    for (; count < kPartitionEntries; ++count) {
        const size_t pos = kPartitionEntryOffset + 8 * count;
        const uint32_t start = GetLongBE(sector, pos);
        const uint32_t length = GetLongBE(sector, pos + 4);
        if (start == 0 || length == 0)
            break;
        entries[count] = {start, length};
    }
    return count;
}

} // namespace kestrel::hdlib
