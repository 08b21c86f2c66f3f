#include "app/qt/pack_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/input_filters.h"
#include "ops/copy.h"
#include "ops/pack_archive.h"

namespace kestrel
{

namespace
{

// A PC file name in a folder; inside an image only its first 10 characters
// up to a period make the TI name.
constexpr int kArchiveNameLength = 30;

} // namespace

PackArchiveDialog::PackArchiveDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
    : OperationDialog(owner, ui, "Pack to archive"), m_shell(shell), m_side(side)
{
    auto *layout = new QVBoxLayout(this);
    const Location &source = shell.GetPane(side).location;
    size_t marked = 0;
    for (const auto &entry : source.entries)
        marked += entry->marked && IsTiFileKind(entry->ti.kind);
    const QString heading = marked > 0 ? QString("Pack %1 TI files to an archive named").arg(marked)
                                       : QString("Pack the TI file to an archive named");
    auto *label = new QLabel(heading);
    layout->addWidget(label);
    m_name = new QLineEdit;
    m_name->setObjectName("ArchiveName");
    m_name->setMaxLength(kArchiveNameLength);
    InstallInputFilter(m_name, InputFilter::PcName);
    label->setBuddy(m_name);
    layout->addWidget(m_name);
    m_plain = new QCheckBox("Store without compression (DIS/FIX 128)");
    m_plain->setObjectName("Plain");
    layout->addWidget(m_plain);

    m_ok = AddButtonRow(layout, "Pack", "OK", [this] { Ok(); });
    m_name->setFocus();
}

void PackArchiveDialog::Ok()
{
    if (Busy())
        return;
    PackOptions options;
    options.name = m_name->text().toLatin1().toStdString();
    options.plain = m_plain->isChecked();
    if (options.name.empty()) {
        ProgramUi().ShowWarning("Please enter a name for the archive");
        m_name->setFocus();
        return;
    }
    Pane &pane = m_shell.GetPane(m_side);
    Location &destination = m_shell.GetPane(1 - m_side).location;
    CatalogEntry *cursor = pane.CursorEntry();
    RunBusy(m_ok, [&] { PackMarked(destination, pane.location, cursor, options, OperationUi()); });
    m_shell.Reread(1 - m_side);
    m_shell.Redraw(m_side);
    accept();
}

bool RunPackArchiveDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    if (!CheckPack(shell.GetPane(1 - side).location, ui))
        return true;
    PackArchiveDialog dialog(owner, shell, ui, side);
    dialog.Run();
    return true;
}

} // namespace kestrel
