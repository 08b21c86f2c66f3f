// The decoded volume information block of a floppy image or volume.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

struct DiskSummary {
    std::string name;        // disk name, "no_name!! " when it begins with a space
    uint16_t imageKind = 0;  // 9 sector dump, 10 PC99 SD, 11 PC99 DD, 0 not a disk
    std::string signature;   // "DSK"
    uint16_t totalSectors = 0;
    uint16_t sectorsPerTrack = 0;
    int16_t protection = 0;  // VIB byte 16
    uint16_t tracksPerSide = 0;
    uint16_t sides = 0;
    uint16_t density = 0;
    int16_t free = 0;        // 1600 minus the set bitmap bits
    uint16_t total = 0;      // total sectors again
    int16_t freeAgain = 0;
    int16_t used = 0;        // total minus free
};

} // namespace kestrel
