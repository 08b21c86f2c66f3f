// The PC-directory side of rm, ren and mkdir: the same operations the pane
// keys run (ops/), on a folder named by its path.
#pragma once

#include <string>

#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel::cli {

// True when the folder part of PATH/NAME is a PC folder (not an image file).
bool IsPcDirectoryItem(const std::string &path);

// Delete, rename or create in a PC folder; the exit status of the command.
int RemoveFromPcDirectory(const std::string &path, Ui &ui);
int RenameInPcDirectory(const std::string &path, const std::string &newName, Ui &ui);
// The same two operations on an entry already found in a listed location (null: a message
// was shown); the exit status of the command.
int RemoveFoundEntry(Location &location, CatalogEntry *entry, Ui &ui);
int RenameFoundEntry(Location &location, CatalogEntry *entry, const std::string &newName, Ui &ui);

int MakeDirectoryInPcDirectory(const std::string &folder, const std::string &name, Ui &ui);

} // namespace kestrel::cli
