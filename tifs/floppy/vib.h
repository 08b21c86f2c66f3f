// The volume information block (sector 0) of a floppy disk: field offsets,
// decoding into a disk summary (recognising PC99 track images on the way),
// the allocation bitmap and the three subdirectory slots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tifs/disk_summary.h"
#include "tifs/floppy/disk_sector_io.h"

namespace kestrel
{

namespace vib
{
constexpr size_t kName = 0;          // 10 bytes
constexpr size_t kTotalSectors = 10; // big-endian
constexpr size_t kSectorsPerTrack = 12;
constexpr size_t kSignature = 13; // "DSK"
constexpr size_t kProtection = 16;
constexpr size_t kTracksPerSide = 17;
constexpr size_t kSides = 18;
constexpr size_t kDensity = 19;
constexpr size_t kSlots = 20; // three slots of 12 bytes
constexpr size_t kSlotSize = 12;
constexpr size_t kSlotCount = 3;
constexpr size_t kBitmap = 56; // 200 bytes
constexpr size_t kBitmapBytes = 200;
} // namespace vib

// Where the first sector's data lies in a PC99 track image.
constexpr uint64_t kPc99SdVibOffset = 47;
constexpr uint64_t kPc99DdVibOffset = 98;

// Decodes the VIB from first256 (the first 256 bytes of the file). With an
// image given, a PC99 track image is recognised from its first ID field and
// its VIB re-read from the first data field. Returns the image kind (9 sector
// dump, 10 PC99 single density, 11 PC99 double density), or 0 when the bytes
// are no disk (the summary's counters are then cleared). A sector dump
// without the "DSK" signature is a disk when the rest of its VIB is sound
// (the signature field then keeps what the VIB holds); a sectors-per-track
// field of 0, or one that gives more sectors than the count, is replaced.
uint16_t DecodeVib(ImageAccess *image, const uint8_t *first256, DiskSummary &summary);

// Allocation bitmap of a VIB; AUs at or beyond 1600 count as used.
bool IsAuUsed(const uint8_t *vibSector, unsigned au);
void MarkAu(uint8_t *vibSector, unsigned au, bool used);

struct SubdirSlot {
    std::string name; // the 10 name bytes
    uint16_t fdirSector = 0;
    bool used = false; // pointer and first name byte non-zero
};
SubdirSlot ReadSubdirSlot(const uint8_t *vibSector, size_t slot);

} // namespace kestrel
