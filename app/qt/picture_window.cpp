#include "app/qt/picture_window.h"

#include "app/qt/window_placement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "tifs/settings.h"

namespace kestrel
{

PictureWindow *PictureWindow::Create(QWidget *owner, Ui &ui)
{
    EditSlot *slot = ProgramEditSlots().Acquire(EditSlotKind::Picture, ui);
    if (!slot)
        return nullptr;
    auto *window = new PictureWindow(owner, slot);
    window->show();
    return window;
}

PictureWindow::PictureWindow(QWidget *owner, EditSlot *slot) : QWidget(owner), m_slot(slot)
{
    setWindowFlag(Qt::Window);
    setObjectName("PictureViewer");
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(kProgramName);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette grey = palette();
    grey.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    setPalette(grey);

    const EditSlotPlacement p = EditSlotTable::Placement(*m_slot, ProgramSettings());
    const int w = std::max(100, p.width);
    const int h = std::max(100, p.height);
    if (IsDefaultEditPlacement(p.left, p.top))
        PlaceCascaded(this, owner, w, h);
    else
        PlaceFullyVisible(this, ClientAtFrame(this, QPoint(p.left, p.top), QSize(w, h)));
}

PictureWindow::~PictureWindow()
{
    ProgramEditSlots().Release(m_slot);
}

void PictureWindow::SetPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void PictureWindow::paintEvent(QPaintEvent *)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(rect(), m_picture);
}

void PictureWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PictureWindow::StorePlacement()
{
    const QRect r = frameGeometry();
    EditSlotTable::UpdatePlacement(*m_slot, ProgramSettings(), r.x(), r.y(), r.width(), r.height());
}

void PictureWindow::moveEvent(QMoveEvent *event)
{
    QWidget::moveEvent(event);
    StorePlacement();
}

void PictureWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    StorePlacement();
}

} // namespace kestrel
