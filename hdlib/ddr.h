// The directory descriptor record of a subdirectory: the VIB layout with the directory name,
// "DIR" at 13 to 15 and the parent DDR's AU at 26 to 27 (0 below the root).
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

constexpr int kDdrMarker = 13; // "DIR"

// A new DDR: all zero but the name, the volume's total AUs, "DIR", the file index and the
// parent.
void BuildDdr(uint8_t *ddr, const char name[10], uint16_t totalAus, uint16_t fileIndexAu,
              uint16_t parentAu);

} // namespace kestrel::hdlib
