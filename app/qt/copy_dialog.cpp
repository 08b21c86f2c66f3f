#include "app/qt/copy_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/convert_dialogs.h"
#include "app/qt/dialog_helpers.h"
#include "drives/cf7_card.h"
#include "drives/cf7_listing.h"
#include "drives/cf7_volume.h"
#include "ops/conversion_result.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr const char *kCaption = "Copy File(s)";
constexpr int kMsgOnlyDskToCf7 = 41;
constexpr int kMsgCantWritePcFiles = 49;

bool IsCard(const Location &location)
{
    return location.kind == kLocCf7Drive || location.kind == kLocCf7Image;
}

bool IsDskImageKind(uint16_t kind)
{
    return kind >= kKindDsk && kind <= kKindPc99Dd;
}

// The heading once the next DSK image of a batch is current.
std::string ImageHeading(const CatalogEntry &image)
{
    const std::string name = TiNameToPcName(image.ti.tiName, ProgramSettings().zubCompatible);
    return FormatText("Copy %s <%s> to", {std::string("DSK image"), name});
}

QString Latin1(const std::string &text)
{
    return QString::fromLatin1(text.c_str());
}

} // namespace

CopyDialog::CopyDialog(QWidget *owner, Shell &shell, Ui &ui, int side, uint32_t volumeCount)
    : OperationDialog(owner, ui, kCaption), m_shell(shell), m_side(side), m_targetSide(1 - side),
      m_source(shell.GetPane(side).location), m_destination(shell.GetPane(1 - side).location),
      m_cursor(shell.GetPane(side).CursorEntry()), m_batch(IsBatch(m_source)),
      m_toCard(IsCard(m_destination)), m_volumeCount(volumeCount)
{
    Build();
}

CopyDialog::CopyDialog(QWidget *owner, Shell &shell, Ui &ui, Location &source, int destinationSide,
                       uint32_t volumeCount)
    : OperationDialog(owner, ui, kCaption), m_shell(shell), m_side(-1),
      m_targetSide(destinationSide & 1), m_source(source),
      m_destination(shell.GetPane(destinationSide & 1).location), m_cursor(nullptr),
      m_batch(IsBatch(m_source)), m_toCard(IsCard(m_destination)), m_volumeCount(volumeCount)
{
    Build();
}

void CopyDialog::RedrawSource()
{
    if (m_side >= 0)
        m_shell.Redraw(m_side);
}

void CopyDialog::Build()
{
    auto *layout = new QVBoxLayout(this);
    m_heading = new QLabel(Latin1(CopyHeading(m_destination, m_source, m_cursor)));
    m_heading->setObjectName("Heading");
    layout->addWidget(m_heading);
    m_path = new QLabel(Latin1(m_shell.Locations().PathLine(m_destination)).trimmed());
    m_path->setObjectName("Destination");
    m_path->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setMinimumWidth(320);
    auto *target = new QLabel("Target:");
    target->setObjectName("TargetLabel");
    target->setBuddy(m_path);
    auto *targetRow = new QHBoxLayout;
    targetRow->addWidget(target);
    targetRow->addWidget(m_path, 1);
    layout->addLayout(targetRow);
    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setTextVisible(false);
    SetProgressRange(m_progress, 1);
    SetProgressPosition(m_progress, 0);
    // Without its text the bar would pass for an empty field.
    auto *progress = new QLabel("Progress:");
    progress->setBuddy(m_progress);
    auto *progressRow = new QHBoxLayout;
    progressRow->addWidget(progress);
    progressRow->addWidget(m_progress, 1);
    layout->addLayout(progressRow);

    if (m_toCard) {
        auto *row = new QHBoxLayout;
        auto *label = new QLabel("CF7A+ volume");
        m_volumes = new QComboBox;
        m_volumes->setObjectName("Volume");
        FillNumberCombo(m_volumes, 1, m_volumeCount, 1);
        label->setBuddy(m_volumes);
        row->addWidget(label);
        row->addWidget(m_volumes, 1);
        layout->addLayout(row);
        m_autoCopy = new QCheckBox("Auto copy next DSK image");
        m_autoCopy->setObjectName("AutoCopy");
        layout->addWidget(m_autoCopy);
        m_current = m_batch ? FirstMarkedImage() : m_cursor;
    }

    m_ok = AddButtonRow(layout, "OK", "OK", [this] { Ok(); }, &m_cancel);

    DialogUi &dui = OperationUi();
    dui.SetProgressBar(m_progress);
    dui.SetRedraw([this] { RedrawSource(); });
}

CatalogEntry *CopyDialog::FirstMarkedImage()
{
    for (auto &entry : m_source.entries)
        if (entry->marked && IsDskImageKind(entry->ti.kind))
            return entry.get();
    return nullptr;
}

void CopyDialog::Ok()
{
    if (Busy())
        return;
    if (m_toCard) {
        CopyIntoCard();
        return;
    }
    const bool toImage = m_destination.kind == kLocDskImage || m_destination.kind == kLocCf7Volume;
    RunBusy(m_ok, [this, toImage] {
        if (toImage)
            CopyIntoDiskImage();
        else
            RunCopy(m_destination, m_source, m_cursor, CopyOptions{}, OperationUi());
    });
    m_shell.Reread(m_targetSide);
    RedrawSource();
    accept();
}

