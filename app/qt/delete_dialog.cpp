#include "app/qt/delete_dialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/dialog_helpers.h"
#include "ops/delete_entries.h"

namespace kestrel
{

DeleteDialog::DeleteDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
    : OperationDialog(owner, ui, "Delete file(s)"), m_shell(shell), m_side(side)
{
    Pane &pane = shell.GetPane(side);
    auto *layout = new QVBoxLayout(this);
    m_text =
        new QLabel(QString::fromLatin1(DeleteQuestion(pane.location, pane.CursorEntry()).c_str()));
    m_text->setObjectName("Question");
    layout->addWidget(m_text);
    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setTextVisible(false);
    SetProgressRange(m_progress, 1);
    SetProgressPosition(m_progress, 0);
    layout->addWidget(m_progress);

    m_delete = AddButtonRow(layout, "Delete", "Delete", [this] { Delete(); });

    DialogUi &dui = OperationUi();
    dui.SetProgressBar(m_progress);
    dui.SetStatusLabel(m_text);
    dui.SetRedraw([this] { m_shell.Redraw(m_side); });
}

void DeleteDialog::Delete()
{
    if (Busy())
        return;
    Pane &pane = m_shell.GetPane(m_side);
    RunBusy(m_delete, [&] {
        DeleteEntries(pane.location, pane.CursorEntry(), DeleteOptions{}, OperationUi());
    });
    pane.cursor = 0;
    pane.top = 0;
    m_shell.Reread(m_side);
    accept();
}

bool RunDeleteDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    if (!CheckDelete(pane.location, pane.CursorEntry(), ui))
        return true;
    DeleteDialog dialog(owner, shell, ui, side);
    dialog.Run();
    return true;
}

} // namespace kestrel
