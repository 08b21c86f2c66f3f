#include "app/qt/pane_operations.h"

#include <QInputDialog>
#include <QLineEdit>

#include "ops/copy.h"
#include "ops/delete_entries.h"
#include "ops/new_directory.h"
#include "ops/rename_entry.h"

namespace kestrel {

namespace {

// Asks for a name with the field's filter applied to what was typed; false
// when the user cancelled.
bool AskName(QWidget *owner, const QString &title, const QString &label, NameFilter filter,
             const std::string &prefill, std::string &name)
{
    bool ok = false;
    QString typed = QInputDialog::getText(owner, title, label, QLineEdit::Normal,
                                          QString::fromLatin1(prefill.c_str()), &ok);
    if (!ok)
        return false;
    name = ApplyNameFilter(filter, typed.toLatin1().toStdString());
    return !name.empty();
}

} // namespace

bool RunPaneOperation(QWidget *owner, Shell &shell, Ui &ui, int side, PaneOperation operation)
{
    Pane &pane = shell.GetPane(side);
    Pane &other = shell.GetPane(1 - side);
    CatalogEntry *cursor = pane.CursorEntry();
    switch (operation) {
    case PaneOperation::Copy: {
        RunCopy(other.location, pane.location, cursor, CopyOptions{}, ui);
        shell.Reread(1 - side);
        shell.Reread(side);
        return true;
    }
    case PaneOperation::Delete: {
        if (!CheckDelete(pane.location, cursor, ui))
            return true;
        if (ui.AskQuestion(DeleteQuestion(pane.location, cursor), QuestionButtons::YesNo) !=
            Answer::Yes)
            return true;
        DeleteEntries(pane.location, cursor, DeleteOptions{}, ui);
        shell.Reread(side);
        return true;
    }
    case PaneOperation::Rename: {
        if (cursor == nullptr || !CheckRename(pane.location, cursor, ui))
            return true;
        RenameOptions options;
        if (!AskName(owner, "Rename", "New name:", RenameFilterFor(pane.location, *cursor),
                     RenamePrefill(pane.location, *cursor), options.newName))
            return true;
        RenameEntry(pane.location, *cursor, options, ui);
        shell.Reread(side);
        return true;
    }
    case PaneOperation::NewDirectory: {
        if (!CheckNewDirectory(pane.location, ui))
            return true;
        NewDirectoryOptions options;
        if (!AskName(owner, "New directory", "Name:", NameFilter::Label, std::string(),
                     options.name))
            return true;
        CreateNewDirectory(pane.location, options, ui);
        shell.Reread(side);
        return true;
    }
    default:
        return false;
    }
}

} // namespace kestrel
