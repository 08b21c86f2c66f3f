// Top-level windows open fully visible on one of the current screens, and
// those a window opens for itself are cascaded from it.
#pragma once

#include <QRect>

class QWidget;

namespace kestrel
{

// The work areas of all screens, the primary one first.
QRect PrimaryWorkArea();

// The outer frame that a window of this client geometry will have. Before the
// window manager has framed it the frame is estimated from the platform's
// usual decorations.
QRect FrameFor(const QWidget *window, const QRect &clientGeometry);

// Moves (and where needed shrinks) the window so that its frame lies on one
// screen, for a client rectangle wanted at clientGeometry.
void PlaceFullyVisible(QWidget *window, const QRect &clientGeometry);

// The client rectangle of a window whose frame's top-left is at frameTopLeft.
QRect ClientAtFrame(const QWidget *window, const QPoint &frameTopLeft, const QSize &clientSize);

// The window where it now is, pulled whole onto a screen (after a resize).
void RefitFullyVisible(QWidget *window);

// A new window of this size cascaded from owner (the number of windows the
// owner already shows decides the step), fully visible. Without an owner it
// is centred on the primary screen.
void PlaceCascaded(QWidget *window, const QWidget *owner, int width, int height);

// Whether a stored placement in the settings means "none was saved".
bool IsDefaultEditPlacement(int left, int top);

} // namespace kestrel
