// The dialog "Create new DSK image": a volume label and one of the six floppy
// presets. The same dialog formats a CF7A+ volume, with its own title and
// only the CF7A+ preset offered. Also the Ui that the disk dialogs hand to
// the core while they run, so that its progress shows in the dialog itself.
#pragma once

#include <functional>
#include <string>

#include <QDialog>
#include <QString>

#include "app/qt/input_filters.h"
#include "app/shell/shell.h"
#include "tifs/floppy/floppy_geometry.h"
#include "app/qt/forwarding_ui.h"
#include "tifs/ui.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace kestrel
{

constexpr const char *kNewDskDialogName = "Create new DSK image";
constexpr const char *kEnterVolumeLabel = "Please enter a volume label";

// Passes every box and question on to the program's Ui, and shows progress,
// the status text and the dialog's Cancel button in the dialog's own
// widgets. The last message number is taken from the inner Ui at the start
// and given back by Finish.
class DiskDialogUi : public ForwardingUi
{
public:
    DiskDialogUi(Ui &inner, QProgressBar *bar, QLabel *status);

    void SetProgressRange(uint32_t maximum) override;
    void SetProgressPosition(uint32_t position) override;
    void SetStatusText(const std::string &text) override;
    void PumpPendingMessages() override;
    bool CancelPressed() override { return m_cancelled; }

    // The dialog's Cancel during the run.
    void Cancel() { m_cancelled = true; }
    // Gives the last message number back to the inner Ui.
    void Finish() { m_inner.SetLastMessage(LastMessage()); }

private:
    QProgressBar *m_bar;
    QLabel *m_status;
    bool m_cancelled = false;
};

class NewDskDialog : public QDialog
{
public:
    // What OK does with the label and preset; runs while the dialog is open
    // (its progress bar shows the writing) and the dialog closes afterwards.
    using Action = std::function<void(const std::string &label, int preset, Ui &ui)>;

    struct Options {
        QString title = kNewDskDialogName;
        QString okText = "OK";
        InputFilter labelFilter = InputFilter::Label;
        int onlyPreset = -1; // >= 0: the one preset offered, checked
    };

    NewDskDialog(QWidget *owner, Ui &ui, const Options &options, Action action);

    std::string Label() const;
    int Preset() const;

    // Closing is refused while the image is being written.
    void reject() override;

private:
    void Accept();

    Ui &m_ui;
    Action m_action;
    bool m_running = false;
    QLineEdit *m_label = nullptr;
    QRadioButton *m_presets[kPresetCount] = {};
    QProgressBar *m_progress = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

// PaneOperation::CreateDskImage: a new image in the pane's PC directory,
// which is listed again afterwards.
bool RunCreateDskImage(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
