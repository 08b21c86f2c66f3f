// Record formatters: the records of one 256-byte sector of a fixed- or
// variable-length file as text. Each writes behind out, keeps four bytes in
// hand below `end`, and returns the new output position, or null once the
// buffer is full (a NUL is then written at the position reached). The text
// behind the returned position is not terminated.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tifs/catalog_entry.h"

namespace kestrel
{

// The records of a fixed-length sector: records-per-sector records of
// record-length bytes from offset 0 (a descriptor without a records-per-
// sector count gets as many as fit the sector); the rest of the sector is
// ignored. In view mode (raw false) a non-printable byte becomes "." and
// each record ends with CR LF; in raw mode the bytes are copied unchanged
// and nothing is added. recordCounter runs across the sectors of a file:
// once it reached the level-3 count (when that is non-zero) no further
// record is written.
char *FixedRecordsToText(bool raw, const uint8_t *data, size_t length, uint32_t &recordCounter,
                         const CatalogEntry &entry, char *out, char *end);

// The records of a variable-length sector: length byte n and n bytes, from
// offset 0, as long as the record stays within the sector; a length byte
// 0xFF is the end mark wherever it stands, also at offset 0. Non-printable bytes become "."; each record, even an empty
// one, ends with CR LF.
char *VariableRecordsToText(const uint8_t *data, size_t length, char *out, char *end);

} // namespace kestrel
