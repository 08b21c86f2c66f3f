// Changing a hard-disk location through the library: copying TI files in,
// deleting, renaming, protection and new directories. Every operation points
// the library at the location first and reports the library's answers in the
// DSR message box.
#pragma once

#include <string>
#include <vector>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// The "All" answer of the overwrite question, one per running batch.
struct HdCopyBatch {
    bool overwriteAll = false;
    bool lastCopied = false; // the last CopyEntryToHd wrote its file completely
};

// Copies one TI file into the destination's directory. pcFile is the TI
// file on the PC when the caller has it; else the entry is saved from its
// container to a temporary file (a source inside a container), or taken
// from the source directory joined with its PC name. Asks "HD image <%s>
// allready exist. Overwrite?" when the file exists. 0 when done or skipped,
// 2 when the batch must stop.
int CopyEntryToHd(Ui &ui, const Location &destination, const Location &source,
                  const CatalogEntry &entry, const std::string &pcFile, HdCopyBatch &batch);

// The batch: each entry of kinds 1 to 5 in order, progress per entry, stops
// on 2 or on Cancel; handled entries of source.entries are unmarked. The
// destination is listed again afterwards. Returns the number copied.
int CopyEntriesToHd(Ui &ui, Location &destination, Location &source,
                    const std::vector<const CatalogEntry *> &entries);

// Deletes each entry (subdirectories with ordinal 28, files with 20); stops
// at the first failure (DSR message 20). Lists the location again. Returns
// the number deleted.
int DeleteHdEntries(Ui &ui, Location &location, const std::vector<const CatalogEntry *> &entries);

// Renames entry (kinds 1 to 5 and 6) to newName (up to 10 characters). The
// same name makes no call and returns true. On success the entry's TI name
// becomes the new name. Other kinds: message 19 in the DSR box with 96.
bool RenameHdEntry(Ui &ui, const Location &location, CatalogEntry &entry,
                   const std::string &newName);

// Sets the protection of the file to the entry's flag bit 0x08 as it stands
// (ordinal 24); DSR message 57 on failure.
bool SetHdProtection(Ui &ui, const Location &location, const CatalogEntry &entry);

// Creates a subdirectory named from the typed text (TI name rules) in the
// directory shown and lists the location again. Returns the library's
// answer (0 on success) for the dialog to report; -2 when the library is
// not bound.
int CreateHdDirectory(Ui &ui, Location &location, const std::string &typedName);

} // namespace kestrel
