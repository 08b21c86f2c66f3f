// Geometry of TI floppy disks: allocation-unit sizes, where the writer
// searches for FDRs and data, and the six presets a new image is made from.
#pragma once

#include <cstdint>

namespace kestrel
{

constexpr unsigned kBitmapAus = 1600; // 200 bitmap bytes
constexpr unsigned kMaxFilesPerIndex = 127;
constexpr unsigned kMaxClusters = 75;      // cluster entries an FDR can hold
constexpr unsigned kMaxLastOffset = 0xFFF; // 12-bit last-offset field

// Sectors per allocation unit for a disk of totalSectors sectors. Disks
// beyond 24000 sectors are outside what a bitmap of 1600 bits describes;
// they get the largest size so that no table lookup runs past its end.
unsigned AuSize(unsigned totalSectors);

// The AU where the writer starts looking for data clusters.
unsigned FirstDataAu(unsigned totalSectors);

// The AU where the writer starts looking for an FDR (sector 2 in both cases).
unsigned FirstFdrAu(unsigned auSize);

// Sectors of one cluster start-field unit: 4 on high-density disks
// (density byte 3 or more), else 1.
unsigned ClusterStartUnit(unsigned density);

// Tracks per side, sides and sectors per track of a disk of totalSectors
// sectors, from what its VIB says. The sector count decides, as it does for
// the TI controllers: a sectors-per-track field of 0, or one that does not
// multiply out to the total, is replaced by total / (tracks x sides); without
// a usable track count the standard geometry of that total is taken (360,
// 720, 1440, 1600 and 2880 sectors; density tells 1440 as 40 tracks of 18
// from 80 tracks of 9). False when no geometry fits.
struct FloppyLayout {
    unsigned tracksPerSide = 0;
    unsigned sides = 0;
    unsigned sectorsPerTrack = 0;
};
bool ResolveFloppyLayout(unsigned totalSectors, unsigned tracksPerSide, unsigned sides,
                         unsigned sectorsPerTrack, unsigned density, FloppyLayout &layout);

struct FloppyPreset {
    const char *caption; // as the new-image dialog lists it
    uint16_t totalSectors;
    uint8_t sectorsPerTrack;
    uint8_t tracksPerSide;
    uint8_t sides;
    uint8_t density;
};

constexpr int kPresetCount = 6;
constexpr int kDefaultPreset = 1; // DSSD, 40 tracks

// Presets 0 to 5 in dialog order; null outside.
const FloppyPreset *FindPreset(int index);

} // namespace kestrel
