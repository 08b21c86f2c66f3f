// Writing ARC archives: the directory records the reader decodes, the
// directory blocks ("END!" in the last), the members' sectors behind them,
// and for the compressed form the LZW stream of all of it. The archive
// itself is a TI file of record length 128, two records per sector:
// DIS/FIX when uncompressed, INT/FIX when compressed. Pure functions over
// byte buffers; nothing here reads or writes files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tifs/arc/lzw_encoder.h"
#include "tifs/ti_file.h"

namespace kestrel
{

// The largest archive a TI file describes: its level-3 count (two records
// per sector) must fit 16 bits.
constexpr size_t kArcMaxSectors = 0x7FFF;

// One member: its TI fields (tiName, flags, sectors, recordsPerSector,
// eofOffset, recordLength, level3Count; for PROGRAM the record length is
// written as 0 whatever the descriptor holds) and its sectors
// (data.size() == 256 * ti.sectors).
struct ArcMember {
    TiFileDescriptor ti;
    std::vector<uint8_t> data;
};

// The 18-byte directory record of a member; the level-3 count is big-endian
// in an uncompressed archive and little-endian in a compressed one.
void EncodeArchiveRecord(const TiFileDescriptor &member, bool compressed, uint8_t *record);

// The directory blocks (at least one) followed by the members' sectors: the
// uncompressed archive's sectors, and what the compressed one compresses.
std::vector<uint8_t> ArchivePlainSectors(const std::vector<ArcMember> &members, bool compressed);

enum class ArchiveBuild { Done, TooManyMembers, TooLarge };

// The archive's sectors in either form. TooManyMembers beyond 127 members,
// TooLarge beyond kArcMaxSectors; sectors is then left empty.
ArchiveBuild BuildArchiveSectors(const std::vector<ArcMember> &members, bool compressed,
                                 std::vector<uint8_t> &sectors, LzwEncodeOptions options = {});

// The TI descriptor of the archive file itself: tiName, DIS/FIX or INT/FIX
// 128, two records per sector, level-3 count = 2 x sectors.
TiFileDescriptor ArchiveFileDescriptor(const std::string &tiName, size_t sectors, bool compressed);

} // namespace kestrel
