// The dialog "Create new IDE / SCS image": a file name, one volume or up to
// four partitions, each with its label and size, and the writing's progress.
// What it gathers goes to the hard-disk image writer as one description.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <QDialog>
#include <QString>

#include "app/shell/shell.h"
#include "drives/new_hd_image.h"
#include "tifs/ui.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSlider;

namespace kestrel
{

constexpr const char *kNewHdDialogName = "Create new IDE / SCS image";
constexpr int kHdPartitionCount = 4;
// The size slider moves in steps of this many TI sectors (1 MB of TI data).
constexpr uint32_t kHdSizeStep = 0x1000;

// The size read-out: ">%08X    (%lu.%03lu,%03lu Mb)" with the sectors and
// their bytes, grouped by thousands.
QString HdSizeText(uint32_t sectors);

class NewHdDialog : public QDialog
{
public:
    // pane: the PC directory location the image is written to; listed
    // again by the writer.
    NewHdDialog(QWidget *owner, Ui &ui, Location &pane);

    // The description the dialog's fields give (valid once they pass the checks).
    NewHdImage Description() const;

    // Closing is refused while the image is being written.
    void reject() override;

private:
    void Create();
    void SelectVolume(int index);
    void ModeChanged();
    int UsedPartitions() const;
    uint32_t SliderSectors() const;

    Ui &m_ui;
    Location &m_pane;
    bool m_running = false;
    int m_current = 0;
    std::array<std::string, kHdPartitionCount> m_labels;
    std::array<uint32_t, kHdPartitionCount> m_sizes;

    QLineEdit *m_fileName = nullptr;
    QRadioButton *m_oneVolume = nullptr;
    QRadioButton *m_partitioned = nullptr;
    QRadioButton *m_selectors[kHdPartitionCount] = {};
    QCheckBox *m_used[kHdPartitionCount] = {};
    QLineEdit *m_label = nullptr;
    QSlider *m_size = nullptr;
    QLabel *m_sizeText = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_create = nullptr;
    QPushButton *m_cancel = nullptr;
};

// PaneOperation::CreateHdImage: a new image in the pane's PC directory,
// which is listed again afterwards.
bool RunCreateHdImage(QWidget *owner, Shell &shell, Ui &ui, int side);

} // namespace kestrel
