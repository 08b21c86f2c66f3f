// Keys and mouse events as Qt delivers them, sent straight to a widget, for
// the tests that drive the windows without a real input device.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWidget>

namespace kestrel::testing
{

inline void SendKey(QWidget *to, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(to, &release);
}

inline void SendMouse(QWidget *to, QEvent::Type type, const QPoint &at, Qt::MouseButton button,
                      Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), to->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(to, &e);
}

// Waits up to 3 s for the window to become the active one.
inline bool WaitActive(QWidget *window)
{
    QElapsedTimer clock;
    clock.start();
    while (!window->isActiveWindow() && clock.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return window->isActiveWindow();
}

} // namespace kestrel::testing
