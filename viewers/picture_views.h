// The picture viewers: TI-Artist pictures, MYART pictures in 256 x 212 and
// 512 x 212, and character sets, each drawn into an off-screen bitmap with a
// caption for the picture window. The window itself is the GUI's.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/settings.h" // kProgramName
#include "tifs/ui.h"
#include "viewers/picture/raster.h"

namespace kestrel
{

// Picture modes, the numbers of the window modes that open them.
enum PictureMode : int {
    kPictureTiArtist = 3,
    kPictureMyart256 = 4,
    kPictureMyart512 = 5,
    kPictureCharset = 6,
};

struct PictureView {
    // False while the picture file could not be opened: the window stays
    // empty with the caption "Kestrel".
    bool drawn = false;
    Raster bitmap;
    std::string caption = kProgramName;
    int mode = kPictureTiArtist;
};

// True when the mode (3 to 6) takes this file: PROGRAM for TI-Artist and
// character sets, DIS/FIX 128 for MYART. Any other file is refused with a
// beep by the caller and no window opens.
bool PictureModeAccepts(int mode, const CatalogEntry &entry);

// A DIS/FIX file with 128-byte records: the files MYART and GIF pictures
// come in.
bool IsDisFix128File(const CatalogEntry &entry);

// The two files of a TI-Artist picture. The picture file's TI name holds
// "_P", its colour file's "_C" at the same place (upper case, compared
// exactly). A colour file counts only as a PROGRAM file of 24 sectors.
struct TiArtistFiles {
    const CatalogEntry *picture = nullptr;
    const CatalogEntry *colours = nullptr; // null: drawn without colours
};
// For the selected entry: with "_P" the picture is the selection and the
// colour file its "_C" partner in the location's catalog; with "_C" the
// picture is the "_P" partner when that is a PROGRAM file of 24 sectors
// (the selection is then the colour file), else the selection itself.
TiArtistFiles FindTiArtistFiles(const Location &location, const CatalogEntry &selected);

// The entry of the catalog whose TI name is name with the two characters at
// `at` replaced by marker ("_P" or "_C"); null when there is none.
const CatalogEntry *FindTiArtistPartner(const Location &location, const std::string &name,
                                        size_t at, const char *marker);

// Each viewer draws into view.bitmap and sets view.caption to the file's
// caption and the kind's size text. tempFile is the general temporary file
// that files inside containers pass through. Messages, through ui: those of
// OpenTiFileData, 6 "Can't read sector <%d> from <%s>" (the drawing ends,
// what was drawn stays), 22 "Not a MYART file <%s>", 23 "Can't read
// TI-Artist colortable <%s>" (the picture is drawn without colours).
// Return false when nothing is to be shown.
bool ShowTiArtistPicture(const Location &location, const CatalogEntry &entry,
                         const std::string &tempFile, Ui &ui, PictureView &view);
// width 256 or 512. A file whose first record begins with GIF is no MYART
// picture: refused is called (the window goes), then message 22 shows.
bool ShowMyartPicture(const Location &location, const CatalogEntry &entry, int width,
                      const std::string &tempFile, Ui &ui, PictureView &view,
                      const std::function<void()> &refused = {});
bool ShowCharacterSet(const Location &location, const CatalogEntry &entry,
                      const std::string &tempFile, Ui &ui, PictureView &view);

// The viewer of a mode; false without a message for a file the mode does not
// take (see PictureModeAccepts) or a mode that is no picture mode.
bool ComposePictureView(const Location &location, const CatalogEntry &entry, int mode,
                        const std::string &tempFile, Ui &ui, PictureView &view,
                        const std::function<void()> &refused = {});
// The same with the program's general temporary file.
bool ComposePictureView(const Location &location, const CatalogEntry &entry, int mode, Ui &ui,
                        PictureView &view, const std::function<void()> &refused = {});

// The client area a picture window shows its bitmap in: twice the bitmap's
// width and height, for MYART 512 x 212 the bitmap's width and twice its
// height.
struct PictureClientSize {
    int width = 0;
    int height = 0;
};
PictureClientSize PictureClientSizeFor(int mode, const Raster &bitmap);

} // namespace kestrel
