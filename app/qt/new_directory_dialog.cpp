#include "app/qt/new_directory_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/input_filters.h"
#include "ops/new_directory.h"

namespace kestrel
{

namespace
{

constexpr int kDirectoryNameLength = 10;

} // namespace

NewDirectoryDialog::NewDirectoryDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
    : OperationDialog(owner, ui, "Create new directory"), m_shell(shell), m_side(side)
{
    auto *layout = new QVBoxLayout(this);
    auto *label = new QLabel("Directory name");
    layout->addWidget(label);
    m_name = new QLineEdit;
    m_name->setObjectName("DirectoryName");
    m_name->setMaxLength(kDirectoryNameLength);
    InstallInputFilter(m_name, InputFilter::Name);
    label->setBuddy(m_name);
    layout->addWidget(m_name);

    m_ok = AddButtonRow(layout, "OK", "OK", [this] { Ok(); });
    m_name->setFocus();
}

void NewDirectoryDialog::Ok()
{
    if (Busy())
        return;
    NewDirectoryOptions options;
    options.name = m_name->text().toLatin1().toStdString();
    if (options.name.empty()) {
        ProgramUi().ShowWarning("Please enter a name for the directory");
        m_name->setFocus();
        return;
    }
    Pane &pane = m_shell.GetPane(m_side);
    bool made = false;
    RunBusy(m_ok, [&] { made = CreateNewDirectory(pane.location, options, OperationUi()); });
    if (made)
        m_shell.Reread(m_side);
    else
        m_shell.Redraw(m_side);
    accept();
}

bool RunNewDirectoryDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    if (!CheckNewDirectory(shell.GetPane(side).location, ui))
        return true;
    NewDirectoryDialog dialog(owner, shell, ui, side);
    dialog.Run();
    return true;
}

} // namespace kestrel
