// The file descriptor record of a hard-disk file: the floppy FDR fields in bytes 0 to 19,
// then the hard-disk fields and up to 54 data-chain entries (first AU, last AU inclusive).
#pragma once

#include <cstdint>

namespace kestrel::hdlib
{

constexpr int kFdrName = 0;
constexpr int kFdrFlags = 12;
constexpr int kFdrRecordsPerSector = 13;
constexpr int kFdrSectors = 14;      // word: data sectors in use
constexpr int kFdrEndOfFile = 16;    // byte
constexpr int kFdrRecordLength = 17; // byte
constexpr int kFdrLevel3Count = 18;  // word, little-endian
constexpr int kFdrMarker = 28;       // "FI"
constexpr int kFdrAllocatedAus = 34; // word
constexpr int kFdrFileIndexAu = 36;  // word
constexpr int kFdrChain = 40;
constexpr int kChainEntries = 54;

constexpr uint8_t kFlagProgram = 0x01;
constexpr uint8_t kFlagInternal = 0x02;
constexpr uint8_t kFlagProtected = 0x08;
constexpr uint8_t kFlagVariable = 0x80;
constexpr uint8_t kFlagTypeMask = 0x83;

struct ChainEntry {
    uint16_t first;
    uint16_t last;
};

ChainEntry GetChainEntry(const uint8_t *fdr, int k);
void PutChainEntry(uint8_t *fdr, int k, ChainEntry entry);
// Entries before the first with first AU 0 (at most 54).
int UsedChainEntries(const uint8_t *fdr);

// A new FDR: all zero, the name padded to 10, "FI", the file index's AU.
void BuildFdr(uint8_t *fdr, const char name[10], uint16_t fileIndexAu);

// Program size in bytes from sectors s and end-of-file offset e.
uint32_t ProgramSize(uint32_t sectors, uint32_t endOfFile);

// Catalog kind of the flags: 1 DIS/FIX, 2 DIS/VAR, 3 INT/FIX, 4 INT/VAR, 5 PROGRAM, else 0.
uint8_t CatalogKind(uint8_t flags);

} // namespace kestrel::hdlib
