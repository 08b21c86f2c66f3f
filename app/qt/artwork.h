// The program's own pictures, drawn in code: the splash picture, the
// toolbar images and the window icon.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace kestrel
{

QPixmap SplashPicture();
// Toolbar image 0 to 7 (24 x 24).
QIcon ToolbarImage(int index);
QIcon ProgramIcon();

} // namespace kestrel
