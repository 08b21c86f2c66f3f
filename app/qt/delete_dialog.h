// The "Delete file(s)" dialog: asks whether to delete the marked entries of
// the active pane (or its cursor entry) and deletes them with Delete; the
// pane's cursor and first line return to the top afterwards.
#pragma once

#include "app/qt/pane_operations.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel
{

// PaneOperation::Delete. Always true.
bool RunDeleteDialog(QWidget *owner, Shell &shell, Ui &ui, int side);

class DeleteDialog : public OperationDialog
{
public:
    DeleteDialog(QWidget *owner, Shell &shell, Ui &ui, int side);
    int Run() { return RunCentred(); }

private:
    void Delete();

    Shell &m_shell;
    int m_side;
    QLabel *m_text = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_delete = nullptr;
};

} // namespace kestrel
