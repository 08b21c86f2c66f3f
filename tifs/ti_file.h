// The vocabulary of one TI file: status flags, entry kinds, header kinds and
// the TI file descriptor that every location fills for its items.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel {

constexpr size_t kSectorSize = 256;
constexpr size_t kHeaderSize = 128;

// Status flag byte of headers and FDRs.
constexpr uint8_t kFlagProgram = 0x01;
constexpr uint8_t kFlagInternal = 0x02;
constexpr uint8_t kFlagProtected = 0x08;
constexpr uint8_t kFlagArchive = 0x10;
constexpr uint8_t kFlagVariable = 0x80;
constexpr uint8_t kFlagTypeMask = 0x83;
constexpr uint8_t kFlagMustBeZero = 0x64;

// Entry kinds: the code indexes the table of display names (EntryKindName).
enum EntryKind : uint16_t {
    kKindVolume = 0,
    kKindDisFix = 1,
    kKindDisVar = 2,
    kKindIntFix = 3,
    kKindIntVar = 4,
    kKindProgram = 5,
    kKindSubdir = 6,
    kKindUpDir = 7,
    kKindUnknown = 8,
    kKindDsk = 9,
    kKindPc99Sd = 10,
    kKindPc99Dd = 11,
    kKindPartitionedImage = 12,
    kKindHdImage = 13,
    kKindCf7DriveVolume = 14,
    kKindCf7Image = 15,
    kKindCf7ImageVolume = 16,
    kKindDos = 17,
    kKindHfe = 18, // floppy image, HFE bit-stream image
};
constexpr uint16_t kEntryKindCount = 19;

enum HeaderKind : uint16_t {
    kHeaderNone = 0,
    kHeaderV9t9 = 1,
    kHeaderTifiles = 2,
    kHeaderClassic99 = 3,
};

// The display name of an entry kind ("VOLUME" … "DOS"); "UNKNOWN" beyond the table.
const char* EntryKindName(uint16_t kind);

// True for the kinds of floppy image files in a PC directory: DSK, PC99 and HFE.
inline bool IsFloppyImageKind(uint16_t kind)
{
    return (kind >= kKindDsk && kind <= kKindPc99Dd) || kind == kKindHfe;
}

// True for kinds 1 to 5: TI files whose type was decoded.
inline bool IsTiFileKind(uint16_t kind) { return kind >= kKindDisFix && kind <= kKindProgram; }

// The TI side of a catalog entry. Widths of the text fields are limits the
// writers of these fields respect: TI name 12 characters, description 37.
struct TiFileDescriptor {
    std::string tiName;      // 10 characters space-padded (subdirectories up to 12)
    std::string description; // FDR description, empty when absent
    uint16_t kind = 0;
    uint16_t flags = 0;
    uint16_t sectors = 0;
    uint16_t recordLength = 0; // PROGRAM: the program size in bytes
    uint8_t recordsPerSector = 0;
    uint8_t eofOffset = 0;
    uint16_t level3Count = 0;
    uint16_t fdrSector = 0;
    uint16_t headerKind = kHeaderNone;
};

} // namespace kestrel
