// The card side of rm and ren: files in a volume of a CF7A+ card image, named
// IMAGE/VOLUME/FILE, changed by the same operations the pane keys run (ops/), which act
// at the volume's place on the card.
#pragma once

#include <string>

#include "tifs/ui.h"

namespace kestrel::cli {

// True when the first file along the path is a CF7A+ card image.
bool IsCardVolumeItem(const std::string &path);

// Delete or rename a file of a card volume; the exit status of the command.
int RemoveFromCardVolume(const std::string &path, Ui &ui);
int RenameInCardVolume(const std::string &path, const std::string &newName, Ui &ui);

} // namespace kestrel::cli
