// The Rename dialog: "Rename <%s> to" over a name field prefilled with the
// cursor entry's current name and filtered as the location's names must be.
// An empty field is refused with the dialog kept open; an unchanged name
// closes it without touching anything.
#pragma once

#include "app/qt/pane_operations.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrel
{

// PaneOperation::Rename. Always true.
bool RunRenameDialog(QWidget *owner, Shell &shell, Ui &ui, int side);

class RenameDialog : public OperationDialog
{
public:
    RenameDialog(QWidget *owner, Shell &shell, Ui &ui, int side);
    int Run() { return RunCentred(); }

private:
    void Ok();

    Shell &m_shell;
    int m_side;
    std::string m_prefill;
    QLineEdit *m_name = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace kestrel
