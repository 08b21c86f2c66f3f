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

bool ResolveFloppyLayout(unsigned totalSectors, unsigned tracksPerSide, unsigned sides,
                         unsigned sectorsPerTrack, unsigned density, FloppyLayout &layout)
{
    layout = FloppyLayout();
    if (totalSectors == 0 || sides > 2) {
        return false;
    }
    if (sides == 0) {
        sides = 1;
    }
    if (tracksPerSide != 0 && sectorsPerTrack != 0 &&
        tracksPerSide * sides * sectorsPerTrack == totalSectors) {
        layout = {tracksPerSide, sides, sectorsPerTrack};
        return true;
    }
    if (tracksPerSide != 0 && totalSectors % (tracksPerSide * sides) == 0) {
        layout = {tracksPerSide, sides, totalSectors / (tracksPerSide * sides)};
        return true;
    }
    if (tracksPerSide == 0 && sectorsPerTrack != 0 &&
        totalSectors % (sectorsPerTrack * sides) == 0) {
        layout = {totalSectors / (sectorsPerTrack * sides), sides, sectorsPerTrack};
        return true;
    }
    switch (totalSectors) {
    case 360:
        layout = {40, 1, 9};
        return true;
    case 720:
        layout = density >= 2 ? FloppyLayout{40, 1, 18} : FloppyLayout{40, 2, 9};
        return true;
    case 1440:
        layout = density >= 2 ? FloppyLayout{40, 2, 18} : FloppyLayout{80, 2, 9};
        return true;
    case 1600:
        layout = {40, 2, 20};
        return true;
    case 2880:
        layout = {80, 2, 18};
        return true;
    default:
        return false;
    }
}

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
