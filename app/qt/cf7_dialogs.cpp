#include "app/qt/cf7_dialogs.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/common_dialogs.h"
#include "app/qt/new_dsk_dialog.h"
#include "app/shell/cursor_history.h"
#include "drives/cf7_card.h"
#include "drives/cf7_listing.h"
#include "drives/cf7_volume.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/vib.h"
#include "tifs/pc_directory.h"

namespace kestrel
{

namespace
{

QPushButton *AddButton(QHBoxLayout *row, const char *text, const char *name)
{
    auto *button = new QPushButton(text);
    button->setObjectName(name);
    row->addWidget(button);
    return button;
}

// The floppy preset a CF7A+ volume is formatted with.
int Cf7PresetIndex()
{
    for (int i = 0; i < kPresetCount; ++i) {
        const FloppyPreset *preset = FindPreset(i);
        if (preset->totalSectors == kCf7VolumeSectors && preset->sectorsPerTrack == 20)
            return i;
    }
    return kDefaultPreset;
}

bool OpenSource(const Cf7CardSource &source, Cf7Card &card, bool writable, Ui &ui)
{
    if (source.letter != 0)
        return card.OpenDrive(source.letter, writable, ui);
    return card.OpenImage(source.imagePath, writable, writable ? 3 : 1, ui);
}

// The card a pane shows, or the card image under the cursor of a PC directory.
Cf7CardSource SourceOf(const Pane &pane)
{
    Cf7CardSource source;
    const Location &location = pane.location;
    switch (location.kind) {
    case kLocCf7Drive:
    case kLocCf7Image:
    case kLocCf7Volume:
        source.letter = Cf7LocationDrive(location);
        if (source.letter == 0)
            source.imagePath = location.path;
        break;
    case kLocPcDirectory:
        if (const CatalogEntry *entry = pane.CursorEntry();
            entry != nullptr && entry->ti.kind == kKindCf7Image)
            source.imagePath = JoinPcPath(location.path, entry->pcName);
        break;
    default:
        break;
    }
    return source;
}

// The mount dialog's lines and the record on the card; false after a message.
bool ReadMountState(const Cf7CardSource &source, std::vector<std::string> &lines,
                    MountRecord &mount, Ui &ui)
{
    Cf7Card card;
    if (!OpenSource(source, card, false, ui))
        return false;
    bool valid = false;
    if (!ReadCf7MountRecord(card, mount, valid, ui)) {
        card.Close();
        return false;
    }
    if (!valid)
        mount = MountRecord{};
    uint8_t sector[256];
    bool ok = true;
    for (uint32_t v = 1; v <= card.VolumeCount(); ++v) {
        if (!card.ReadSector(Cf7VolumeFirstSector(v), sector, ui)) {
            ok = false;
            break;
        }
        DiskSummary summary;
        lines.push_back(Cf7MountLine(v, DecodeVib(nullptr, sector, summary) != 0 ? summary.name
                                                                                 : "UNFORMATED"));
    }
    card.Close();
    return ok;
}

} // namespace

ReadCf7Dialog::ReadCf7Dialog(QWidget *owner, Shell &shell, Ui &ui, int side,
                             std::vector<DriveItem> drives)
    : QDialog(owner), m_shell(shell), m_ui(ui), m_side(side), m_drives(std::move(drives))
{
    setObjectName(kReadCf7DialogName);
    setWindowTitle(kReadCf7DialogName);
    setModal(true);

    m_drive = new QComboBox;
    m_drive->setObjectName("Drive");
    for (const DriveItem &item : m_drives)
        m_drive->addItem(QString::fromStdString(Cf7DriveLine(item)));
    m_drive->setCurrentIndex(m_drives.size() == 1 ? 0 : -1);

    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *ok = AddButton(buttons, "OK", "Ok");
    ok->setDefault(true);
    QPushButton *cancel = AddButton(buttons, "Cancel", "Cancel");
    connect(ok, &QPushButton::clicked, this, &ReadCf7Dialog::Read);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("CF7A+ card:"));
    layout->addWidget(m_drive);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
}

void ReadCf7Dialog::Read()
{
    const int index = m_drive->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_drives.size())) {
        m_ui.ShowWarning(kSelectCf7Drive);
        m_drive->setFocus();
        return;
    }
    const DriveItem item = m_drives[static_cast<size_t>(index)];
    if (item.kind == kDrivePcFormatted &&
        m_ui.AskQuestion(kPcFormattedQuestion, QuestionButtons::YesNo) != Answer::Yes) {
        m_drive->setFocus();
        return;
    }
    for (QPushButton *button : findChildren<QPushButton *>())
        button->setEnabled(false);
    Pane &pane = m_shell.GetPane(m_side);
    const int oldKind = pane.location.kind;
    const std::string oldPath = pane.location.path;
    DiskDialogUi progress(m_ui, m_progress, nullptr);
    ListCf7Drive(pane.location, item.letter, progress);
    progress.Finish();
    if (pane.location.kind != oldKind || pane.location.path != oldPath) {
        // A new location: its list starts at the top, and the way back up
        // returns the cursor to where it was.
        pane.top = 0;
        m_shell.Locations().Sort(pane.location);
        UpdateScrollState(pane);
        UpdateDrawnRange(pane);
        PushCursor(pane);
    } else {
        m_shell.Locations().Sort(pane.location);
        UpdateScrollState(pane);
        if (pane.cursor >= pane.Count())
            pane.cursor = pane.Count() > 0 ? pane.Count() - 1 : 0;
    }
    m_shell.Redraw(m_side);
    accept();
}

