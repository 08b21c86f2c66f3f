// Creating new hard-disk images: one volume, or up to four partitions behind
// a partition table. Each volume gets a new VIB, zero sectors, and a bitmap
// with the system area marked, its copy at sectors 32 to 63.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

constexpr uint32_t kNewHdMinSectors = 0x10000;
constexpr uint32_t kNewHdMaxSectors = 0xF8000;

struct NewHdVolume {
    std::string label;        // up to 10 characters
    uint32_t firstSector = 0; // first TI sector in the image
    uint32_t sectors = 0;     // size in TI sectors
};

// What the dialog hands to the writer.
struct NewHdImage {
    std::string fileName; // up to 11 characters, without ".img"
    int partitions = 0;   // 0 for a single volume
    std::vector<NewHdVolume> volumes;
};

// A description from labels and sizes: one volume (first sector 0) when
// partitioned is false; else partition 1 at TI sector 2 and each further one
// right after the previous, as many as given (at most 4).
NewHdImage DescribeNewHdImage(const std::string &fileName, bool partitioned,
                              const std::vector<std::string> &labels,
                              const std::vector<uint32_t> &sizes);

// 1, 2, 4, 8 or 16: the smallest that keeps the AU count at or below 0xF800.
unsigned NewHdSectorsPerAu(uint32_t sectors);

// The VIB of a new volume of that many sectors.
void EncodeNewHdVib(uint8_t *sector, uint32_t sectors, const std::string &label);

// Bitmap sectors 1 to 31 of a new volume (31 x 256 bytes).
std::vector<uint8_t> NewHdBitmap(uint32_t sectors);

// Writes the image at path (no question asked). Progress spans each volume
// and moves every 1000 sectors. Messages 2 and 7 on failure; false then.
bool WriteNewHdImage(Ui &ui, const std::string &path, const NewHdImage &description);

// The dialog's Create: "<pane directory>/<file name>.img"; an existing file
// is replaced only after message 31 is answered Yes. The pane's directory is
// listed again and sorted afterwards. True when the image was written.
bool CreateNewHdImage(Ui &ui, Location &pane, const NewHdImage &description);

} // namespace kestrel
