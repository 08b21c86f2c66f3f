// "Save as TI file": writes a file held in a disk image (floppy, PC99,
// CF7A+ volume or hard-disk image) as a PC file, a 128-byte header followed
// by its data sectors in chain order.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// Reads the entry's FDR and data chain from the image at location.path and
// writes target: a V9T9 header (FDR bytes 0 to 27, flags masked with 0x8B,
// record length 0 for PROGRAM), or a TIFILES header when
// ProgramSettings().extractTiFiles is set, then the sectors.
// Where the file lies comes from the entry: container kind 10 or 11 through
// the PC99 sector search; 12 or 13 a hard-disk volume (FDR at image sector
// containerWords[1] x containerWords[3] + baseOffset, 4-byte chain entries
// from FDR byte 40); 16 a CF7A+ volume at byte offset baseOffset; otherwise
// a sector dump. A damaged chain ends the copy with "Can't read sector <%d>
// from <%s>" (a cluster outside the disk) or "Disk error, filename <%s>\n,
// fileno <%d>, sector <%d>" (chain entry index, file-relative sector); an
// existing target is then left as it was. False after any reported failure.
bool SaveEntryAsTiFile(const Location &location, const CatalogEntry &entry,
                       const std::string &target, Ui &ui);

// As SaveEntryAsTiFile, with the target asked for: the PC form of the TI
// name offered in a save chooser titled "Save as TI-file" that remembers its
// directory under "save_as_ti_path". Cancelling returns false quietly.
// chosen receives the path written.
bool SaveEntryAsTiFileChoosing(const Location &location, const CatalogEntry &entry, Ui &ui,
                               std::string *chosen = nullptr);

} // namespace kestrel
