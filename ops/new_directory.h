// Creating a subdirectory in a PC directory, in a hard-disk image's
// directory (through the hard-disk library), or at the root of a floppy
// image or of a volume of a CF7A+ card image (one of the VIB's three slots).
#pragma once

#include <string>

#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

struct NewDirectoryOptions {
    std::string name; // as typed, at most 10 characters
};

// False after "Can't create a directory here" (also inside a floppy
// subdirectory, in a PC99 image and on a card in a drive).
bool CheckNewDirectory(const Location &location, Ui &ui);

// Creates the directory and lists the location again. An empty name shows
// "Please enter a name for the directory" (a warning, nothing created); a
// failure "Can't create directory <%s>" (with the system's text in a PC
// directory). True when the directory was made.
bool CreateNewDirectory(Location &location, const NewDirectoryOptions &options, Ui &ui);

} // namespace kestrel
