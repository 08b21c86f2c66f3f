// Renaming the cursor entry of a pane: a PC file or directory (for a TI
// file with a V9T9 header and for a sector-dump DSK image also the name
// stored in the file's first 10 bytes), a TI file of a floppy image or
// CF7A+ volume, or an entry of a hard-disk image.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// The filters of the name field: characters refused while typing, and the
// length.
enum class NameFilter {
    TiName, // a TI name in a PC directory: no space " * . / : < > ? \ |, 10
    PcName, // a plain PC file's name: no space " * / : < > ? \ |, 30
    Label,  // a TI name inside a disk or hard-disk image: no space or ".", 10
};

bool NameFilterAccepts(NameFilter filter, char c);
size_t NameFilterLength(NameFilter filter);
// The text as the field would hold it after typing it: refused characters
// dropped, cut to the length.
std::string ApplyNameFilter(NameFilter filter, const std::string &typed);

// The filter and the prefilled text of the rename field for the entry.
NameFilter RenameFilterFor(const Location &location, const CatalogEntry &entry);
std::string RenamePrefill(const Location &location, const CatalogEntry &entry);

struct RenameOptions {
    std::string newName; // as typed
};

// False after "Can't rename a file or directory here" or "Can't rename
// this directory".
bool CheckRename(const Location &location, const CatalogEntry *cursor, Ui &ui);

// Renames entry (one of location.entries, or a copy) to the typed name.
// Reports "Please enter a name for the file or directory" (a warning) for
// an empty name, "Can't rename file or directory <%s>", "Can't open file
// for write <%s>", "Can't write to file <%s>" and the image writer's and
// hard-disk library's messages. The list is listed again after a message,
// sorted, and *renamedIndex (when given) receives the renamed entry's
// position in it (-1 when not found). True when renamed.
bool RenameEntry(Location &location, CatalogEntry &entry, const RenameOptions &options, Ui &ui,
                 int *renamedIndex = nullptr);

} // namespace kestrel
