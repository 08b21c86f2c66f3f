#include "app/qt/extract_commands.h"

#include <functional>

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/convert_dialogs.h"
#include "app/qt/common_dialogs.h"
#include "app/qt/dialog_helpers.h"
#include "ops/extract.h"
#include "ops/hfe_conversions.h"
#include "ops/safe_replace.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgPc99ToItself = 50;
constexpr int kMsgPc99OnlyToDirectory = 51;
constexpr int kMsgExtractOnlyToDirectory = 52;
constexpr int kMsgArcOnlyToDirectory = 53;

QString Latin(const std::string &text)
{
    return QString::fromLatin1(text.c_str());
}

bool IsExtractable(const CatalogEntry &entry)
{
    bool image = IsFloppyImageKind(entry.ti.kind);
    return (image && entry.containerKind == 0) || IsArcCandidate(entry);
}

bool IsPc99(const CatalogEntry &entry)
{
    return entry.ti.kind == kKindPc99Sd || entry.ti.kind == kKindPc99Dd;
}

// The entries a command will handle: the marked ones of the kind, else the
// cursor entry when it is of the kind. Only their number and the first one
// are needed here; the operation picks them again itself.
struct Selection {
    unsigned marked = 0;
    CatalogEntry *single = nullptr;
    bool Empty() const { return marked == 0 && single == nullptr; }
};

Selection Select(Pane &pane, bool (*ofKind)(const CatalogEntry &))
{
    Selection selection;
    bool anyMarked = false;
    for (auto &entry : pane.location.entries) {
        if (entry->marked) {
            anyMarked = true;
            if (ofKind(*entry))
                ++selection.marked;
        }
    }
    CatalogEntry *cursor = pane.CursorEntry();
    if (!anyMarked && cursor != nullptr && ofKind(*cursor))
        selection.single = cursor;
    return selection;
}

// The name a heading shows for one entry: the PC form of its TI name, or
// the PC name of a plain PC file.
std::string HeadingName(const CatalogEntry &entry)
{
    if (entry.ti.kind == kKindDos)
        return entry.pcName;
    std::string tiName = entry.ti.tiName;
    while (!tiName.empty() && tiName.back() == ' ')
        tiName.pop_back();
    return TiNameToPcName(tiName, ProgramSettings().zubCompatible);
}

class ContainerDialog : public QDialog
{
public:
    using Work = std::function<void(ConversionDialogUi &)>;

    ContainerDialog(QWidget *owner, Ui &ui, const QString &title, const QString &heading,
                    const std::string &destination, bool containerBar, Work work)
        : QDialog(owner), m_ui(ui), m_work(std::move(work))
    {
        setObjectName("containerDialog");
        setWindowTitle(title);
        auto *layout = new QVBoxLayout(this);
        auto *headingLabel = new QLabel(heading, this);
        headingLabel->setObjectName("heading");
        layout->addWidget(headingLabel);
        auto *destinationLabel = new QLabel(Latin(destination), this);
        destinationLabel->setObjectName("destination");
        layout->addWidget(destinationLabel);
        m_files = new QProgressBar(this);
        m_files->setObjectName("fileProgress");
        m_files->setRange(0, 1);
        m_files->setValue(0);
        layout->addWidget(m_files);
        if (containerBar) {
            m_containers = new QProgressBar(this);
            m_containers->setObjectName("containerProgress");
            m_containers->setRange(0, 1);
            m_containers->setValue(0);
            layout->addWidget(m_containers);
        }
        auto *buttons = new QHBoxLayout;
        m_ok = new QPushButton("OK", this);
        m_ok->setObjectName("ok");
        m_ok->setDefault(true);
        auto *cancel = new QPushButton("Cancel", this);
        cancel->setObjectName("cancel");
        buttons->addStretch();
        buttons->addWidget(m_ok);
        buttons->addWidget(cancel);
        layout->addLayout(buttons);
        connect(m_ok, &QPushButton::clicked, this, [this] { Start(); });
        connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
    }

    // The number of containers the batch will go through.
    void SetContainerCount(unsigned count)
    {
        if (m_containers != nullptr)
            kestrel::SetProgressRange(m_containers, count);
    }

    void reject() override
    {
        if (m_busy) {
            m_cancelled = true;
            return;
        }
        QDialog::reject();
    }

private:
    void Start()
    {
        if (m_busy)
            return;
        m_busy = true;
        m_ok->setEnabled(false);
        {
            ConversionDialogUi ui(m_ui, m_files, m_cancelled);
            unsigned started = 0;
            if (m_containers != nullptr) {
                // Each container starts its file bar afresh: that is the
                // moment the container bar moves on.
                ui.OnRange([this, &started] {
                    kestrel::SetProgressPosition(m_containers, ++started);
                });
            }
            m_work(ui);
        }
        m_busy = false;
        accept();
    }

    Ui &m_ui;
    Work m_work;
    QProgressBar *m_files = nullptr;
    QProgressBar *m_containers = nullptr;
    QPushButton *m_ok = nullptr;
    bool m_busy = false;
    bool m_cancelled = false;
};

