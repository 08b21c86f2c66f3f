#include "drives/hd_image_info.h"

#include <bit>
#include <cstdio>

#include "drives/partition_table.h"

namespace kestrel
{

namespace
{

bool ReadSector(std::FILE *f, uint64_t sector, uint8_t *buffer, size_t count = 1)
{
    if (sector > 0x7FFFFFFFull || fseeko(f, static_cast<off_t>(sector * 256), SEEK_SET) != 0) {
        return false;
    }
    return std::fread(buffer, 256, count, f) == count;
}

} // namespace

int HdImageInfo(const std::string &image, const CatalogEntry &entry, HdVolumeInfo results[4])
{
    std::FILE *f = std::fopen(image.c_str(), "rb");
    if (f == nullptr) {
        return 0;
    }
    uint8_t sector[256];
    int count = 0;
    if (entry.baseOffset != 0) {
        if (ReadSector(f, entry.baseOffset, sector)) {
            results[0] = HdVolumeInfo();
            DecodeHdVib(sector, results[0]);
            results[0].partitionOffset = entry.baseOffset / 2;
            results[0].partitionBlocks = entry.imageSize / 2;
            count = 1;
        }
    } else if (ReadSector(f, 0, sector)) {
        PartitionTable table;
        if (RecognizePartitionTable(sector, table) != 12) {
            results[0] = HdVolumeInfo();
            DecodeHdVib(sector, results[0]);
            count = 1;
        } else {
            for (int k = 0; k < kPartitionCount && table.offset[k] != 0; ++k) {
                if (!ReadSector(f, uint64_t(table.offset[k]) * 2, sector)) {
                    break;
                }
                results[count] = HdVolumeInfo();
                DecodeHdVib(sector, results[count]);
                results[count].partitionOffset = table.offset[k];
                results[count].partitionBlocks = table.blocks[k];
                ++count;
            }
        }
    }
    std::fclose(f);
    return count;
}

long HdFreeAus(const std::string &image, uint32_t firstSector)
{
    std::FILE *f = std::fopen(image.c_str(), "rb");
    if (f == nullptr) {
        return -1;
    }
    uint8_t bitmap[31 * 256];
    bool ok = ReadSector(f, uint64_t(firstSector) + 1, bitmap, 31);
    std::fclose(f);
    if (!ok) {
        return -1;
    }
    long free = 0;
    for (uint8_t byte : bitmap) {
        free += 8 - std::popcount(static_cast<unsigned>(byte));
    }
    return free;
}

} // namespace kestrel
