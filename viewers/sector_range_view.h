// The hexadecimal view of consecutive sectors of an image file, for the
// structure inspector.
#pragma once

#include <cstdint>
#include <string>

#include "tifs/ui.h"
#include "viewers/text_view.h"

namespace kestrel
{

struct SectorRange {
    std::string imagePath;
    std::string label;         // kept in the window's record, leads the caption
    bool offsetInBytes = true; // baseOffset counts bytes (else sectors)
    uint64_t baseOffset = 0;
    uint32_t sectorsPerAu = 1;
    uint32_t firstAu = 0;
    uint32_t auCount = 0;
};

// Dumps auCount * sectorsPerAu sectors from sector firstAu * sectorsPerAu,
// offsets from 0 growing by 256 per sector. Messages: 1 open, 14 seek, 13
// memory (no text); 6 with the number of the sector that failed, within
// the image, when the image ends early (the sectors before it stay). A text
// over 61440 characters is cut there and "\r\n (truncated to 60Kb)" written
// behind it. Caption "%s: FirstSector: >%04X  NumberOfSectors: >%04X",
// with " (truncated to 60Kb)" when cut. Returns view.hasText.
bool ComposeSectorRangeView(const SectorRange &range, Ui &ui, TextView &view);

} // namespace kestrel
