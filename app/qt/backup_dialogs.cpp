#include "app/qt/backup_dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/common_dialogs.h"
#include "app/qt/new_dsk_dialog.h"
#include "drives/cf7_listing.h"
#include "tifs/file_chooser.h"

namespace kestrel
{

namespace
{

struct ModeTexts {
    const char *name;
    const char *title;
    const char *okText;
    const char *selectDisk;
    const char *selectFile;
    const char *hdChooserTitle;
    const char *cardChooserTitle;
};

constexpr ModeTexts kBackupTexts = {
    kBackupDialogName,
    "Backup Scsi / Ide / Wds or Cf7a+ disk image",
    "Save disk image",
    "Select a disk to save.",
    "Select a filename for the image to save.",
    "Save Scsi / Ide / Wds image as ...",
    "Save Cf7a+ image as ...",
};

constexpr ModeTexts kRestoreTexts = {
    kRestoreDialogName,
    "Restore Scsi / Ide / Wds or Cf7a+ disk image",
    "Restore disk image",
    "Select a disk to restore.",
    "Select an image to restore.",
    "Select Scsi / Ide / Wds image to restore",
    "Select Cf7a+ image to restore",
};

const ModeTexts &TextsFor(DiskImageDialog::Mode mode)
{
    return mode == DiskImageDialog::Mode::Backup ? kBackupTexts : kRestoreTexts;
}

std::vector<DriveItem> FindTiDrives(Ui &ui)
{
    std::vector<DriveItem> drives = FindPhysicalDrives(kWantHardDisks | kWantCards);
    if (drives.empty())
        ui.ShowWarning(kNoTiDrive);
    return drives;
}

} // namespace

DiskImageDialog::DiskImageDialog(QWidget *owner, Ui &ui, Mode mode, std::vector<DriveItem> drives)
    : QDialog(owner), m_ui(ui), m_mode(mode), m_drives(std::move(drives))
{
    const ModeTexts &texts = TextsFor(mode);
    setObjectName(texts.name);
    setWindowTitle(texts.title);
    setModal(true);

    m_drive = new QComboBox;
    m_drive->setObjectName("Drive");
    for (const DriveItem &item : m_drives)
        m_drive->addItem(QString::fromStdString(mode == Mode::Backup ? BackupDriveLine(item)
                                                                     : RestoreDriveLine(item)));
    m_drive->setCurrentIndex(m_drives.empty() ? -1 : 0);

    m_file = new QLineEdit;
    m_file->setObjectName("ImageFile");
    m_browse = new QPushButton("...");
    m_browse->setObjectName("Browse");

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel("Disk:"), 0, 0);
    grid->addWidget(m_drive, 0, 1, 1, 2);
    grid->addWidget(new QLabel("Image file:"), 1, 0);
    grid->addWidget(m_file, 1, 1);
    grid->addWidget(m_browse, 1, 2);

    m_status = new QLabel;
    m_status->setObjectName("Status");
    m_progress = new QProgressBar;
    m_progress->setObjectName("Progress");
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);

    m_ok = new QPushButton(texts.okText);
    m_ok->setObjectName("Ok");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel");
    m_cancel->setObjectName("Cancel");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);

    connect(m_browse, &QPushButton::clicked, this, &DiskImageDialog::Browse);
    connect(m_ok, &QPushButton::clicked, this, &DiskImageDialog::Run);
    connect(m_cancel, &QPushButton::clicked, this, &DiskImageDialog::reject);
}

const DriveItem *DiskImageDialog::SelectedDrive()
{
    const int index = m_drive->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_drives.size()))
        return nullptr;
    return &m_drives[static_cast<size_t>(index)];
}

void DiskImageDialog::reject()
{
    if (m_running != nullptr) {
        m_running->Cancel();
        return;
    }
    QDialog::reject();
}

void DiskImageDialog::Browse()
{
    const ModeTexts &texts = TextsFor(m_mode);
    const DriveItem *item = SelectedDrive();
    if (item == nullptr) {
        m_ui.ShowWarning(texts.selectDisk);
        m_drive->setFocus();
        return;
    }
    const bool hardDisk = item->kind == kDriveHardDisk;
    std::string name = m_file->text().toStdString();
    if (ChooseFileWithRemembered(m_ui, m_mode == Mode::Backup,
                                 hardDisk ? "hdsk_img_path" : "cf7a_img_path",
                                 hardDisk ? texts.hdChooserTitle : texts.cardChooserTitle,
                                 hardDisk ? "Scsi / Ide / Hds disk image files (*.img)"
                                          : "Cf7a+ disk image files (*.cf7)",
                                 hardDisk ? "img" : "cf7", name) == 0)
        m_file->setText(QString::fromStdString(name));
}

void DiskImageDialog::SetRunning(bool running)
{
    m_ok->setEnabled(!running);
    m_browse->setEnabled(!running);
    m_drive->setEnabled(!running);
    m_file->setEnabled(!running);
}

void DiskImageDialog::Run()
{
    const ModeTexts &texts = TextsFor(m_mode);
    const DriveItem *selected = SelectedDrive();
    if (selected == nullptr) {
        m_ui.ShowWarning(texts.selectDisk);
        m_drive->setFocus();
        return;
    }
    const std::string path = m_file->text().toStdString();
    if (path.empty()) {
        m_ui.ShowWarning(texts.selectFile);
        m_file->setFocus();
        return;
    }
    const DriveItem item = *selected;
    SetRunning(true);
    DiskDialogUi progress(m_ui, m_progress, m_status);
    m_running = &progress;
    if (m_mode == Mode::Backup)
        m_result = BackupDrive(item, path, progress);
    else
        m_result = RestoreDrive(path, item.letter, item.kind != kDriveHardDisk, progress);
    m_running = nullptr;
    m_ran = true;
    m_ranOn = item.letter;
    progress.Finish();
    SetRunning(false);
    if (m_mode == Mode::Restore)
        accept();
}

bool RunBackupDisk(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    std::vector<DriveItem> drives = FindTiDrives(ui);
    if (drives.empty())
        return true;
    DiskImageDialog dialog(owner, ui, DiskImageDialog::Mode::Backup, std::move(drives));
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    dialog.exec();
    if (dialog.Ran()) {
        shell.Reread(side);
        shell.Reread(1 - side);
    }
    return true;
}

bool RunRestoreDisk(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    std::vector<DriveItem> drives = FindTiDrives(ui);
    if (drives.empty())
        return true;
    DiskImageDialog dialog(owner, ui, DiskImageDialog::Mode::Restore, std::move(drives));
    dialog.adjustSize();
    CenterOver(&dialog, owner);
    dialog.exec();
    if (!dialog.Ran())
        return true;
    for (int shown : {side, 1 - side}) {
        Pane &pane = shell.GetPane(shown);
        if (pane.location.kind != kLocCf7Drive || Cf7LocationDrive(pane.location) != dialog.RanOn())
            continue;
        // The volume list on the screen is the card as it was before.
        ListCf7Drive(pane.location, dialog.RanOn(), ui);
        shell.Locations().Sort(pane.location);
        UpdateScrollState(pane);
        if (pane.cursor >= pane.Count())
            pane.cursor = pane.Count() > 0 ? pane.Count() - 1 : 0;
        shell.Redraw(shown);
    }
    return true;
}

} // namespace kestrel
