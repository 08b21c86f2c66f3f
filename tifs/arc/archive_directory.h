// The directory of an ARC archive: 18-byte member records, 14 to a 256-byte
// block, the last block marked "END!" in bytes 252 to 255. At most 127
// members (nine full blocks and one record of a tenth). Pure functions over
// byte buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tifs/ti_file.h"

namespace kestrel
{

namespace arcrec
{
constexpr size_t kName = 0; // 10 bytes
constexpr size_t kFlags = 10;
constexpr size_t kRecordsPerSector = 11;
constexpr size_t kSectors = 12; // big-endian
constexpr size_t kEofOffset = 14;
constexpr size_t kRecordLength = 15;
constexpr size_t kLevel3 = 16; // big-endian uncompressed, little-endian compressed
constexpr size_t kSize = 18;
} // namespace arcrec

constexpr size_t kArcRecordsPerBlock = 14;
constexpr size_t kArcRecordBytesPerBlock = kArcRecordsPerBlock * arcrec::kSize; // 252
constexpr size_t kArcEndMarkOffset = 252;
constexpr uint8_t kArcEndMark[4] = {'E', 'N', 'D', '!'};
constexpr size_t kArcMaxMembers = 127;
constexpr size_t kArcMaxDirectoryBlocks = 10;
constexpr size_t kArcDirectoryBytes = kArcMaxMembers * arcrec::kSize; // 2286

// The members of an archive in directory order, and how many 256-byte
// blocks the directory takes before the first member's data.
struct ArchiveDirectory {
    std::vector<TiFileDescriptor> members;
    size_t blocks = 0;
    bool endMark = false; // the block the directory ended in carries "END!"
};

// True when a 256-byte directory block carries "END!".
bool HasEndMark(const uint8_t *block);

// Decodes one 18-byte record: TI name by the name copy rule, type decoded,
// header kind V9T9.
TiFileDescriptor DecodeArchiveRecord(const uint8_t *record, bool compressed);

// Walks the directory of an uncompressed archive from its first sectors
// (length bytes, at most ten blocks are looked at): records in order, 14 per
// block, ending at a record whose first two bytes are zero, after the block
// that carries "END!", or at 127 members. blocks is the number of blocks
// walked: the data of the first member starts there.
ArchiveDirectory ParseUncompressedDirectory(const uint8_t *data, size_t length);

// Collects the directory of a compressed archive from its decompressed
// blocks: each block gives its first 252 bytes of records, until 127 records
// are stored; the block with "END!" ends the directory, and so does the
// tenth block (a directory cannot be longer).
class CompressedDirectoryCollector
{
public:
    // Takes one decompressed block; returns true once the directory is complete.
    bool AddBlock(const uint8_t *block);
    bool Complete() const { return m_complete; }
    // The records stored so far, walked until one starts with a zero byte.
    ArchiveDirectory Directory() const;

private:
    uint8_t m_records[kArcDirectoryBytes] = {};
    size_t m_stored = 0;
    size_t m_blocks = 0;
    bool m_complete = false;
};

} // namespace kestrel
