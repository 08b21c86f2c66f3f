// The CF7A+ commands of the main window: reading the volume list of a card
// in a physical drive ("Read Cf7a+ card"), formatting the cursor volume (the
// new-DSK dialog with the title "Format CF7A+ Volume %s"), and choosing the
// volumes the card mounts as DSK1 to DSK3 ("Mount CF7A+ volumes").
#pragma once

#include <string>
#include <vector>

#include <QDialog>

#include "app/shell/shell.h"
#include "drives/cf7_layout.h"
#include "drives/physical_drives.h"
#include "tifs/ui.h"

class QComboBox;
class QProgressBar;

namespace kestrel
{

constexpr const char *kReadCf7DialogName = "Read Cf7a+ card";
constexpr const char *kMountCf7DialogName = "Mount CF7A+ volumes";
constexpr const char *kNoCf7Drive = "No physical drive with a CF7A+ image found.";
constexpr const char *kSelectCf7Drive = "Select a CF7A+ disk to read.";
constexpr const char *kPcFormattedQuestion =
    "You are about to use a PC formatted storage device as a CF7A+ Cf-Card\n\n"
    "Do you really wish to continue ?\n";
constexpr const char *kUndefinedVolume = "--UNDEFINED--";

// "Read Cf7a+ card": one drop-down line per drive; a single drive comes
// preselected. OK lists the chosen card into the pane.
class ReadCf7Dialog : public QDialog
{
public:
    ReadCf7Dialog(QWidget *owner, Shell &shell, Ui &ui, int side, std::vector<DriveItem> drives);

private:
    void Read();

    Shell &m_shell;
    Ui &m_ui;
    int m_side;
    std::vector<DriveItem> m_drives;
    QComboBox *m_drive = nullptr;
    QProgressBar *m_progress = nullptr;
};

// Where the mount dialog's card is: a drive letter, or a card image.
struct Cf7CardSource {
    char letter = 0;
    std::string imagePath;
    bool Valid() const { return letter != 0 || !imagePath.empty(); }
};

// "Mount CF7A+ volumes": three drop-downs, each "--UNDEFINED--" followed by
// one "VOL #%03u: %10.10s" line per volume, on the card's mount record.
class MountCf7Dialog : public QDialog
{
public:
    // lines: the volume lines; current: the record read from the card.
    MountCf7Dialog(QWidget *owner, Ui &ui, const Cf7CardSource &source,
                   const std::vector<std::string> &lines, const MountRecord &current);

    MountRecord Chosen() const;

private:
    void Mount();

    Ui &m_ui;
    Cf7CardSource m_source;
    MountRecord m_current;
    QComboBox *m_dsk[3] = {};
};

// PaneOperation::ReadCf7VolumeList: the pane lists the card in a drive.
bool RunReadCf7VolumeList(QWidget *owner, Shell &shell, Ui &ui, int side);
// PaneOperation::InitializeCf7Volume: formats the cursor volume of a volume list.
bool RunInitializeCf7Volume(QWidget *owner, Shell &shell, Ui &ui, int side);
// PaneOperation::MountCf7Volumes: the mount record of the pane's card, or of
// the card image under the cursor of a PC directory.
bool RunMountCf7Volumes(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
