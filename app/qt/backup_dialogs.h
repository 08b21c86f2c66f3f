// Backing a physical drive (a TI hard disk or a CF7A+ card) up into an image
// file and restoring an image onto a drive: one dialog for both, with the
// drive drop-down, the image file and its "..." chooser, and the run's
// progress with a Cancel that stops the loop after the current sector.
#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "app/shell/shell.h"
#include "drives/backup_restore.h"
#include "drives/physical_drives.h"
#include "tifs/ui.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace kestrel
{

class DiskDialogUi;

constexpr const char *kBackupDialogName = "Save TI disk image";
constexpr const char *kRestoreDialogName = "Restore TI disk image";
constexpr const char *kNoTiDrive = "No physical drive with a SCSI, IDE, WDS or CF7A+ image found.";

class DiskImageDialog : public QDialog
{
public:
    enum class Mode { Backup, Restore };

    DiskImageDialog(QWidget *owner, Ui &ui, Mode mode, std::vector<DriveItem> drives);

    // The result of the last run; Failed before any.
    BackupResult LastResult() const { return m_result; }
    bool Ran() const { return m_ran; }
    // The drive of the last run.
    char RanOn() const { return m_ranOn; }

    // While a run goes on, closing asks the loop to stop instead.
    void reject() override;

private:
    void Browse();
    void Run();
    const DriveItem *SelectedDrive();
    void SetRunning(bool running);

    Ui &m_ui;
    Mode m_mode;
    std::vector<DriveItem> m_drives;
    DiskDialogUi *m_running = nullptr;
    BackupResult m_result = BackupResult::Failed;
    bool m_ran = false;
    char m_ranOn = 0;

    QComboBox *m_drive = nullptr;
    QLineEdit *m_file = nullptr;
    QPushButton *m_browse = nullptr;
    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

// PaneOperation::BackupDisk. Both panes are listed again afterwards, as the
// image may have been written into what one of them shows.
bool RunBackupDisk(QWidget *owner, Shell &shell, Ui &ui, int side);
// PaneOperation::RestoreDisk. A pane that shows the card in the restored
// drive lists it again.
bool RunRestoreDisk(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
