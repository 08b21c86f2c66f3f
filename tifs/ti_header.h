// PC-side headers (TIFILES, V9T9, Classic99) and FDRs: decoding them into a
// TI file descriptor, and the few encodings the system writes. Pure functions
// over byte buffers; nothing here reports to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tifs/ti_file.h"

namespace kestrel {

// Header and FDR field offsets.
namespace tifiles {
constexpr size_t kMagic = 0;        // 0x07 "TIFILES"
constexpr size_t kSectors = 8;      // big-endian
constexpr size_t kFlags = 10;
constexpr size_t kRecordsPerSector = 11;
constexpr size_t kEofOffset = 12;
constexpr size_t kRecordLength = 13;
constexpr size_t kLevel3 = 14;      // little-endian
constexpr size_t kName = 16;        // optional, 10 bytes
} // namespace tifiles

namespace fdr {
constexpr size_t kName = 0;         // 10 bytes, space-padded
constexpr size_t kReserved = 10;
constexpr size_t kFlags = 12;
constexpr size_t kRecordsPerSector = 13;
constexpr size_t kSectors = 14;     // big-endian
constexpr size_t kEofOffset = 16;
constexpr size_t kRecordLength = 17;
constexpr size_t kLevel3 = 18;      // little-endian
constexpr size_t kChain = 28;       // 75 entries of 3 bytes
constexpr size_t kChainEnd = 253;
constexpr size_t kDescriptionGuard = 217; // 217..219 zero, text from 220
constexpr size_t kDescription = 220;
} // namespace fdr

// Character classes of the name rules.
inline bool IsPrintable(unsigned char c) { return c >= 0x20 && c <= 0x7E; }
inline bool IsPrintableNonBlank(unsigned char c) { return c >= 0x21 && c <= 0x7E; }
inline bool IsSpaceChar(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// True when the first 8 bytes are 0x07 "TIFILES".
bool HasTifilesMagic(const uint8_t* buffer);

// Copies 10 bytes into a TI name; a name beginning with a space becomes "no_name!! ".
std::string CopyTiName(const uint8_t* buffer);

// The FDR description of a 256-byte FDR, or "".
std::string FdrDescription(const uint8_t* fdr);

// Sets kind (and for PROGRAM the program size in recordLength) from flags.
void DecodeFileType(TiFileDescriptor& d);

// Decodes a 128-byte header (or a 256-byte FDR when withDescription is set,
// which also takes the FDR description). pcName is the item's PC file name,
// used for TIFILES headers without a name. Returns true for a valid TI file.
bool DecodeHeader(const uint8_t* buffer, const std::string& pcName, bool withDescription,
                  TiFileDescriptor& d);

// True when a TIFILES file with dataLength bytes after its header is a
// Classic99 file (its data part does not match the header exactly).
bool IsClassic99(const TiFileDescriptor& d, uint64_t dataLength);

// Rewrites a 128-byte FDR image in place into a TIFILES header (no name kept).
void MakeTifilesHeaderFromFdr(uint8_t* header);

// TI name -> PC file name, with the `zubcompatible` rule; never "", "." or "..",
// never a "/" or NUL byte (those become "@"; an empty name becomes "@", each dot
// of "." and ".." an "@").
std::string TiNameToPcName(const std::string& tiName, bool zubCompatible);

// PC file name -> TI name: 10 characters, upper case, space-padded.
std::string PcNameToTiName(const std::string& pcName);

// The program size of a PROGRAM file: sectors x 256, and when the end-of-file
// offset is set, 256 less (when at least 256) plus that offset; 16-bit.
uint16_t ProgramSize(uint16_t sectors, uint8_t eofOffset);

// Where the last data sector of a Classic99 file with dataLength data bytes
// starts in the PC file (128 for an empty data part).
uint64_t Classic99LastSectorOffset(uint64_t dataLength);

// Corrects a Classic99 descriptor from the data length: header kind 3,
// sectors rounded up, and per file type the end-of-file offset (VARIABLE:
// the first 0xFF among the lastLength bytes of the last sector, read from
// Classic99LastSectorOffset), level-3 count and records per sector.
void CorrectClassic99(TiFileDescriptor& d, uint64_t dataLength, const uint8_t* lastSector,
                      size_t lastLength);

// Writers of the 128-byte PC-side headers from a descriptor. The type comes
// from flags; a PROGRAM file stores record length 0. A V9T9 header holds the
// TI name (padded to 10) and zeros after the level-3 count; a TIFILES header
// holds no name and the 0xCA 0x53 filler from byte 16.
void MakeV9t9Header(const TiFileDescriptor& d, uint8_t* header);
void MakeTifilesHeader(const TiFileDescriptor& d, uint8_t* header);

// The first 10 characters of a TI name, padded with spaces to 10.
std::string PadTiName(const std::string& tiName);

} // namespace kestrel
