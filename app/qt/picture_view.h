// Picture windows for TI-Artist pictures, MYART pictures and character sets,
// and GIF pictures handed to the external viewer program.
#pragma once

#include <string>

#include <QImage>

#include "app/shell/shell.h"
#include "app/shell/shell_host.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"
#include "viewers/picture/raster.h"

class QWidget;

namespace kestrel
{

class PictureWindow;

// Opens a picture window on entry of location in mode kModeTiArtist,
// kModeMyart256, kModeMyart512 or kModeCharset. A file the mode does not
// take beeps and opens nothing; with all slots taken message 15 shows.
// The window takes the drawn bitmap, the file's caption with the size text,
// and a client area of twice the bitmap's size (MYART 512 x 212: the
// bitmap's width and twice its height). Returns false only for a mode that
// is no picture mode (not handled here).
bool OpenPictureView(QWidget *owner, Ui &ui, const Location &location, const CatalogEntry &entry,
                     WindowMode mode);

// The same with an explicit general temporary file; returns the window
// shown, or null when none is (refused file, no slot, not a MYART file).
PictureWindow *OpenPictureWindow(QWidget *owner, Ui &ui, const Location &location,
                                 const CatalogEntry &entry, int mode, const std::string &tempFile);

// PaneOperation::ShowGifExternal for the cursor entry of pane `side`: writes
// the DIS/FIX 128 file's records to ti_pic.gif in the temporary directory
// and starts the program of the "picviewer" setting on it. A file of another
// type beeps. Returns false when the pane has no cursor entry.
bool RunShowGifExternally(QWidget *owner, Shell &shell, Ui &ui, int side);

// Starts command (split as a shell would: blanks separate, double quotes
// group) with path as one more argument, detached; its result is not
// checked. False when the command is empty or could not be started.
bool StartExternalViewer(const std::string &command, const std::string &path);

// The bitmap as a 24-bit image.
QImage PictureImage(const Raster &bitmap);

} // namespace kestrel
