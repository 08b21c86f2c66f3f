// Deleting the marked entries of a pane (or its cursor entry): PC files,
// images and empty subdirectories of a PC directory, TI files and empty
// subdirectories of a floppy image or CF7A+ volume through the image
// writer, and the files and directories of a hard-disk image through the
// hard-disk library.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// What the delete dialog (or the command line) chose: nothing beyond the
// entries yet; kept so that callers fill one record for every operation.
struct DeleteOptions {
};

// False after "Can only delete files from directories or DSK images" or
// "Can't delete this directory" (the cursor on the parent entry).
bool CheckDelete(const Location &location, const CatalogEntry *cursor, Ui &ui);

// The dialog's question: "Do you really wish to delete <%s>" or, with
// marks, "Do you really wish to delete %u files?" and up to four names.
std::string DeleteQuestion(const Location &location, const CatalogEntry *cursor);

// Deletes one entry of a PC directory (a subdirectory only when empty).
// False after "Can't delete file <%s>" with the system's text.
bool DeletePcEntry(const Location &location, const CatalogEntry &entry, Ui &ui);

// The delete itself (after the checks): returns the number of entries
// deleted. A PC-directory batch ends at its first failure. The location is
// listed again when anything changed.
int DeleteEntries(Location &location, CatalogEntry *cursor, const DeleteOptions &options, Ui &ui);

} // namespace kestrel
