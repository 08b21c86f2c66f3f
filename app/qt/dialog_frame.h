// The program's own dialogs are fixed-size windows with a title and a close
// button only: no minimise or maximise button and no size grip, sized to
// their layout. Qt's standard dialogs (files, fonts, colours, printing,
// message boxes) keep their own frames.
#pragma once

class QDialog;
class QObject;

namespace kestrel
{

// Whether the dialog is one of the program's own (not a standard dialog).
bool IsOwnDialog(const QDialog *dialog);

// Title and close button only; the size follows the layout and the user
// cannot change it. Best called before the dialog is first shown.
void FixDialogFrame(QDialog *dialog);

// Makes every own dialog fixed as it is polished, once per application.
void InstallDialogFramePolicy();

} // namespace kestrel
