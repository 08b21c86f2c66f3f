// The process-wide state of the library: the open image, the four volume descriptors, the
// current volume, the directory block and the six file slots. Not thread-safe by design: one
// image and one current volume per loaded library, and callers serialize their calls.
#pragma once

#include "hdlib/brackenly.h"
#include "hdlib/image_file.h"
#include "hdlib/partition_table.h"

#include <cstdint>
#include <string>

namespace kestrel::hdlib
{

using brackenly::CatalogEntryRecord;
using brackenly::DirectoryBlock;
using brackenly::FileRequest;
using brackenly::FileSlot;
using brackenly::SectorBuffer;

constexpr uint32_t kVolumeMarker = 0xE0000000u;
constexpr uint32_t kSectorMask = 0x0FFFFFFFu;
constexpr int kVolumeCount = 4;

struct VolumeDescriptor {
    bool valid = false;
    uint16_t totalAus = 0;     // 0 when not initialized
    uint16_t sectorsPerAu = 0; // 0 when not initialized
    uint32_t firstSector = 0;  // image sector, with kVolumeMarker ORed in
    uint32_t length = 0;       // sectors
    uint32_t end = 0;          // first + length
};

// The working directory of path resolution: the record of the directory reached so far and,
// once a file is looked up, its file index. Kept apart from the directory block so that a
// lookup never disturbs an enumeration the caller is reading.
struct WorkDirectory {
    SectorBuffer record;
    SectorBuffer fileIndex;
    bool fileIndexLoaded = false;
};

struct LibraryState {
    ImageFile image;
    std::string imagePath;
    uint8_t partitionTable[256] = {};
    VolumeDescriptor volumes[kVolumeCount];
    int current = 0;
    DirectoryBlock block = {};
    FileSlot slots[brackenly::kSlotCount] = {};
    WorkDirectory work = {};
};

LibraryState &State();
VolumeDescriptor &CurrentVolume();

// True when the current volume carries a usable file system (total AUs and sectors per AU
// known); operations on files and directories answer 192 otherwise.
bool VolumeHasFileSystem();

// Ordinal 2: closes any open image, opens path, reads sector 0 and fills the descriptors.
int32_t OpenImage(const char *path);
// Ordinal 3: writes back every slot and closes the image.
int32_t CloseImage();
// Ordinals 4 and 5: -1 no such volume, 1 not initialized, 0 ready.
int32_t SelectVolume(int32_t index);
int32_t SelectVolumeBySector(uint32_t firstSector);

} // namespace kestrel::hdlib
