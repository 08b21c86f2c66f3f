// The file operations that the pane keys start (F5 copy, F6 rename, F7 new
// directory, Delete), run on the active pane with the other pane as the
// destination, and both panes listed again afterwards.
#pragma once

#include "app/shell/shell.h"
#include "app/shell/shell_host.h"
#include "tifs/ui.h"

class QWidget;

namespace kestrel {

// Returns true when the operation is one of those handled here.
bool RunPaneOperation(QWidget *owner, Shell &shell, Ui &ui, int side, PaneOperation operation);

} // namespace kestrel
