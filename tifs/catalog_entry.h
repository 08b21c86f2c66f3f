// One line of a location's catalog, and the list that a pane holds.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tifs/disk_summary.h"
#include "tifs/ti_file.h"

namespace kestrel {

// Location kinds of a pane, set by the function that lists it.
enum LocationKind : int {
    kLocPcDirectory = 0,
    kLocCf7Drive = 1,
    kLocDskImage = 2,
    kLocPc99Image = 3,
    kLocHdImage = 4,
    kLocHdPartition = 5,
    kLocCf7Image = 6,
    kLocCf7Volume = 7,
    kLocArchive = 8,
};

struct CatalogEntry {
    std::string pcName; // PC name, or the container's path ("%s->%s" inside a disk subdirectory)
    TiFileDescriptor ti; // TI name, description, kind, flags … header kind
    uint16_t containerKind = 0; // 9, 10, 11, 13 or 16 for an entry inside a container
    uint16_t density = 0;
    int16_t tracksPerSide = 0;
    int16_t sectorsPerTrack = 0;
    uint16_t containerWords[4] = {0, 0, 0, 0}; // hard-disk and CF7A+ geometry
    uint32_t baseOffset = 0;
    uint32_t imageSize = 0; // hard-disk or card image size in sectors
    DiskSummaryBox disk;    // for kinds 9, 10, 11, 14 and 16
    uint8_t archiveMember = 0; // ARC member index + 1 (non-zero for a member)
    uint8_t compressed = 0;    // ARC member of a compressed archive
    bool marked = false;
};

// The catalog: entries in display order. Entries are owned by the list.
using Catalog = std::vector<std::unique_ptr<CatalogEntry>>;

// Adds one zero-filled entry and returns it (never null: allocation failure
// throws std::bad_alloc, which the scan treats as a dropped entry).
CatalogEntry* AddEntry(Catalog& catalog);

} // namespace kestrel
