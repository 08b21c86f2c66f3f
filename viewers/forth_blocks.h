// Forth screens: DIS/FIX 128 files whose 1024-byte blocks hold 16 lines of
// 64 characters of source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "tifs/catalog_entry.h"

namespace kestrel
{

// One sector as four 64-character lines. A sector whose counter is a
// multiple of 4 starts a block with "Block %03u" and a rule; the sector that
// completes a block adds an empty line. Keeps six bytes in hand below `end`;
// returns the new output position, or null once full (a NUL is then written
// at the position reached). sectorCounter runs across the file.
char *ForthBlocksToText(const uint8_t *data, size_t length, uint32_t &sectorCounter, char *out,
                        char *end);

// The test on the file's first bytes: up to three whole 1024-byte blocks
// from data; any block with a non-printable byte says no; a block holding
// ": " and, at least 3 characters after the first of those, " ;" (compared
// in upper case) says yes.
bool LooksLikeForthData(const uint8_t *data, size_t size);

// True when a file of more than 40 sectors holds Forth screens. Reads from
// the file's current position (offset 128) and puts it back to 128.
bool LooksLikeForthBlocks(const CatalogEntry &entry, std::FILE *file);

} // namespace kestrel
