#include "app/qt/picture_view.h"

#include "app/qt/window_placement.h"

#include <cstring>

#include <QPointer>
#include <QProcess>
#include <QStringList>

#include "app/qt/picture_window.h"
#include "platform/temp_dir.h"
#include "tifs/settings.h"
#include "viewers/gif_export.h"
#include "viewers/picture_views.h"

namespace kestrel
{

namespace
{

// The window modes hand their numbers straight to the viewers.
constexpr bool SameNumber(WindowMode window, PictureMode picture)
{
    return static_cast<int>(window) == static_cast<int>(picture);
}
static_assert(SameNumber(kModeTiArtist, kPictureTiArtist) &&
              SameNumber(kModeMyart256, kPictureMyart256) &&
              SameNumber(kModeMyart512, kPictureMyart512) &&
              SameNumber(kModeCharset, kPictureCharset));

bool IsPictureMode(int mode)
{
    return mode == kModeTiArtist || mode == kModeMyart256 || mode == kModeMyart512 ||
           mode == kModeCharset;
}

std::string GeneralTempFile()
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    return temp.GeneralFile();
}

} // namespace

QImage PictureImage(const Raster &bitmap)
{
    QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_RGB888);
    if (image.isNull()) {
        return image;
    }
    const size_t rowBytes = static_cast<size_t>(bitmap.Width()) * 3;
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::memcpy(image.scanLine(y), bitmap.Bytes().data() + rowBytes * y, rowBytes);
    }
    return image;
}

PictureWindow *OpenPictureWindow(QWidget *owner, Ui &ui, const Location &location,
                                 const CatalogEntry &entry, int mode, const std::string &tempFile)
{
    if (!IsPictureMode(mode)) {
        return nullptr;
    }
    if (!PictureModeAccepts(mode, entry)) {
        ui.Beep();
        return nullptr;
    }
    QPointer<PictureWindow> window = PictureWindow::Create(owner, ui);
    if (!window) {
        return nullptr;
    }
    bool refused = false;
    PictureView view;
    ComposePictureView(location, entry, mode, tempFile, ui, view, [&] {
        refused = true;
        if (window) {
            window->close();
        }
    });
    if (refused || !window) {
        return nullptr;
    }
    if (!view.drawn) {
        return window; // the file could not be opened: empty, captioned "Kestrel"
    }
    window->SetPicture(PictureImage(view.bitmap));
    window->setWindowTitle(QString::fromStdString(view.caption));
    // Qt sizes the client area itself, so the bitmap-sized step before the
    // final size is not needed to find the frame.
    const PictureClientSize client = PictureClientSizeFor(mode, view.bitmap);
    window->resize(client.width, client.height);
    // The picture's own size may reach past the screen's edge.
    RefitFullyVisible(window);
    return window;
}

bool OpenPictureView(QWidget *owner, Ui &ui, const Location &location, const CatalogEntry &entry,
                     WindowMode mode)
{
    if (!IsPictureMode(mode)) {
        return false;
    }
    OpenPictureWindow(owner, ui, location, entry, mode, GeneralTempFile());
    return true;
}

bool StartExternalViewer(const std::string &command, const std::string &path)
{
    QStringList arguments = QProcess::splitCommand(QString::fromStdString(command));
    if (arguments.isEmpty()) {
        return false;
    }
    const QString program = arguments.takeFirst();
    // The path goes as an argument of its own: a temporary directory with
    // blanks in its name must not split it.
    arguments << QString::fromStdString(path);
    return QProcess::startDetached(program, arguments);
}

bool RunShowGifExternally(QWidget *owner, Shell &shell, Ui &ui, int side)
{
    (void)owner;
    const Pane &pane = shell.GetPane(side);
    const CatalogEntry *entry = pane.CursorEntry();
    if (entry == nullptr) {
        return false;
    }
    if (!IsDisFix128File(*entry)) {
        ui.Beep();
        return true;
    }
    std::string gifPath;
    if (!WriteGifFile(pane.location, *entry, ui, gifPath)) {
        return true;
    }
    StartExternalViewer(ProgramSettings().picViewer, gifPath);
    return true;
}

} // namespace kestrel
