// The "Pack to archive" dialog: the archive's name and whether it is stored
// without compression; the marked TI files of the active pane (or its cursor
// file) are packed into the other pane's location.
#pragma once

#include "app/qt/pane_operations.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kestrel
{

// PaneOperation::PackArchive. Always true.
bool RunPackArchiveDialog(QWidget *owner, Shell &shell, Ui &ui, int side);

class PackArchiveDialog : public OperationDialog
{
public:
    PackArchiveDialog(QWidget *owner, Shell &shell, Ui &ui, int side);
    int Run() { return RunCentred(); }

private:
    void Ok();

    Shell &m_shell;
    int m_side;
    QLineEdit *m_name = nullptr;
    QCheckBox *m_plain = nullptr;
    QPushButton *m_ok = nullptr;
};

} // namespace kestrel
