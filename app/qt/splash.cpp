#include "app/qt/splash.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace kestrel
{

SplashWindow::SplashWindow(const QPixmap &picture)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(picture)
{
    setObjectName("SPLASH_SCREEN");
    setAttribute(Qt::WA_DeleteOnClose);
    // Made at a provisional size first, then fitted to the picture.
    resize(300, 200);
    resize(m_picture.size());
}

void SplashWindow::ShowCentredOn(QPoint mainLeftTop)
{
    QScreen *screen = QGuiApplication::screenAt(mainLeftTop);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        QRect area = screen->geometry();
        move(area.x() + area.width() / 2 - width() / 2,
             area.y() + area.height() / 2 - height() / 2);
    }
    show();
    raise();
    m_clock.start();
}

bool SplashWindow::CloseIfDue()
{
    if (ShownMs() <= kSplashMinimumMs)
        return false;
    close();
    return true;
}

void SplashWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0xC2, 0xC2, 0xC2));
    p.drawPixmap(rect(), m_picture);
}

void SplashWindow::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton)
        close();
}

} // namespace kestrel
