// The "Create new directory" dialog: a name of at most 10 characters,
// filtered as TI names are, created in the active pane's PC directory or
// hard-disk directory. An empty name is refused with the dialog kept open.
#pragma once

#include "app/qt/pane_operations.h"

class QLineEdit;
class QPushButton;

namespace kestrel
{

// PaneOperation::NewDirectory. Always true.
bool RunNewDirectoryDialog(QWidget *owner, Shell &shell, Ui &ui, int side);

class NewDirectoryDialog : public OperationDialog
{
public:
    NewDirectoryDialog(QWidget *owner, Shell &shell, Ui &ui, int side);
    int Run() { return RunCentred(); }

private:
    void Ok();

    Shell &m_shell;
    int m_side;
    QLineEdit *m_name = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace kestrel
