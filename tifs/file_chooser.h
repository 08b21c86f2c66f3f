// The file chooser whose start directory is remembered in the settings file.
#pragma once

#include <string>

#include "tifs/ui.h"

namespace kestrel {

// Offers a save (save = true) or open chooser through ui.
// With a settings key ("save_as_ti_path", "hdsk_img_path", ...): the chooser
// starts in the directory stored under the key in section "Kestrel", or in
// the current directory when that is empty; name is the proposed name. Once
// a file is chosen its directory, with a trailing separator, is written
// under the key at once.
// Without a key (empty): the chooser starts in the directory part of name,
// and name keeps only the file name and extension.
// On a choice name holds the chosen path. Returns 0 when a file was chosen
// and 1 otherwise.
int ChooseFileWithRemembered(Ui& ui, bool save, const std::string& settingsKey,
                             const std::string& title, const std::string& filter,
                             const std::string& defaultExtension, std::string& name);

} // namespace kestrel
