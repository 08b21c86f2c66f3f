#include "app/qt/pane_operations.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/common_dialogs.h"
#include "app/qt/copy_dialog.h"
#include "app/qt/delete_dialog.h"
#include "app/qt/dialog_frame.h"
#include "app/qt/dialog_helpers.h"
#include "app/qt/header_dialog.h"
#include "app/qt/new_directory_dialog.h"
#include "app/qt/pack_dialog.h"
#include "app/qt/rename_dialog.h"

namespace kestrel
{

DialogUi::DialogUi(Ui &inner) : ForwardingUi(inner)
{
    PullLastMessage();
}

void DialogUi::SetProgressRange(uint32_t maximum)
{
    // An empty range would make the bar an endless busy indicator.
    if (m_bar) {
        kestrel::SetProgressRange(m_bar, maximum == 0 ? 1 : maximum);
        kestrel::SetProgressPosition(m_bar, 0);
    }
}

void DialogUi::SetProgressPosition(uint32_t position)
{
    if (m_bar)
        kestrel::SetProgressPosition(m_bar, position);
}

void DialogUi::SetStatusText(const std::string &text)
{
    if (m_status)
        m_status->setText(QString::fromLatin1(text.c_str()));
}

void DialogUi::PumpPendingMessages()
{
    if (m_redraw)
        m_redraw();
    kestrel::PumpPendingMessages();
}

OperationDialog::OperationDialog(QWidget *owner, Ui &ui, const char *caption)
    : QDialog(owner), m_programUi(ui), m_ui(ui)
{
    setObjectName(caption);
    setWindowTitle(caption);
    setModal(true);
}

void OperationDialog::reject()
{
    if (m_busy) {
        m_ui.RequestCancel();
        return;
    }
    QDialog::reject();
}

void OperationDialog::closeEvent(QCloseEvent *event)
{
    if (m_busy) {
        m_ui.RequestCancel();
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

int OperationDialog::RunCentred()
{
    FixDialogFrame(this);
    adjustSize();
    CenterOver(this, parentWidget());
    return exec();
}

QPushButton *OperationDialog::AddButtonRow(QBoxLayout *layout, const QString &actionText,
                                           const char *actionName,
                                           const std::function<void()> &action,
                                           QPushButton **cancel)
{
    auto *buttons = new QDialogButtonBox;
    QPushButton *act = buttons->addButton(actionText, QDialogButtonBox::AcceptRole);
    act->setObjectName(actionName);
    act->setDefault(true);
    QPushButton *no = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    no->setObjectName("Cancel");
    layout->addWidget(buttons);
    connect(act, &QPushButton::clicked, this, action);
    connect(no, &QPushButton::clicked, this, [this] { reject(); });
    if (cancel)
        *cancel = no;
    return act;
}

void OperationDialog::RunBusy(QPushButton *ok, const std::function<void()> &work)
{
    m_busy = true;
    if (ok)
        ok->setEnabled(false);
    m_ui.ClearCancel();
    m_ui.PullLastMessage();
    work();
    m_ui.PushLastMessage();
    if (ok)
        ok->setEnabled(true);
    m_busy = false;
}

bool RunPaneOperation(QWidget *owner, Shell &shell, Ui &ui, int side, PaneOperation operation)
{
    switch (operation) {
    case PaneOperation::Copy:
        RunCopyDialog(owner, shell, ui, side);
        return true;
    case PaneOperation::Delete:
        RunDeleteDialog(owner, shell, ui, side);
        return true;
    case PaneOperation::Rename:
        RunRenameDialog(owner, shell, ui, side);
        return true;
    case PaneOperation::NewDirectory:
        RunNewDirectoryDialog(owner, shell, ui, side);
        return true;
    case PaneOperation::PackArchive:
        RunPackArchiveDialog(owner, shell, ui, side);
        return true;
    case PaneOperation::ToV9t9:
        RunHeaderConversionDialog(owner, shell, ui, side, HeaderTarget::V9t9);
        return true;
    case PaneOperation::ToTifiles:
        RunHeaderConversionDialog(owner, shell, ui, side, HeaderTarget::Tifiles);
        return true;
    case PaneOperation::SetAttributes:
        RunAttributesDialog(owner, shell, ui, side);
        return true;
    default:
        return false;
    }
}

} // namespace kestrel
