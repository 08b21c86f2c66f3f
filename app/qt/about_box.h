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
constexpr const char *kHelpFileName = "kestrel.chm";

// Modal: the program icon, the name, the description and "Version 8.2c
// 20210408" (control 1105); closes with OK. Returns true.
bool RunAbout(QWidget *owner);

// The help file: the current working directory, "/" and "kestrel.chm".
std::string HelpFilePath();

// Hands the help file to the desktop's viewer for it. A missing file, or one
// the desktop cannot open, is told in a "Kestrel" box that names the path
// looked at. Returns true (the operation is handled here).
bool RunHelpIndex(QWidget *owner, Ui &ui);

} // namespace kestrel
