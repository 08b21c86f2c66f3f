// Builders of ARC archives for tests and demos: both forms (DIS/FIX 128 with
// the members stored as they are, INT/FIX 128 with one LZW stream), as thin
// wrappers over the program's own archive writer (tifs/arc/archive_writer.h)
// plus the file helpers tests need.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/arc/archive_writer.h"
#include "tifs/ti_file.h"

namespace kestrel::testing
{

// One member: its TI fields and its sectors (ArcMemberFrom pads).
using ArcMember = kestrel::ArcMember;

// A member from TI fields and data bytes; the data is zero-padded to whole
// sectors and sectors set from it.
ArcMember ArcMemberFrom(const std::string &tiName, uint8_t flags, uint8_t recordLength,
                        uint8_t recordsPerSector, uint8_t eofOffset, uint16_t level3,
                        std::vector<uint8_t> data);

// Reads a PC file with a TIFILES or V9T9 header into a member (fields from
// the header, data padded to the header's sector count). False when the file
// cannot be read or holds no TI file header.
bool ReadTiFileMember(const std::string &path, ArcMember &member);

// The 18-byte directory record of a member.
void EncodeArcRecord(const TiFileDescriptor &ti, bool compressed, uint8_t *record);

// The directory blocks (at least one; "END!" in the last) followed by the
// members' sectors: the uncompressed archive's sectors, and the data that
// the compressed form compresses.
std::vector<uint8_t> ArcPlainSectors(const std::vector<ArcMember> &members, bool compressed);

using LzwOptions = LzwEncodeOptions;

// LzwCompress (the program's compressor) takes these options.

// The archive's sectors in either form.
std::vector<uint8_t> BuildArcSectors(const std::vector<ArcMember> &members, bool compressed,
                                     LzwOptions options = {});

// A whole archive as a PC file: a TIFILES header (DIS/FIX 128 or INT/FIX 128,
// two records per sector, level-3 count = 2 x sectors) followed by sectors.
std::vector<uint8_t> ArcFileBytes(const std::vector<uint8_t> &sectors, bool compressed);

// A PC file with a TIFILES header of the given type in front of data bytes
// padded to whole sectors (for archives that are not archives, GIF files …).
std::vector<uint8_t> TiFileBytes(uint8_t flags, uint8_t recordLength, uint8_t recordsPerSector,
                                 uint16_t level3, const std::vector<uint8_t> &data,
                                 uint8_t eofOffset = 0);

bool WriteArcTestFile(const std::string &path, const std::vector<uint8_t> &bytes);
bool ReadArcTestFile(const std::string &path, std::vector<uint8_t> &bytes);

} // namespace kestrel::testing
