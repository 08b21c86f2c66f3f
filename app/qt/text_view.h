// The read-only text window ("EditViewer") that F3 and F4 open on a file.
// The full edit/viewer windows with their slots, find and printing replace
// this with their own.
#pragma once

#include <string>

#include "app/shell/shell_host.h"
#include "tifs/location.h"
#include "tifs/ui.h"

class QWidget;

namespace kestrel
{

// Composes the view of the entry and shows it; reports through ui (or beeps
// when no view can be made of this entry yet).
void OpenTextView(QWidget *owner, Ui &ui, const Location &location, const CatalogEntry &entry,
                  WindowMode mode);

// A window showing text under caption, read-only; returns it (owned by Qt,
// deleted on close).
QWidget *ShowTextWindow(QWidget *owner, const std::string &caption, const std::string &text);

} // namespace kestrel
