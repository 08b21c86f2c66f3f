// How archives plug into the catalog: an EntryOpener registered for INT/FIX,
// which the catalog also uses for DIS/FIX 128 files (opening them as archives), the LevelUp of
// location kind 8 (back to the location that holds the archive), the EntrySaver of location kind 8
// (a member saved as a TI file, as views and copies need it) and a
// PathLister for an archive file named as a location by its path.
#pragma once

#include <string>

#include "tifs/arc/archive_extract.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// Registers the three functions above. Idempotent.
void RegisterArchiveListers();

// The archive work file (ti_arc.$$$ in the program's temporary directory,
// which is made on first use when nobody made it yet); "" when there is none.
std::string ArchiveWorkFile();

// "Save as PC-file" of a member of the archive that location shows: the
// member's sectors as text through textWriter (the viewers' member-to-text
// conversion) into target (empty: ask with the save chooser).
bool SaveArchiveMemberAsText(const Location &location, const CatalogEntry &member,
                             const std::string &target, const ArchiveTextWriter &textWriter,
                             Ui &ui);

} // namespace kestrel
