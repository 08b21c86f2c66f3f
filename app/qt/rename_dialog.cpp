#include "app/qt/rename_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/input_filters.h"
#include "ops/rename_entry.h"
#include "tifs/messages.h"

namespace kestrel
{

namespace
{

InputFilter FilterFor(NameFilter filter)
{
    switch (filter) {
    case NameFilter::PcName:
        return InputFilter::PcName;
    case NameFilter::Label:
        return InputFilter::Label;
    case NameFilter::TiName:
        break;
    }
    return InputFilter::Name;
}

// The name the heading shows: the PC name of a plain PC file, else the TI
// name without its padding (the PC name when there is none).
std::string ShownName(const CatalogEntry &entry)
{
    if (entry.ti.kind == kKindDos)
        return entry.pcName;
    std::string name = entry.ti.tiName;
    size_t end = name.find_last_not_of(' ');
    name = end == std::string::npos ? std::string() : name.substr(0, end + 1);
    return name.empty() ? entry.pcName : name;
}

} // namespace

RenameDialog::RenameDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
    : OperationDialog(owner, ui, "Rename"), m_shell(shell), m_side(side)
{
    Pane &pane = shell.GetPane(side);
    const CatalogEntry &entry = *pane.CursorEntry();
    const NameFilter filter = RenameFilterFor(pane.location, entry);
    m_prefill = RenamePrefill(pane.location, entry);

    auto *layout = new QVBoxLayout(this);
    auto *heading =
        new QLabel(QString::fromLatin1(FormatText("Rename <%s> to", {ShownName(entry)}).c_str()));
    heading->setObjectName("Heading");
    layout->addWidget(heading);
    m_name = new QLineEdit;
    m_name->setObjectName("NewName");
    m_name->setMaxLength(static_cast<int>(NameFilterLength(filter)));
    m_name->setText(QString::fromLatin1(m_prefill.c_str()));
    InstallInputFilter(m_name, FilterFor(filter));
    m_name->selectAll();
    heading->setBuddy(m_name);
    layout->addWidget(m_name);

    m_ok = AddButtonRow(layout, "OK", "OK", [this] { Ok(); });
    m_name->setFocus();
}

void RenameDialog::Ok()
{
    if (Busy())
        return;
    const std::string typed = m_name->text().toLatin1().toStdString();
    if (typed.empty()) {
        ProgramUi().ShowWarning("Please enter a name for the file or directory");
        m_name->setFocus();
        return;
    }
    if (typed == m_prefill) {
        // Nothing was changed: the entry and its file stay as they are.
        accept();
        return;
    }
    Pane &pane = m_shell.GetPane(m_side);
    int renamed = -1;
    RunBusy(m_ok, [&] {
        RenameOptions options;
        options.newName = typed;
        RenameEntry(pane.location, *pane.CursorEntry(), options, OperationUi(), &renamed);
    });
    if (renamed >= 0 && renamed < pane.Count())
        pane.cursor = renamed;
    else if (pane.cursor >= pane.Count())
        pane.cursor = std::max(0, pane.Count() - 1);
    m_shell.Redraw(m_side);
    accept();
}

bool RunRenameDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    const CatalogEntry *cursor = pane.CursorEntry();
    if (!CheckRename(pane.location, cursor, ui) || cursor == nullptr)
        return true;
    RenameDialog dialog(owner, shell, ui, side);
    dialog.Run();
    return true;
}

} // namespace kestrel
