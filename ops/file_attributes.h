// "Set file attributes": the write-protect (0x08) and archive (0x10) flags
// of TI files in a PC directory (in their PC header) or in a hard-disk
// image (through the hard-disk library, protection only).
#pragma once

#include <cstdint>
#include <vector>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// The three states of each box; a click cycles 0, 1, 2, 0.
enum AttributeState : int { kAttrClear = 0, kAttrSet = 1, kAttrKeep = 2 };

struct AttributeOptions {
    int protect = kAttrKeep;
    int archive = kAttrKeep;
};

inline int NextAttributeState(int state)
{
    return (state + 1) % 3;
}

// The boxes' start states: "leave" in batch mode, the entry's flags otherwise.
AttributeOptions InitialAttributeOptions(const CatalogEntry *single);

// Applies the states to a flag byte; returns how many flags changed.
int ApplyAttributes(uint8_t &flags, const AttributeOptions &options);

// The header byte that holds the flags: 12 for V9T9, 10 for TIFILES and Classic99.
size_t FlagOffsetInHeader(uint16_t headerKind);

// Sets the attributes of one entry. Skipped (true, nothing written) when
// both states are "leave" or nothing changes. Reports "Can't open file for
// read <%s>", "Can't read diskinfo from diskfile <%s>" or "Can't write
// sector <%d> to <%s>" and returns false. The entry's flags follow.
bool SetEntryAttributes(Ui &ui, const Location &location, CatalogEntry &entry,
                        const AttributeOptions &options);

// The command: refused with "Can only set attributes of files in a
// directory" unless the location is a PC directory or a hard-disk image
// showing a directory inside a partition, and when the single entry is a
// subdirectory or "..". TI files among entries are handled and unmarked
// (others unmarked and skipped), "Set attributes <%s>" while one runs;
// failures are reported and the batch goes on. Returns the number handled,
// -1 when refused.
int SetAttributes(Ui &ui, const Location &location, const std::vector<CatalogEntry *> &entries,
                  const AttributeOptions &options);

} // namespace kestrel
