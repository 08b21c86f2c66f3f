// The "Copy File(s)" dialog: the marked entries of the active pane (or its
// cursor entry) into the other pane's location. The checks run first and
// refuse without a dialog; OK runs the copy that fits the pair of locations.
// Copies into a CF7A+ card go one DSK image at a time into the selected
// volume, and the dialog stays open for the next image.
#pragma once

#include <cstdint>

#include "app/qt/pane_operations.h"
#include "ops/copy.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace kestrel
{

// PaneOperation::Copy. Always true (the command is handled, also when a
// check refused it).
bool RunCopyDialog(QWidget *owner, Shell &shell, Ui &ui, int side);

// The same copy, with its checks, dialog and questions, from a location that
// no pane shows (PC files dropped from the desktop, marked in source) into
// the pane of destinationSide.
bool RunCopyDialogFrom(QWidget *owner, Shell &shell, Ui &ui, Location &source, int destinationSide);

class CopyDialog : public OperationDialog
{
public:
    // volumeCount: the destination card's volumes (0 when it is no card).
    CopyDialog(QWidget *owner, Shell &shell, Ui &ui, int side, uint32_t volumeCount);
    // From a location of no pane into the pane of destinationSide.
    CopyDialog(QWidget *owner, Shell &shell, Ui &ui, Location &source, int destinationSide,
               uint32_t volumeCount);

    int Run() { return RunCentred(); }
    // The DSK image that the next copy into a card writes (null for none).
    const CatalogEntry *CurrentImage() const { return m_current; }

private:
    void Ok();
    void CopyIntoCard();
    // TI files through the image writer, plain PC files through the
    // PC-to-TI dialog; kCopyStop when the batch was stopped.
    int CopyIntoDiskImage();
    // One DSK image into the selected volume; the copy's result.
    int CopyCurrentImage();
    // Moves the volume selection on; false when it wrapped to the first.
    bool AdvanceVolume();
    CatalogEntry *FirstMarkedImage();

    void Build();
    void RedrawSource();

    Shell &m_shell;
    int m_side; // the source pane, or -1 for a location of no pane
    int m_targetSide;
    Location &m_source;
    Location &m_destination;
    CatalogEntry *m_cursor;
    bool m_batch;
    bool m_toCard;
    uint32_t m_volumeCount;
    CatalogEntry *m_current = nullptr;

    QLabel *m_heading = nullptr;
    QLabel *m_path = nullptr;
    QProgressBar *m_progress = nullptr;
    QComboBox *m_volumes = nullptr;
    QCheckBox *m_autoCopy = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

} // namespace kestrel
