#include "tifs/floppy/floppy_geometry.h"

namespace kestrel
{

namespace
{

constexpr unsigned kAuSizes[16] = {1, 1, 2, 4, 4, 8, 8, 8, 8, 16, 16, 16, 16, 16, 16, 16};

constexpr FloppyPreset kPresets[kPresetCount] = {
    {"SSSD: 40 tracks 9 sectors/track 360 sectors", 360, 9, 40, 1, 1},
    {"DSSD: 40 tracks 9 sectors/track 720 sectors", 720, 9, 40, 2, 1},
    {"DSDD: 40 tracks 18 sectors/track 1440 sectors", 1440, 18, 40, 2, 2},
    {"CF7A+: 40 tracks 20 sectors/track 1600 sectors", 1600, 20, 40, 2, 1},
    {"DSSD: 80 tracks 9 sectors/track 1440 sectors", 1440, 9, 80, 2, 1},
    {"DSDD: 80 tracks 18 sectors/track 2880 sectors", 2880, 18, 80, 2, 2},
};

} // namespace

unsigned AuSize(unsigned totalSectors)
{
    unsigned k = (totalSectors + kBitmapAus - 1) / kBitmapAus;
    return kAuSizes[k < 16 ? k : 15];
}

unsigned FirstDataAu(unsigned totalSectors)
{
    if (totalSectors <= 720) {
        return 34;
    }
    if (totalSectors <= 1440) {
        return 50;
    }
    if (totalSectors <= 2880) {
        return 66;
    }
    if (totalSectors <= 3202) {
        return 256;
    }
    return 512;
}

unsigned FirstFdrAu(unsigned auSize)
{
    return auSize == 1 ? 2 : 1;
}

unsigned ClusterStartUnit(unsigned density)
{
    return density >= 3 ? 4 : 1;
}

const FloppyPreset *FindPreset(int index)
{
    if (index < 0 || index >= kPresetCount) {
        return nullptr;
    }
    return &kPresets[index];
}

} // namespace kestrel
