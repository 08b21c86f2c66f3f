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

// TI name -> PC file name, with the `zubcompatible` rule; never "", "." or "..".
std::string TiNameToPcName(const std::string& tiName, bool zubCompatible);

// PC file name -> TI name: 10 characters, upper case, space-padded.
std::string PcNameToTiName(const std::string& pcName);

} // namespace kestrel