MountCf7Dialog::MountCf7Dialog(QWidget *owner, Ui &ui, const Cf7CardSource &source,
                               const std::vector<std::string> &lines, const MountRecord &current)
    : QDialog(owner), m_ui(ui), m_source(source), m_current(current)
{
    setObjectName(kMountCf7DialogName);
    setWindowTitle(kMountCf7DialogName);
    setModal(true);

    auto *grid = new QGridLayout;
    for (int i = 0; i < 3; ++i) {
        m_dsk[i] = new QComboBox;
        m_dsk[i]->setObjectName(QString("Dsk%1").arg(i + 1));
        m_dsk[i]->addItem(kUndefinedVolume);
        for (const std::string &line : lines)
            m_dsk[i]->addItem(QString::fromStdString(line));
        const int selected = current.dsk[i] <= lines.size() ? current.dsk[i] : 0;
        m_dsk[i]->setCurrentIndex(selected);
        auto *caption = new QLabel(QString("DSK%1:").arg(i + 1));
        caption->setBuddy(m_dsk[i]);
        grid->addWidget(caption, i, 0);
        grid->addWidget(m_dsk[i], i, 1);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    QPushButton *mount = AddButton(buttons, "Mount", "Mount");
    mount->setDefault(true);
    QPushButton *cancel = AddButton(buttons, "Cancel", "Cancel");
    connect(mount, &QPushButton::clicked, this, &MountCf7Dialog::Mount);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

MountRecord MountCf7Dialog::Chosen() const
{
    MountRecord record;
    for (int i = 0; i < 3; ++i)
        record.dsk[i] = static_cast<uint16_t>(std::max(0, m_dsk[i]->currentIndex()));
    return record;
}

void MountCf7Dialog::Mount()
{
    const MountRecord chosen = Chosen();
    if (chosen != m_current && m_source.Valid()) {
        Cf7Card card;
        if (OpenSource(m_source, card, true, m_ui)) {
            WriteCf7MountRecord(card, chosen, m_ui);
            card.Finish(m_ui);
        }
    }
    accept();
}

bool RunReadCf7VolumeList(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    std::vector<DriveItem> drives = FindPhysicalDrives(kWantCards);
    if (drives.empty()) {
        ui.ShowWarning(kNoCf7Drive);
        return true;
    }
    ReadCf7Dialog dialog(owner, shell, ui, side, std::move(drives));
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    dialog.exec();
    return true;
}

bool RunInitializeCf7Volume(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    Pane &pane = shell.GetPane(side);
    const int cursor = pane.cursor;
    const CatalogEntry *entry = pane.CursorEntry();
    if ((pane.location.kind != kLocCf7Drive && pane.location.kind != kLocCf7Image) ||
        entry == nullptr ||
        (entry->ti.kind != kKindCf7DriveVolume && entry->ti.kind != kKindCf7ImageVolume)) {
        ui.Beep();
        return true;
    }
    const uint32_t volume = entry->baseOffset / kCf7VolumeSectors + 1;
    const std::string number = entry->pcName.size() > 4 ? entry->pcName.substr(4) : std::string();

    NewDskDialog::Options options;
    options.title = QString("Format CF7A+ Volume %1").arg(QString::fromStdString(number));
    options.okText = "Initialize";
    options.labelFilter = InputFilter::Name;
    options.onlyPreset = Cf7PresetIndex();
    bool formatted = false;
    bool physical = false;
    NewDskDialog dialog(owner, ui, options, [&](const std::string &label, int, Ui &progress) {
        Cf7Card card;
        if (!OpenCf7CardOf(pane.location, card, true, progress))
            return;
        physical = card.Physical();
        DiskSummary summary;
        formatted = InitializeCf7Volume(card, volume, label, progress, summary);
        formatted = card.Finish(progress) && formatted;
    });
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    if (dialog.exec() != QDialog::Accepted || !formatted)
        return true;
    // Nothing relisted the pane meanwhile, so the cursor still names the volume.
    if (CatalogEntry *target = pane.Entry(cursor)) {
        uint8_t vib[256];
        BuildCf7Vib(dialog.Label(), vib);
        FillCf7VolumeEntry(*target, volume, physical, vib, target->imageSize);
    }
    shell.Redraw(side);
    return true;
}

bool RunMountCf7Volumes(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    const Cf7CardSource source = SourceOf(shell.GetPane(side));
    std::vector<std::string> lines;
    MountRecord current;
    if (source.Valid() && !ReadMountState(source, lines, current, ui))
        return true;
    MountCf7Dialog dialog(owner, ui, source, lines, current);
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    dialog.exec();
    return true;
}

} // namespace kestrel
