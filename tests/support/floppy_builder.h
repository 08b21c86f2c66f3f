// Byte-level builders of floppy fixtures: TI files with a PC-side header,
// and PC99 track images made from a sector dump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing
{

struct TiFileSpec {
    std::string tiName = "FILE";
    uint8_t flags = 0x80; // DIS/VAR
    uint8_t recordLength = 80;
    uint8_t recordsPerSector = 3;
    uint8_t eofOffset = 0;
    uint16_t level3 = 0;
    uint16_t sectors = 1;
    bool tifiles = false; // else a V9T9 header
    uint8_t seed = 1;     // data bytes follow a pattern from this seed
};

// The PC file bytes: header and sectors x 256 pattern bytes.
std::vector<uint8_t> MakeTiFileBytes(const TiFileSpec &fileSpec);

// Writes bytes to path; false on failure.
bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes);
std::vector<uint8_t> ReadBytes(const std::string &path);

// A PC99 image (kind 10 single density, 11 double density) holding the
// sectors of dsk, tracksPerSide tracks on each of `sides` sides. order gives
// the physical order of the sector numbers within every track (identity when
// empty). Side 1 is stored in reversed track order.
std::vector<uint8_t> MakePc99Image(const std::vector<uint8_t> &dsk, int kind,
                                   unsigned tracksPerSide, unsigned sides,
                                   const std::vector<unsigned> &order = {});

// Byte offset of the ID mark of record `record` of image track `track`.
size_t Pc99IdMarkOffset(int kind, unsigned track, unsigned record);

} // namespace kestrel::testing
