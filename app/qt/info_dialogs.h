// The three information dialogs that F2 opens for the cursor entry of a
// pane: "Disk Information" for floppy images and CF7A+ volumes, "Image
// Information" for hard-disk images and partitions, "File Information" for
// everything else. Each is modal and closes with OK; every field carries its
// control id (object name and property "controlId").
#pragma once

#include "app/shell/info_fields.h"
#include "app/shell/shell.h"
#include "tifs/ui.h"

class QWidget;
class QDialog;

namespace kestrel
{

// PaneOperation::Information for the active pane side. Nothing happens for
// an empty pane (the key interpreter does not ask then). An image that
// cannot be read shows message 1 and the dialog with its fields empty.
// Returns true: the operation is always handled here.
bool RunInformation(QWidget *owner, Shell &shell, Ui &ui, int side);

// Tags a dialog control with its id, as object name and property "controlId".
void SetControlId(QWidget *control, int id);
// The control of dialog with that id, or null.
QWidget *FindControl(const QWidget *dialog, int id);

} // namespace kestrel
