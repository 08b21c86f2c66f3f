// GIF pictures kept in DIS/FIX 128 files are not drawn here: their records
// are written out as a GIF file for an external viewer.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// Writes the records of entry, a DIS/FIX 128 file of location, 128 bytes
// each up to the level-3 record count, to gifPath. tempFile is the general
// temporary file that a file inside a container passes through. False when
// the viewer is not to be started: without a message for a file that is not
// DIS/FIX 128; after a message of OpenTiFileData, 2 "Can't open file for
// write <%s>", 21 "Not a GIF file <%s>" (the first record does not begin
// with GIF, in any case), 6 "Can't read sector <%d> from <%s>" or 7 "Can't
// write sector <%d> to <%s>".
bool WriteGifFile(const Location &location, const CatalogEntry &entry, const std::string &tempFile,
                  const std::string &gifPath, Ui &ui);

// The same with the program's temporary files (ti_tmp.$$$ and ti_pic.gif);
// sets gifPath to the file written.
bool WriteGifFile(const Location &location, const CatalogEntry &entry, Ui &ui,
                  std::string &gifPath);

} // namespace kestrel
