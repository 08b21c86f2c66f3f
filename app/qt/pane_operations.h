// The file operations that the pane keys and menu commands start (F5 copy,
// F6 rename, F7 new directory, Delete, the header conversions and the file
// attributes), each in its own dialog, on the active pane with the other
// pane as the destination; the panes an operation changed are listed again.
#pragma once

#include <functional>

#include <QDialog>

#include "app/qt/forwarding_ui.h"
#include "app/shell/shell.h"
#include "app/shell/shell_host.h"
#include "tifs/ui.h"

class QWidget;
class QBoxLayout;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel
{

// Returns true when the operation is one of those handled here: Copy,
// Delete, Rename, NewDirectory, ToV9t9, ToTifiles and SetAttributes.
bool RunPaneOperation(QWidget *owner, Shell &shell, Ui &ui, int side, PaneOperation operation);

// The Ui an operation runs with while its dialog is open: message boxes and
// questions go to the program's Ui (and the last message number follows
// them both ways), while progress, the status text and Cancel belong to the
// dialog. Each pump also redraws the panes, so that entries lose their marks
// on screen as they are handled.
class DialogUi : public ForwardingUi
{
public:
    explicit DialogUi(Ui &inner);

    void SetProgressBar(QProgressBar *bar) { m_bar = bar; }
    void SetStatusLabel(QLabel *label) { m_status = label; }
    void SetRedraw(std::function<void()> redraw) { m_redraw = std::move(redraw); }

    // Cancel pressed while an operation runs: the operation sees it at its
    // next check and stops after the entry in hand.
    void RequestCancel() { m_cancel = true; }
    void ClearCancel() { m_cancel = false; }
    bool CancelRequested() const { return m_cancel; }

    // Takes the program's last message number before an operation starts
    // and gives it back afterwards.
    void PullLastMessage() { SetLastMessage(m_inner.LastMessage()); }
    void PushLastMessage() { m_inner.SetLastMessage(LastMessage()); }

    void SetProgressRange(uint32_t maximum) override;
    void SetProgressPosition(uint32_t position) override;
    void SetStatusText(const std::string &text) override;
    void PumpPendingMessages() override;
    bool CancelPressed() override { return m_cancel; }

protected:
    // The number a report stored travels with its box.
    void BeforeError() override { PushLastMessage(); }

private:
    QProgressBar *m_bar = nullptr;
    QLabel *m_status = nullptr;
    std::function<void()> m_redraw;
    bool m_cancel = false;
};

// What the operation dialogs share: the busy flag from OK until the
// operation returns, Cancel that closes the dialog when idle and only
// records the request while busy, and the DialogUi the operation runs with.
class OperationDialog : public QDialog
{
public:
    OperationDialog(QWidget *owner, Ui &ui, const char *caption);

    bool Busy() const { return m_busy; }
    DialogUi &OperationUi() { return m_ui; }
    Ui &ProgramUi() { return m_programUi; }

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

    // Sizes the dialog, centres it over its owner and runs it.
    int RunCentred();

    // The button row at the foot of the dialog: the action button (the
    // default, named actionName for tests) and "Cancel", which rejects as
    // the title bar's close does. Returns the action button; cancel, when
    // given, receives the Cancel button.
    QPushButton *AddButtonRow(QBoxLayout *layout, const QString &actionText, const char *actionName,
                              const std::function<void()> &action, QPushButton **cancel = nullptr);

    // Runs work with the busy flag set, OK disabled and a fresh Cancel
    // request; the last message number travels in and out.
    void RunBusy(QPushButton *ok, const std::function<void()> &work);

private:
    Ui &m_programUi;
    DialogUi m_ui;
    bool m_busy = false;
};

} // namespace kestrel
