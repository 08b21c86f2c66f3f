// Recognising hard-disk images from their first sector: a "*TI99FSPT*"
// partition table, or the VIB of a single volume. Pure decoders over bytes.
#pragma once

#include <cstdint>
#include <string>

#include "tifs/catalog_entry.h"

namespace kestrel
{

// The figures of one volume (or of a partition table), as the catalog, the
// partition list and the image information show them.
struct HdVolumeInfo {
    std::string name;             // volume name, 10 characters
    uint16_t totalAus = 0;        // VIB bytes 10 to 11
    uint8_t geometry[4] = {};     // VIB bytes 12 to 15
    uint16_t parameters = 0;      // VIB bytes 16 to 17
    uint8_t files = 0;            // byte 22
    uint8_t subdirectories = 0;   // byte 23
    uint16_t fileIndexAu = 0;     // bytes 24 to 25
    unsigned sectorsPerAu = 1;    // (parameters >> 12) + 1
    uint32_t imageSize = 0;       // sectors: sectors per AU x total AUs, or table total x 2
    uint32_t partitionOffset = 0; // table offset of the partition (512-byte blocks)
    uint32_t partitionBlocks = 0; // table size of the partition (512-byte blocks)
};

// Decodes a VIB; true when it passes as a hard-disk volume: total AUs at
// most 0xF800, fewer than 128 files, at most 114 subdirectories and the root
// file index at sector 64 (sectors per AU x file-index AU = 64).
bool DecodeHdVib(const uint8_t *sector, HdVolumeInfo &info);

// 12 for a partitioned image (only when fromFile: a partition table is only
// taken from a whole image file), 13 for a single volume, 0 for neither.
int RecognizeHdImage(const uint8_t *sector0, bool fromFile, HdVolumeInfo &info);

// The scan's recogniser: fills kind 12 or 13, TI name, sectors (total AUs),
// container words (file-index AU and sectors per AU in words 2 and 3) and
// image size.
bool RecognizeHdImageFile(const std::string &path, const uint8_t *first256, uint64_t fileSize,
                          CatalogEntry &entry);

} // namespace kestrel
