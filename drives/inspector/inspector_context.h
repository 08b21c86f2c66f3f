// Where a structure window looks: the image, the volume inside it and the AU
// (or sector) it shows. Every window keeps its own copy, so closing one never
// leaves another pointing at freed state.
#pragma once

#include <cstdint>
#include <string>

#include "tifs/floppy/disk_sector_io.h"
#include "tifs/ui.h"

namespace kestrel
{

// The structures a window can show.
enum class InspectorKind : int {
    FloppyVib, // also the VIB of a card volume
    FloppyFdir,
    FloppyFdr,
    PartitionTable,
    HdVib,
    HdDdr,
    HdFdir,
    HdFdr,
    Cf7VolumeList,
};

struct InspectorContext {
    std::string imagePath;
    uint32_t sectorsPerAu = 1; // 1 for floppies and card volumes
    uint32_t au = 0;           // AU (hard disk) or sector (floppy, card volume) shown
    // Hard disk or floppy: the volume's first TI sector (0 for a single volume,
    // 2 x offset for a partition). Card volume: the byte where the volume begins.
    uint64_t base = 0;
    uint32_t cf7Volume = 0; // 1-based volume of a card image, 0 when not a card

    bool OnCardVolume() const { return cf7Volume != 0; }
    // The sector that messages and captions name: au x sectors per AU + base,
    // or on a card volume the volume's own sector number.
    uint64_t SectorOf(uint32_t unit) const;
    // Byte of the file where that AU (or card sector) begins.
    uint64_t ByteOffsetOf(uint32_t unit) const;
    // The same context looking at another AU or sector.
    InspectorContext At(uint32_t unit) const;
};

// Reads the 256 bytes of AU (or card sector) unit; no message.
bool ReadInspectorUnit(ImageAccess &image, const InspectorContext &context, uint32_t unit,
                       uint8_t *sector);

// Opens the image and reads the sector the context shows. Failure: message 1
// "Can't open file for read <%s>" or message 6 "Can't read sector <%d> from
// <%s>" with SectorOf(au) and the image path.
bool ReadInspectorSector(const InspectorContext &context, uint8_t *sector, Ui &ui);

} // namespace kestrel
