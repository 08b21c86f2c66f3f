#include "tifs/floppy/vib.h"

#include <bit>
#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr unsigned kMaxSectorsWithoutSignature = 24000;
constexpr uint64_t kMaxBadSectorMap = 3; // sectors a dump may carry past its disk

bool IsPc99SingleDensity(const uint8_t *b)
{
    return b[0] == 0x00 && b[22] == 0xFE && b[23] == 0 && b[24] == 0 && b[25] == 0 &&
           b[26] == 0x01 && b[46] == 0xFB;
}

bool IsPc99DoubleDensity(const uint8_t *b)
{
    return b[0] == 0x4E && b[53] == 0xFE && b[54] == 0 && b[55] == 0 && b[56] == 0 &&
           b[57] == 0x01 && b[97] == 0xFB;
}

// Other tools write sector dumps whose VIB lacks the "DSK" signature. Such a
// VIB is taken only when everything else about it is what a disk has: a
// geometry that multiplies out to its sector count, sectors 0 and 1 marked
// used, and (when the image is at hand) a file that holds exactly those
// sectors, or up to three more of a bad-sector map.
bool SoundWithoutSignature(const ImageAccess *image, const uint8_t *b)
{
    const unsigned total = GetWordBE(b, vib::kTotalSectors);
    const unsigned spt = b[vib::kSectorsPerTrack];
    const unsigned tracks = b[vib::kTracksPerSide];
    const unsigned sides = b[vib::kSides];
    const unsigned density = b[vib::kDensity];
    if (total < 2 || total > kMaxSectorsWithoutSignature || sides < 1 || sides > 2 || density < 1 ||
        density > 3 || tracks == 0 || spt == 0 || tracks * sides * spt != total) {
        return false;
    }
    if ((b[vib::kBitmap] & 0x01) == 0 || (AuSize(total) == 1 && (b[vib::kBitmap] & 0x02) == 0)) {
        return false;
    }
    if (image != nullptr) {
        const uint64_t size = image->Size();
        const uint64_t expected = uint64_t{total} * kSectorSize;
        if (size < expected || size > expected + kMaxBadSectorMap * kSectorSize ||
            size % kSectorSize != 0) {
            return false;
        }
    }
    return true;
}

// A sectors-per-track field of 0, or one whose tracks hold more sectors than
// the disk has, is what other tools leave; the TI controllers go by the
// sector count, and so does this summary. A geometry smaller than the count
// stays: a CF7A+ volume keeps a smaller disk that way.
void FixSectorsPerTrack(DiskSummary &summary)
{
    const unsigned total = summary.totalSectors;
    const unsigned perSide = summary.tracksPerSide * summary.sides;
    if (perSide == 0 || total == 0) {
        return;
    }
    if (summary.sectorsPerTrack != 0 && summary.sectorsPerTrack * perSide <= total) {
        return;
    }
    if (total % perSide == 0) {
        summary.sectorsPerTrack = static_cast<uint16_t>(total / perSide);
    }
}

uint16_t Invalid(DiskSummary &summary)
{
    summary.free = 0;
    summary.total = 0;
    summary.freeAgain = 0;
    summary.used = 0;
    return 0;
}

} // namespace

uint16_t DecodeVib(ImageAccess *image, const uint8_t *first256, DiskSummary &summary)
{
    uint16_t kind = 9;
    uint8_t reread[256];
    const uint8_t *b = first256;
    if (image != nullptr) {
        uint64_t offset = 0;
        if (IsPc99SingleDensity(first256)) {
            kind = 10;
            offset = kPc99SdVibOffset;
        } else if (IsPc99DoubleDensity(first256)) {
            kind = 11;
            offset = kPc99DdVibOffset;
        }
        if (offset != 0) {
            if (!image->ReadAt(offset, reread, sizeof reread)) {
                return Invalid(summary);
            }
            b = reread;
        }
    }

    summary.name = CopyTiName(b + vib::kName);
    summary.totalSectors = GetWordBE(b, vib::kTotalSectors);
    summary.sectorsPerTrack = b[vib::kSectorsPerTrack];
    summary.signature.assign(reinterpret_cast<const char *>(b + vib::kSignature), 3);
    summary.protection = b[vib::kProtection];
    summary.tracksPerSide = b[vib::kTracksPerSide];
    summary.sides = b[vib::kSides];
    summary.density = b[vib::kDensity];
    summary.imageKind = 0;

    if (std::memcmp(b + vib::kSignature, "DSK", 3) != 0 &&
        !SoundWithoutSignature(kind == 9 ? image : nullptr, b)) {
        return Invalid(summary);
    }
    if (summary.sides == 0) {
        summary.sides = 1;
    }
    if (summary.density == 0) {
        summary.density = 1;
    }
    if (summary.tracksPerSide == 0) {
        if (summary.sectorsPerTrack == 0) {
            return Invalid(summary);
        }
        summary.tracksPerSide = summary.totalSectors / summary.sectorsPerTrack / summary.sides;
    }
    if (summary.tracksPerSide == 0 || summary.sides > 2 || summary.density > 3) {
        return Invalid(summary);
    }
    FixSectorsPerTrack(summary);
    int used = 0;
    for (size_t i = vib::kBitmap; i < kSectorSize; ++i) {
        used += std::popcount(static_cast<unsigned>(b[i]));
    }
    summary.free = static_cast<int16_t>(1600 - used);
    summary.total = summary.totalSectors;
    summary.freeAgain = summary.free;
    summary.used = static_cast<int16_t>(summary.totalSectors - summary.free);
    summary.imageKind = kind;
    return kind;
}

bool IsAuUsed(const uint8_t *vibSector, unsigned au)
{
    if (au >= vib::kBitmapBytes * 8) {
        return true;
    }
    return (vibSector[vib::kBitmap + au / 8] & (1u << (au % 8))) != 0;
}

void MarkAu(uint8_t *vibSector, unsigned au, bool used)
{
    if (au >= vib::kBitmapBytes * 8) {
        return;
    }
    uint8_t mask = static_cast<uint8_t>(1u << (au % 8));
    if (used) {
        vibSector[vib::kBitmap + au / 8] |= mask;
    } else {
        vibSector[vib::kBitmap + au / 8] &= static_cast<uint8_t>(~mask);
    }
}

SubdirSlot ReadSubdirSlot(const uint8_t *vibSector, size_t slot)
{
    SubdirSlot result;
    if (slot >= vib::kSlotCount) {
        return result;
    }
    const uint8_t *s = vibSector + vib::kSlots + slot * vib::kSlotSize;
    result.name.assign(reinterpret_cast<const char *>(s), 10);
    result.fdirSector = GetWordBE(s, 10);
    result.used = result.fdirSector != 0 && s[0] != 0;
    return result;
}

} // namespace kestrel
