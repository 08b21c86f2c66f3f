// Helpers the floppy commands share: the disk image or subdirectory a
// location path names.
#pragma once

#include <string>

#include "tifs/floppy/floppy_writer.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel::cli
{

// Resolves path (IMAGE or IMAGE/SUBDIR) to a floppy location; false after a
// message (message 40 "Can only copy TI files to a DSK image" when the path
// is no floppy image).
bool ResolveFloppyTarget(const std::string &path, Location &location, FloppyTarget &target, Ui &ui);

// Splits "IMAGE/NAME" at its last separator.
bool SplitLeaf(const std::string &path, std::string &container, std::string &leaf);

} // namespace kestrel::cli
