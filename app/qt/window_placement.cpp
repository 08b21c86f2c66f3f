#include "app/qt/window_placement.h"

#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "app/shell/screen_fit.h"

namespace kestrel
{

namespace
{

LayoutRect ToLayout(const QRect &r)
{
    return {r.x(), r.y(), r.width(), r.height()};
}

QRect ToQRect(const LayoutRect &r)
{
    return QRect(r.x, r.y, r.width, r.height);
}

std::vector<LayoutRect> WorkAreas()
{
    std::vector<LayoutRect> areas;
    if (QScreen *primary = QGuiApplication::primaryScreen())
        areas.push_back(ToLayout(primary->availableGeometry()));
    for (QScreen *screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            areas.push_back(ToLayout(screen->availableGeometry()));
    return areas;
}

QMargins MarginsOf(const QWidget *window)
{
    const QRect f = window->frameGeometry();
    const QRect g = window->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
}

QMargins Decorations(const QWidget *window)
{
    if (window->isVisible() && window->frameGeometry() != window->geometry())
        return MarginsOf(window);
    // Not framed yet: as the program's other windows are framed, else as
    // the platform usually frames them (a title bar and thin borders under a
    // desktop window manager).
    for (QWidget *other : QApplication::topLevelWidgets())
        if (other != window && other->isVisible() && other->frameGeometry() != other->geometry())
            return MarginsOf(other);
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("minimal"))
        return QMargins();
    if (platform == QLatin1String("offscreen"))
        return QMargins(2, 2, 2, 2);
    return QMargins(4, 30, 4, 4);
}

int OpenWindowsOf(const QWidget *owner)
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w != owner && w->isVisible() && w->parentWidget() == owner && w->isWindow())
            ++count;
    return count;
}

} // namespace

QRect PrimaryWorkArea()
{
    QScreen *primary = QGuiApplication::primaryScreen();
    return primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768);
}

QRect FrameFor(const QWidget *window, const QRect &clientGeometry)
{
    return clientGeometry.marginsAdded(Decorations(window));
}

void PlaceFullyVisible(QWidget *window, const QRect &clientGeometry)
{
    const QMargins m = Decorations(window);
    const QRect frame =
        ToQRect(FitOnScreens(ToLayout(clientGeometry.marginsAdded(m)), WorkAreas()));
    const QRect client = frame.marginsRemoved(m);
    window->resize(std::max(client.width(), window->minimumWidth()),
                   std::max(client.height(), window->minimumHeight()));
    window->move(frame.topLeft());
}

QRect ClientAtFrame(const QWidget *window, const QPoint &frameTopLeft, const QSize &clientSize)
{
    const QMargins m = Decorations(window);
    return QRect(frameTopLeft + QPoint(m.left(), m.top()), clientSize);
}

void RefitFullyVisible(QWidget *window)
{
    // pos() is the frame's top-left for a window, framed or not.
    PlaceFullyVisible(window, ClientAtFrame(window, window->pos(), window->size()));
}

void PlaceCascaded(QWidget *window, const QWidget *owner, int width, int height)
{
    QRect client;
    if (owner != nullptr) {
        const LayoutRect at =
            CascadeFrom(ToLayout(owner->frameGeometry()), OpenWindowsOf(owner), width, height);
        const QMargins m = Decorations(window);
        client = QRect(at.x + m.left(), at.y + m.top(), width, height);
    } else {
        client = QRect(0, 0, width, height);
        client.moveCenter(PrimaryWorkArea().center());
    }
    PlaceFullyVisible(window, client);
}

bool IsDefaultEditPlacement(int left, int top)
{
    return left == 1 && top == 1;
}

} // namespace kestrel
