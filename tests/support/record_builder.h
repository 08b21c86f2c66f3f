// Byte-level builders of TI data files for tests and the demo generator:
// TIFILES headers, fixed- and variable-length record sectors, Forth screens,
// and whole TI files (header + data) written to PC files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/catalog_entry.h"

namespace kestrel::testing
{

struct RecordFileSpec {
    uint8_t flags = 0;
    uint16_t sectors = 0;
    uint8_t recordsPerSector = 0;
    uint8_t eofOffset = 0;
    uint8_t recordLength = 0;
    uint16_t level3 = 0;
    std::string name; // up to 10 characters; empty: the header carries no name
};

// A 128-byte TIFILES header: fields as given, bytes 16 to 127 the 0xCA 0x53
// filler, or the name space-padded in 16 to 25 when one is given.
std::vector<uint8_t> TifilesHeader(const RecordFileSpec &fileSpec);

// A built TI file: its descriptor fields and the data behind the header.
struct TiFileData {
    RecordFileSpec fileSpec;
    std::vector<uint8_t> data;
    std::vector<uint8_t> Bytes() const; // header + data
    // A catalog entry as a PC-directory scan would make it.
    CatalogEntry Entry(const std::string &pcName) const;
};

// Fixed-length records (each padded with blanks, or zero bytes for
// INTERNAL, to the record length), records-per-sector to a sector.
TiFileData FixedRecordFile(bool internal, uint8_t recordLength,
                           const std::vector<std::string> &records);

// Variable-length records packed into sectors, each sector closed by 0xFF.
TiFileData VariableRecordFile(bool internal, uint8_t recordLength,
                              const std::vector<std::string> &records);

// DIS/FIX 128 Forth screens: each screen up to 16 lines of up to 64
// characters, blank-padded to a 1024-byte block. extraSectors of blanks are
// added behind the screens.
TiFileData ForthScreenFile(const std::vector<std::vector<std::string>> &screens,
                           unsigned extraSectors = 0);

// TI file wrappers for the BASIC builders' output.
TiFileData ProgramTiFile(const std::vector<uint8_t> &programData);
TiFileData LongProgramTiFile(const std::vector<uint8_t> &sectors);
TiFileData MergeTiFile(const std::vector<uint8_t> &sectors);

// Writes bytes to a PC file; false on failure.
bool WriteFileBytes(const std::string &path, const std::vector<uint8_t> &bytes);

} // namespace kestrel::testing
