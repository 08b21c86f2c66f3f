#include "app/qt/header_dialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/dialog_helpers.h"
#include "ops/copy.h"
#include "tifs/messages.h"

namespace kestrel
{

namespace
{

constexpr int kMsgOnlyConvertInDirectory = 55;
constexpr int kMsgOnlyAttributesInDirectory = 56;

const char *CaptionOf(HeaderDialog::Mode mode)
{
    switch (mode) {
    case HeaderDialog::Mode::ToV9t9:
        return "Convert to V9T9 format";
    case HeaderDialog::Mode::ToTifiles:
        return "Convert to TIFILES format";
    case HeaderDialog::Mode::Attributes:
        break;
    }
    return "Set file attributes";
}

bool Qualifies(const CatalogEntry &entry, HeaderDialog::Mode mode)
{
    switch (mode) {
    case HeaderDialog::Mode::ToV9t9:
        return QualifiesForHeaderConversion(entry, HeaderTarget::V9t9);
    case HeaderDialog::Mode::ToTifiles:
        return QualifiesForHeaderConversion(entry, HeaderTarget::Tifiles);
    case HeaderDialog::Mode::Attributes:
        break;
    }
    return IsTiFileKind(entry.ti.kind);
}

// A hard-disk image showing a directory inside a partition (not the
// partition list of a partitioned image).
bool ShowsHdDirectory(const Location &location)
{
    if (location.kind != kLocHdImage && location.kind != kLocHdPartition)
        return false;
    if (location.containerEntries.empty())
        return false;
    return !(location.containerEntries.size() == 1 &&
             location.containerEntries[0].ti.kind == kKindPartitionedImage);
}

} // namespace

AttributeBox::AttributeBox(const QString &text, int state) : QCheckBox(text)
{
    setTristate(true);
    SetState(state);
}

int AttributeBox::State() const
{
    switch (checkState()) {
    case Qt::Unchecked:
        return kAttrClear;
    case Qt::Checked:
        return kAttrSet;
    default:
        return kAttrKeep;
    }
}

void AttributeBox::SetState(int state)
{
    setCheckState(state == kAttrClear ? Qt::Unchecked
                  : state == kAttrSet ? Qt::Checked
                                      : Qt::PartiallyChecked);
}

void AttributeBox::nextCheckState()
{
    SetState(NextAttributeState(State()));
}

HeaderDialog::HeaderDialog(QWidget *owner, Shell &shell, Ui &ui, int side, Mode mode)
    : OperationDialog(owner, ui, CaptionOf(mode)), m_shell(shell), m_side(side), m_mode(mode)
{
    Pane &pane = shell.GetPane(side);
    const bool batch = IsBatch(pane.location);
    m_entries = EntriesToHandle(pane.location, pane.CursorEntry());
    std::vector<const CatalogEntry *> qualifying;
    for (const CatalogEntry *entry : m_entries)
        if (Qualifies(*entry, mode))
            qualifying.push_back(entry);
    const std::string verb = mode == Mode::Attributes ? "set attributes for" : "convert";

    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(QString::fromLatin1(ConfirmationText(qualifying, batch, verb).c_str()));
    m_text->setObjectName("Confirmation");
    layout->addWidget(m_text);
    if (mode == Mode::Attributes) {
        const AttributeOptions start =
            InitialAttributeOptions(batch ? nullptr : pane.CursorEntry());
        m_protect = new AttributeBox("Write protect", start.protect);
        m_protect->setObjectName("WriteProtect");
        m_archive = new AttributeBox("Archive", start.archive);
        m_archive->setObjectName("Archive");
        auto *row = new QHBoxLayout;
        row->addWidget(m_protect);
        row->addWidget(m_archive);
        layout->addLayout(row);
    }
    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setTextVisible(false);
    SetProgressRange(m_progress, 1);
    SetProgressPosition(m_progress, 0);
    layout->addWidget(m_progress);

    m_ok = AddButtonRow(layout, "OK", "OK", [this] { Ok(); });
    // With nothing to work on only Cancel is left; the marks stay.
    m_ok->setEnabled(!qualifying.empty());

    DialogUi &dui = OperationUi();
    dui.SetProgressBar(m_progress);
    dui.SetStatusLabel(m_text);
    dui.SetRedraw([this] { m_shell.Redraw(m_side); });
}

void HeaderDialog::Ok()
{
    if (Busy())
        return;
    const Location &location = m_shell.GetPane(m_side).location;
    RunBusy(m_ok, [&] {
        if (m_mode == Mode::Attributes) {
            AttributeOptions options;
            options.protect = m_protect->State();
            options.archive = m_archive->State();
            SetAttributes(OperationUi(), location, m_entries, options);
        } else {
            ConvertHeaders(OperationUi(), location, m_entries,
                           m_mode == Mode::ToV9t9 ? HeaderTarget::V9t9 : HeaderTarget::Tifiles);
        }
    });
    m_shell.Redraw(m_side);
    accept();
}

bool RunHeaderConversionDialog(QWidget *owner, Shell &shell, Ui &ui, int side, HeaderTarget target)
{
    if (shell.GetPane(side).location.kind != kLocPcDirectory) {
        ReportError(ui, kMsgOnlyConvertInDirectory);
        return true;
    }
    HeaderDialog dialog(owner, shell, ui, side,
                        target == HeaderTarget::V9t9 ? HeaderDialog::Mode::ToV9t9
                                                     : HeaderDialog::Mode::ToTifiles);
    dialog.Run();
    return true;
}

bool RunAttributesDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    const bool allowed = pane.location.kind == kLocPcDirectory || ShowsHdDirectory(pane.location);
    std::vector<CatalogEntry *> entries = EntriesToHandle(pane.location, pane.CursorEntry());
    const bool badSingle = entries.size() == 1 && (entries[0]->ti.kind == kKindSubdir ||
                                                   entries[0]->ti.kind == kKindUpDir);
    if (!allowed || badSingle) {
        ReportError(ui, kMsgOnlyAttributesInDirectory);
        return true;
    }
    HeaderDialog dialog(owner, shell, ui, side, HeaderDialog::Mode::Attributes);
    dialog.Run();
    return true;
}

} // namespace kestrel
