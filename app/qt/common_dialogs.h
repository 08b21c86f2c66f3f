// Helpers that every dialog shares: the folder browser, centring a window
// over its owner, and letting the windows repaint during long work.
#pragma once

#include <string>

class QWidget;

namespace kestrel
{

constexpr const char *kBrowsePrompt =
    "Select a storage device and/or a directory wich contains TI99 files and/or images.";
constexpr const char *kBrowseTitle = "Select storage device and/or directory";
// Object name of the browser's status line, which shows the selected folder.
constexpr const char *kBrowseStatusName = "status";

// The folder browser, centred over owner (or the screen without one) and
// starting at current. True with the chosen folder in result; false when
// cancelled (result unchanged).
bool BrowseForLocation(QWidget *owner, const std::string &current, std::string &result);

// Moves window (size unchanged) so that its centre is the centre of
// reference, or of the primary screen's work area without one, and shows it.
// A hidden dialog without a modality becomes application modal first, so
// that a following exec() is modal.
void CenterOver(QWidget *window, QWidget *reference);

// Handles the events waiting now, so that windows repaint and a Cancel
// button can be pressed during a long loop.
void PumpPendingMessages();

} // namespace kestrel
