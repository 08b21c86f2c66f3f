// Saving an archive member as a PC file: its sectors turned into PC text by
// the record formatters, sector by sector as the archive reader decodes them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/ui.h"

namespace kestrel
{

// What runs on across the calls of one conversion. A fresh state starts a
// conversion: sector numbers in messages count from 1 again.
struct ArchiveTextState {
    uint32_t sectorNumber = 0;  // sectors handled so far
    uint32_t recordCounter = 0; // records of a fixed-length member written so far
};

// Writes sectorCount sectors of member data to output: a PROGRAM member
// unchanged, a fixed-length member through FixedRecordsToText in raw mode,
// a variable-length member through VariableRecordsToText. A write that does
// not complete reports message 7 with the running sector number and
// archivePath and returns false; the conversion ends there.
bool ArchiveMemberToPcText(const uint8_t *sectors, uint32_t sectorCount, const CatalogEntry &entry,
                           std::FILE *output, const std::string &archivePath,
                           ArchiveTextState &state, Ui &ui);

} // namespace kestrel