void RunContainerDialog(QWidget *owner, Shell &shell, Ui &ui, int side, const QString &title,
                        const QString &heading, unsigned count, bool containerBar,
                        ContainerDialog::Work work)
{
    const Location &destination = shell.GetPane(1 - side).location;
    {
        ContainerDialog dialog(owner, ui, title, heading, shell.Locations().PathLine(destination),
                               containerBar, std::move(work));
        dialog.SetContainerCount(count);
        dialog.adjustSize();
        // Modal before CenterOver shows it, or exec() would find it shown modeless.
        dialog.setWindowModality(Qt::ApplicationModal);
        CenterOver(&dialog, owner);
        dialog.exec();
    }
    shell.Reread(1 - side);
    shell.Redraw(side);
}

unsigned CountOf(const Selection &selection)
{
    return selection.marked > 0 ? selection.marked : 1;
}

} // namespace

bool RunExtractAll(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgExtractOnlyToDirectory);
        return true;
    }
    Selection selection = Select(pane, IsExtractable);
    if (selection.Empty())
        return true;
    QString heading =
        selection.marked > 0
            ? QString("Extract %1 ARC or DSK files to").arg(selection.marked)
            : Latin(FormatText("Extract ARC or DSK files of <%s> to",
                               {HeadingName(*selection.single)}));
    CatalogEntry *cursor = selection.single;
    RunContainerDialog(owner, shell, ui, side, "Extract files from ARC's and DSK's", heading,
                       CountOf(selection), true, [&](ConversionDialogUi &progress) {
                           ExtractContainers(destination, pane.location, cursor, ExtractOptions{},
                                             progress);
                       });
    return true;
}

bool RunArcToDsk(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgArcOnlyToDirectory);
        return true;
    }
    Selection selection = Select(pane, IsArcCandidate);
    if (selection.Empty())
        return true;
    QString heading = selection.marked > 0
                          ? QString("Convert %1 ARC files to").arg(selection.marked)
                          : Latin(FormatText("Convert ARC file <%s> to",
                                             {HeadingName(*selection.single)}));
    CatalogEntry *cursor = selection.single;
    RunContainerDialog(owner, shell, ui, side, "Convert ARC to V9T9 DSK image(s)", heading,
                       CountOf(selection), true, [&](ConversionDialogUi &progress) {
                           ConvertArcsToDsk(destination, pane.location, cursor, ExtractOptions{},
                                            progress);
                       });
    return true;
}

bool RunPc99ToDsk(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    if (destination.kind == kLocPcDirectory && pane.location.kind == kLocPcDirectory &&
        SamePcFile(destination.path, pane.location.path)) {
        ReportError(ui, kMsgPc99ToItself);
        return true;
    }
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgPc99OnlyToDirectory);
        return true;
    }
    Selection selection = Select(pane, IsPc99);
    if (selection.Empty())
        return true;
    QString heading = selection.marked > 0
                          ? QString("Convert %1 PC99 disks to").arg(selection.marked)
                          : Latin(FormatText("Convert PC99 disk <%s> to",
                                             {HeadingName(*selection.single)}));
    CatalogEntry *cursor = selection.single;
    RunContainerDialog(owner, shell, ui, side, "Convert PC99 disk(s)", heading, CountOf(selection),
                       false, [&](ConversionDialogUi &progress) {
                           ConvertPc99sToDsk(destination, pane.location, cursor, progress);
                       });
    return true;
}

namespace
{

bool IsHfeSource(const CatalogEntry &entry)
{
    return IsHfeConversionSource(entry, HfeDirection::HfeToDsk);
}

bool IsDskSource(const CatalogEntry &entry)
{
    return IsHfeConversionSource(entry, HfeDirection::DskToHfe);
}

bool RunHfeConversion(QWidget *owner, Shell &shell, Ui &ui, int side, HfeDirection direction)
{
    Pane &pane = shell.GetPane(side);
    Location &destination = shell.GetPane(1 - side).location;
    if (destination.kind != kLocPcDirectory || pane.location.kind != kLocPcDirectory) {
        ReportError(ui, kMsgExtractOnlyToDirectory);
        return true;
    }
    const bool toDsk = direction == HfeDirection::HfeToDsk;
    Selection selection = Select(pane, toDsk ? IsHfeSource : IsDskSource);
    if (selection.Empty())
        return true;
    const char *what = toDsk ? "HFE image" : "DSK image";
    QString heading = selection.marked > 0
                          ? QString("Convert %1 %2s to").arg(selection.marked).arg(what)
                          : Latin(FormatText("Convert %s <%s> to",
                                             {std::string(what), HeadingName(*selection.single)}));
    CatalogEntry *cursor = selection.single;
    RunContainerDialog(owner, shell, ui, side,
                       toDsk ? "Convert HFE image(s) to DSK" : "Convert DSK image(s) to HFE",
                       heading, CountOf(selection), false, [&](ConversionDialogUi &progress) {
                           ConvertHfeImages(destination, pane.location, cursor, direction,
                                            progress);
                       });
    return true;
}

} // namespace

bool RunHfeToDsk(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    return RunHfeConversion(owner, shell, ui, side, HfeDirection::HfeToDsk);
}

bool RunDskToHfe(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    return RunHfeConversion(owner, shell, ui, side, HfeDirection::DskToHfe);
}

} // namespace kestrel
