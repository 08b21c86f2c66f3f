// Opening an archive in a pane and leaving it again.
//
// An archive in a PC directory is read where it lies; an archive inside a
// floppy image, hard-disk image or CF7A+ volume is first saved as a TI file
// to the archive work file (through the EntrySaver of the location kind that
// holds it), and the location it came from is kept (keptPath, keptKind) for
// the way back. Everything else of the holding location (depths, inner path,
// floppy directory) is left as it was, so that the path line can still name
// it and going back up finds it unchanged.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// Lists the members of the archive entry into the location, with a ".."
// entry first when addParent is set; the location kind becomes 8 and the
// archive's entry is appended to containerEntries. Member entries carry the
// archive's path as PC name (for an archive inside a container: "container
// path->archive name"), header kind V9T9, archiveMember = index + 1 and
// compressed. Reports 18 "Can't unark arked archive, first extract <%s>"
// for an entry that is itself a member, and what the reader reports (see
// archive_reader.h). On failure the location is left exactly as it was.
bool OpenArchive(Location &location, const CatalogEntry &entry, bool addParent,
                 const std::string &workFile, Ui &ui);

// Returns from an archive to the location that holds it: restores its path
// and kind, drops the archive's container entry and lists that location
// again: a floppy or PC99 image at the directory that was shown, anything
// else with OpenLocation. False when the location is no archive.
bool LeaveArchive(Location &location, Ui &ui);

} // namespace kestrel