int CopyDialog::CopyIntoDiskImage()
{
    DialogUi &dui = OperationUi();
    // A card volume lies at its byte base inside the card image.
    FloppyTarget target;
    if (!ConversionImageTarget(m_destination, target)) {
        ReportError(dui, kMsgCantWritePcFiles);
        return kCopyStop;
    }
    AddFileState state; // a fresh "All" answer for this copy
    std::vector<CatalogEntry *> entries = EntriesToHandle(m_source, m_cursor);
    dui.SetProgressRange(static_cast<uint32_t>(entries.size()));
    uint32_t done = 0;
    for (CatalogEntry *entry : entries) {
        // The PC-to-TI dialog of a batch converts every marked PC file at
        // once; those it handled are no longer marked when their turn comes.
        if (m_batch && !entry->marked)
            continue;
        int step = kCopyGoOn;
        if (entry->ti.kind == kKindDos && m_source.kind == kLocPcDirectory) {
            dui.SetProgressPosition(++done);
            step = RunPcToTiDialog(this, dui, m_destination, m_source, *entry, nullptr, m_batch);
            if (step == kConvertDialogConverted)
                entry->marked = false;
        } else if (IsTiFileKind(entry->ti.kind)) {
            dui.SetProgressPosition(++done);
            step = AddEntryToImage(target, m_source, *entry, state, dui);
            if (step != kAddStopped)
                entry->marked = false;
        } else {
            continue; // passed over, stays marked
        }
        dui.PumpPendingMessages();
        if (step == kCopyStop || dui.CancelPressed())
            return kCopyStop;
    }
    return kCopyGoOn;
}

bool CopyDialog::AdvanceVolume()
{
    int next = m_volumes->currentIndex() + 1;
    if (next >= m_volumes->count()) {
        QMessageBox box(QMessageBox::Information, kCaption, "CF7A+ disk full", QMessageBox::Ok,
                        this);
        box.setObjectName(kCaption);
        box.exec();
        m_volumes->setCurrentIndex(0);
        return false;
    }
    m_volumes->setCurrentIndex(next);
    return true;
}

int CopyDialog::CopyCurrentImage()
{
    DialogUi &dui = OperationUi();
    if (m_source.kind != kLocPcDirectory) {
        ReportError(dui, kMsgOnlyDskToCf7);
        return kCopyStop;
    }
    Cf7Card card;
    if (!OpenCf7CardOf(m_destination, card, true, dui))
        return kCopyStop;
    const uint32_t volume = static_cast<uint32_t>(m_volumes->currentIndex()) + 1;
    return CopyDskToCf7Volume(card, volume, JoinPcPath(m_source.path, m_current->pcName), dui);
}

void CopyDialog::CopyIntoCard()
{
    if (m_current == nullptr) {
        // Every image was copied: OK has nothing left to do but close.
        accept();
        return;
    }
    RunBusy(m_ok, [this] {
        for (;;) {
            const int result = CopyCurrentImage();
            bool wrapped = false;
            if (!m_batch) {
                m_current = nullptr;
                if (result != kCopyStop)
                    wrapped = !AdvanceVolume();
            } else {
                m_current->marked = false;
                RedrawSource();
                if (result != kCopyStop) {
                    m_current = FirstMarkedImage();
                    if (m_current != nullptr)
                        m_heading->setText(Latin1(ImageHeading(*m_current)));
                    wrapped = !AdvanceVolume();
                }
            }
            if (result == kCopyStop || wrapped || m_current == nullptr ||
                !m_autoCopy->isChecked() || OperationUi().CancelRequested())
                break;
            OperationUi().PumpPendingMessages();
        }
    });
    m_shell.Reread(m_targetSide);
    RedrawSource();
}

bool RunCopyDialog(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Location &source = shell.GetPane(side).location;
    Location &destination = shell.GetPane(1 - side).location;
    if (!CheckCopy(destination, source, shell.GetPane(side).CursorEntry(), ui))
        return true;
    uint32_t volumeCount = 0;
    if (IsCard(destination)) {
        Cf7Card card;
        if (!OpenCf7CardOf(destination, card, false, ui))
            return true;
        volumeCount = card.VolumeCount();
    }
    CopyDialog dialog(owner, shell, ui, side, volumeCount);
    dialog.Run();
    return true;
}

bool RunCopyDialogFrom(QWidget *owner, Shell &shell, Ui &ui, Location &source, int destinationSide)
{
    Location &destination = shell.GetPane(destinationSide & 1).location;
    if (!CheckCopy(destination, source, nullptr, ui))
        return true;
    uint32_t volumeCount = 0;
    if (IsCard(destination)) {
        Cf7Card card;
        if (!OpenCf7CardOf(destination, card, false, ui))
            return true;
        volumeCount = card.VolumeCount();
    }
    CopyDialog dialog(owner, shell, ui, source, destinationSide, volumeCount);
    dialog.Run();
    return true;
}

} // namespace kestrel
