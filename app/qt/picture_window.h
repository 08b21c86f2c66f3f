// The picture window ("PictureViewer"): one bitmap stretched over the whole
// client area, closed by Escape. It holds one of the 16 window slots.
#pragma once

#include <QImage>
#include <QWidget>

#include "app/shell/edit_slots.h"

namespace kestrel
{

class PictureWindow : public QWidget
{
    Q_OBJECT

public:
    // A window in the first free slot, without a picture yet; null after
    // message 15 when all slots are taken.
    static PictureWindow *Create(QWidget *owner, Ui &ui);
    ~PictureWindow() override;

    void SetPicture(const QImage &picture);
    const QImage &Picture() const { return m_picture; }
    EditSlot &Slot() { return *m_slot; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    PictureWindow(QWidget *owner, EditSlot *slot);
    void StorePlacement();

    EditSlot *m_slot = nullptr;
    QImage m_picture;
};

} // namespace kestrel
