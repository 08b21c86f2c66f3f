// The three container commands of the Tools menu, each in its own progress
// dialog with the destination path and Cancel: extract every file of ARC
// archives and floppy images into a numbered folder each, ARC archives to new
// DSK images, PC99 track images to DSK images. The work is done by
// ops/extract.h; the other pane (a PC directory) is the destination and is
// listed again afterwards.
#pragma once

#include "app/shell/shell.h"
#include "tifs/ui.h"

class QWidget;

namespace kestrel
{

// PaneOperation::ExtractAll, ArcToDsk and Pc99ToDsk on the pane side.
// Refusals ("Can only extract files to a directory", "Can only convert ARC
// files to a directory", "Can't convert PC99 images to itself", "Can only
// convert PC99 images to a directory") come before any dialog. Nothing of
// the kind among the marked entries (or at the cursor) opens no dialog.
// True: handled.
bool RunExtractAll(QWidget *owner, Shell &shell, Ui &ui, int side);
bool RunArcToDsk(QWidget *owner, Shell &shell, Ui &ui, int side);
bool RunPc99ToDsk(QWidget *owner, Shell &shell, Ui &ui, int side);

// PaneOperation::HfeToDsk and DskToHfe: the marked (or cursor) images of the
// pane converted into the other pane's PC directory, in the same dialog.
bool RunHfeToDsk(QWidget *owner, Shell &shell, Ui &ui, int side);
bool RunDskToHfe(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
