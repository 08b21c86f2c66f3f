// The About box (PaneOperation::About) and the help index
// (PaneOperation::HelpIndex).
#pragma once

#include <string>

#include "tifs/ui.h"

class QWidget;

namespace kestrel
{

// The description shown after the program's name.
constexpr const char *kProgramDescription =
    "is a program for displaying and managing TI-files in V9T9 format and binary DSK, SCSI, "
    "IDE, WDS and CF7A+ images.";
// The manual keeps the help file's name "kestrel" in this platform's form.
constexpr const char *kHelpFileName = "kestrel.html";

// Modal: the program icon, the name, the description and "Version 8.2c
// 20210408" (control 1105); closes with OK. Returns true.
bool RunAbout(QWidget *owner);

// The help file: the current working directory, "/" and "kestrel.html".
std::string HelpFilePath();

// Opens the help window (or raises it when it is open) on the manual: the
// help file when the working directory holds one, else the copy built into
// the program. A help file that is there but cannot be read is told in a
// "Kestrel" warning that names it, and the built-in copy is shown. Does not
// block. Returns true (the operation is handled here).
bool RunHelpIndex(QWidget *owner, Ui &ui);

} // namespace kestrel
