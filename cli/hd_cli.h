// The hard-disk side of put, rm and ren: the floppy commands hand a path
// over when it leads into a hard-disk image.
#pragma once

#include <string>
#include <vector>

#include "cli/terminal_ui.h"

namespace kestrel::cli
{

// True when the leading PC part of path is a hard-disk image file (nothing
// is reported; the file's first sector alone decides).
bool IsHdPath(const std::string &path);

// put: adds the PC files (TI files with a header) to the hard-disk location
// at location. Exit status 0 or 1.
int PutIntoHd(const std::string &location, const std::vector<std::string> &pcFiles, TerminalUi &ui);

// rm of one LOCATION/FILE (a file or an empty subdirectory); false after a message.
bool RemoveFromHd(const std::string &path, TerminalUi &ui);

// ren LOCATION/OLD NEW; exit status 0 or 1.
int RenameInHd(const std::string &path, const std::string &newName, TerminalUi &ui);

} // namespace kestrel::cli
