// What a pane shows: its location and the catalog listed there. The location
// listers (PC directory, floppy, PC99, archive, hard disk, CF7A+) own and fill
// these fields; the shell keeps one per pane for the whole run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/catalog_entry.h"

namespace kestrel {

// Sort orders of a pane (settings key "sortby").
enum SortOrder : int {
    kSortPcName = 0,
    kSortTiName = 1,
    kSortSectors = 2,
    kSortKind = 3,
    kSortProtection = 4,
    kSortScanOrder = 5,
};

struct Location {
    int kind = kLocPcDirectory;      // LocationKind
    std::string startPath;           // where the pane was set (300 characters)
    std::string path;                // current location (300 characters)
    int pcLevelsEntered = 0;         // PC subdirectories entered since the path was set
    int containerDepth = 0;          // 1 at the root of a container, more inside its subdirectories
    int hdLevel = 0;                 // hard-disk level (drives)
    int cf7Volume = 0;               // CF7A+ volume number, 0 for none
    bool archive = false;            // showing an ARC archive
    bool insideContainer = false;
    std::vector<CatalogEntry> containerEntries; // the entries entered, outermost first
    std::string innerPath;           // path inside the container
    std::string nestedName;          // name of a container opened from inside another
    std::string keptPath;            // the way back when a container was saved to a temporary file first
    int keptKind = kLocPcDirectory;
    uint16_t fdirSector = 1;         // file index of the floppy directory shown (1: the root)
    std::string subdirName;          // PC-form name of the floppy subdirectory shown
    uint32_t totalSectors = 0;
    uint32_t totalFiles = 0;
    int sortOrder = kSortTiName;
    Catalog entries;
};

// Copies every field of the location state except the catalog, which a
// location owns and cannot share.
void CopyLocationState(Location &to, const Location &from);

} // namespace kestrel
