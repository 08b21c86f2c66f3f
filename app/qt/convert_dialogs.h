// The "Convert PC file" dialog in its two directions: plain PC files into
// TI files of a chosen type, record length and line-end method, and TI files
// into plain PC files. The dialog gathers the choices and drives the
// conversions of ops/pc_to_ti.h and ops/ti_to_pc.h, one entry or the marked
// batch, and lists the changed panes again.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/shell/shell.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ti_file.h"
#include "app/qt/forwarding_ui.h"
#include "tifs/ui.h"

class QWidget;
class QProgressBar;

namespace kestrel
{

// The Ui an operation gets while one of the conversion dialogs runs it:
// messages and questions go to the program's Ui, progress goes to the
// dialog's bar, and Cancel is the dialog's own button. The last message
// number is handed back to the program's Ui when this one goes.
class ConversionDialogUi : public ForwardingUi
{
public:
    ConversionDialogUi(Ui &inner, QProgressBar *bar, const bool &cancelled);
    ~ConversionDialogUi() override;

    void SetProgressRange(uint32_t maximum) override;
    void SetProgressPosition(uint32_t position) override;
    void SetStatusText(const std::string &text) override;
    void PumpPendingMessages() override;
    bool CancelPressed() override;

    // Called at every SetProgressRange (an operation starts its next item).
    void OnRange(std::function<void()> hook) { m_onRange = std::move(hook); }

private:
    QProgressBar *m_bar;
    const bool &m_cancelled;
    std::function<void()> m_onRange;
};

// What the dialogs return.
enum ConvertDialogResult : int {
    kConvertDialogFailed = 0,    // the conversion reported a message; go on with the next entry
    kConvertDialogConverted = 1, // converted (in batch mode: every marked file of the kind)
    kConvertDialogStop = 2,      // Cancel, or a container asked the batch to stop
};

// The PC-to-TI dialog for the plain PC file entry of source (a PC
// directory), converting into destination (PC directory, floppy image,
// CF7A+ volume or hard-disk image). Defaults come from the rule for the
// entry's extension. With batch set, every marked plain PC file of source
// is converted with the chosen type, length and method under its own name,
// and unmarked; the first failure ends the batch. fill, when given, receives
// the descriptor of the (last) file written: TI name, flags, record length.
// A PC directory destination is listed again by the caller.
int RunPcToTiDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
                    const CatalogEntry &entry, TiFileDescriptor *fill, bool batch);

// The TI-to-PC dialog for the TI file entry of source, into the PC
// directory destination (other destinations are refused with the two
// messages before the dialog opens; the result is then kConvertDialogFailed).
// With batch set, the marked TI files of the entry's type (and, except
// PROGRAM, record length) are converted, each under its own name.
int RunTiToPcDialog(QWidget *owner, Ui &ui, Location &destination, Location &source,
                    const CatalogEntry &entry, bool batch);

// The shell commands (PaneOperation::ConvertPcToTi and ConvertTiToPc): the
// marked entries of the pane side (or its cursor entry) into the other pane.
// Both panes are listed again afterwards. True: handled.
bool RunConvertPcToTi(QWidget *owner, Shell &shell, Ui &ui, int side);
bool RunConvertTiToPc(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
