#include "viewers/picture_views.h"

#include <algorithm>
#include <vector>

#include "platform/temp_dir.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"
#include "viewers/picture/character_set.h"
#include "viewers/picture/myart.h"
#include "viewers/picture/ti_artist.h"
#include "viewers/tifile_data.h"
#include "viewers/view_caption.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantReadSector = 6;
constexpr int kMsgNotMyart = 22;
constexpr int kMsgCantReadColours = 23;

bool IsColourFile(const CatalogEntry &entry)
{
    return entry.ti.kind == kKindProgram && entry.ti.sectors == kTiArtistColourSectors;
}

std::string TrimmedName(const std::string &name)
{
    std::string trimmed = name;
    while (!trimmed.empty() && trimmed.back() == ' ') {
        trimmed.pop_back();
    }
    return trimmed;
}

// Reads the colour table of a TI-Artist picture; false (and message 23 for
// a short file) when the picture is to be drawn without colours.
bool ReadColourTable(const Location &location, const CatalogEntry &entry,
                     const std::string &tempFile, Ui &ui, std::vector<uint8_t> &table)
{
    TiFileStream stream = OpenTiFileData(location, entry, tempFile, ui);
    if (!stream) {
        return false;
    }
    table.assign(kTiArtistTableSize, 0);
    if (ReadUpTo(stream.file.get(), table.data(), table.size()) < table.size()) {
        ReportError(ui, kMsgCantReadColours, {ViewFileName(location, entry)});
        return false;
    }
    return true;
}

} // namespace

bool IsDisFix128File(const CatalogEntry &entry)
{
    return entry.ti.kind == kKindDisFix && entry.ti.recordLength == kMyartRecordSize;
}

bool PictureModeAccepts(int mode, const CatalogEntry &entry)
{
    switch (mode) {
    case kPictureTiArtist:
    case kPictureCharset:
        return entry.ti.kind == kKindProgram;
    case kPictureMyart256:
    case kPictureMyart512:
        return IsDisFix128File(entry);
    default:
        return false;
    }
}

const CatalogEntry *FindTiArtistPartner(const Location &location, const std::string &name,
                                        size_t at, const char *marker)
{
    if (at + 2 > name.size()) {
        return nullptr;
    }
    std::string wanted = name;
    wanted.replace(at, 2, marker);
    wanted = TrimmedName(wanted);
    for (const auto &candidate : location.entries) {
        if (candidate && IsTiFileKind(candidate->ti.kind) &&
            TrimmedName(candidate->ti.tiName) == wanted) {
            return candidate.get();
        }
    }
    return nullptr;
}

TiArtistFiles FindTiArtistFiles(const Location &location, const CatalogEntry &selected)
{
    TiArtistFiles files;
    files.picture = &selected;
    const std::string &name = selected.ti.tiName;
    if (const size_t at = name.find("_P"); at != std::string::npos) {
        const CatalogEntry *colours = FindTiArtistPartner(location, name, at, "_C");
        if (colours != nullptr && IsColourFile(*colours)) {
            files.colours = colours;
        }
    } else if (const size_t at = name.find("_C"); at != std::string::npos) {
        const CatalogEntry *picture = FindTiArtistPartner(location, name, at, "_P");
        if (picture != nullptr && picture->ti.kind == kKindProgram &&
            picture->ti.sectors == kTiArtistColourSectors) {
            files.picture = picture;
            // The selection is the colour table, and counts only as one.
            if (IsColourFile(selected)) {
                files.colours = &selected;
            }
        }
    }
    return files;
}

bool ShowTiArtistPicture(const Location &location, const CatalogEntry &entry,
                         const std::string &tempFile, Ui &ui, PictureView &view)
{
    view = PictureView();
    view.mode = kPictureTiArtist;
    if (entry.ti.kind != kKindProgram) {
        return false;
    }
    const TiArtistFiles files = FindTiArtistFiles(location, entry);
    std::vector<uint8_t> colourTable;
    bool coloured = false;
    if (files.colours != nullptr) {
        coloured = ReadColourTable(location, *files.colours, tempFile, ui, colourTable);
    }

    const CatalogEntry &picture = *files.picture;
    const std::string name = ViewFileName(location, picture);
    TiFileStream stream = OpenTiFileData(location, picture, tempFile, ui);
    if (!stream) {
        return false;
    }
    view.bitmap = NewTiArtistBitmap();
    view.drawn = true;
    // One character row to a sector; rows past the 24th are never shown.
    std::vector<uint8_t> patterns(kTiArtistTableSize, 0);
    const unsigned sectors = std::min<unsigned>(picture.ti.sectors, kTiArtistRows);
    size_t have = 0;
    for (unsigned s = 0; s < sectors; ++s) {
        const size_t got = ReadUpTo(stream.file.get(), patterns.data() + have, kSectorSize);
        have += got;
        if (got < kSectorSize) {
            ReportError(ui, kMsgCantReadSector, {s + 1, name});
            break;
        }
    }
    DrawTiArtistPatterns(view.bitmap, patterns.data(), have,
                         coloured ? colourTable.data() : nullptr);
    view.caption = FileViewCaption(location, name) + TiArtistSizeText(picture.ti.sectors);
    return true;
}

bool ShowMyartPicture(const Location &location, const CatalogEntry &entry, int width,
                      const std::string &tempFile, Ui &ui, PictureView &view,
                      const std::function<void()> &refused)
{
    view = PictureView();
    view.mode = width == 512 ? kPictureMyart512 : kPictureMyart256;
    if (!IsDisFix128File(entry) || (width != 256 && width != 512)) {
        return false;
    }
    const std::string name = ViewFileName(location, entry);
    TiFileStream stream = OpenTiFileData(location, entry, tempFile, ui);
    if (!stream) {
        return false;
    }
    view.bitmap = NewMyartBitmap(width);
    view.drawn = true;

    const unsigned records = entry.ti.level3Count;
    std::vector<uint8_t> data;
    data.reserve(static_cast<size_t>(records) * kMyartRecordSize);
    uint8_t record[kMyartRecordSize];
    for (unsigned r = 0; r < records; ++r) {
        if (ReadUpTo(stream.file.get(), record, sizeof record) < sizeof record) {
            ReportError(ui, kMsgCantReadSector, {r + 1, name});
            break;
        }
        if (r == 0 && BeginsWithGif(record, sizeof record)) {
            view = PictureView();
            view.mode = width == 512 ? kPictureMyart512 : kPictureMyart256;
            if (refused) {
                refused();
            }
            ReportError(ui, kMsgNotMyart, {name});
            return false;
        }
        data.insert(data.end(), record, record + sizeof record);
    }
    DrawMyart(view.bitmap, width, data.data(), data.size());
    view.caption =
        FileViewCaption(location, name) + MyartSizeText(static_cast<uint16_t>(records), width);
    return true;
}

bool ShowCharacterSet(const Location &location, const CatalogEntry &entry,
                      const std::string &tempFile, Ui &ui, PictureView &view)
{
    view = PictureView();
    view.mode = kPictureCharset;
    if (entry.ti.kind != kKindProgram) {
        return false;
    }
    const std::string name = ViewFileName(location, entry);
    TiFileStream stream = OpenTiFileData(location, entry, tempFile, ui);
    if (!stream) {
        return false;
    }
    view.bitmap = NewCharsetBitmap();
    view.drawn = true;
    const std::string caption = FileViewCaption(location, name);
    view.caption = caption;

    uint8_t header[kCharsetHeaderSize];
    if (ReadUpTo(stream.file.get(), header, sizeof header) < sizeof header) {
        ReportError(ui, kMsgCantReadSector, {0, name});
        return true;
    }
    // The program size of the descriptor; a size below the header's leaves
    // nothing to draw rather than wrapping round.
    const size_t size = entry.ti.recordLength;
    size_t remaining = size > kCharsetHeaderSize ? size - kCharsetHeaderSize : 0;
    std::vector<uint8_t> patterns;
    uint8_t piece[kSectorSize];
    for (unsigned number = 1; remaining > 0; ++number) {
        const size_t want = std::min(remaining, kSectorSize);
        const size_t got = ReadUpTo(stream.file.get(), piece, want);
        patterns.insert(patterns.end(), piece, piece + got);
        if (got < want) {
            ReportError(ui, kMsgCantReadSector, {number, name});
            break;
        }
        remaining -= want;
    }
    DrawCharacterSet(view.bitmap, patterns.data(), patterns.size());
    view.caption = caption + CharsetSizeText(header);
    return true;
}

bool ComposePictureView(const Location &location, const CatalogEntry &entry, int mode,
                        const std::string &tempFile, Ui &ui, PictureView &view,
                        const std::function<void()> &refused)
{
    if (!PictureModeAccepts(mode, entry)) {
        view = PictureView();
        return false;
    }
    switch (mode) {
    case kPictureTiArtist:
        return ShowTiArtistPicture(location, entry, tempFile, ui, view);
    case kPictureMyart256:
        return ShowMyartPicture(location, entry, 256, tempFile, ui, view, refused);
    case kPictureMyart512:
        return ShowMyartPicture(location, entry, 512, tempFile, ui, view, refused);
    default:
        return ShowCharacterSet(location, entry, tempFile, ui, view);
    }
}

bool ComposePictureView(const Location &location, const CatalogEntry &entry, int mode, Ui &ui,
                        PictureView &view, const std::function<void()> &refused)
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    return ComposePictureView(location, entry, mode, temp.GeneralFile(), ui, view, refused);
}

PictureClientSize PictureClientSizeFor(int mode, const Raster &bitmap)
{
    // The 512 mode's pixels are half as wide as the 256 mode's: only the
    // height is doubled.
    const int widthFactor = mode == kPictureMyart512 ? 1 : 2;
    return {bitmap.Width() * widthFactor, bitmap.Height() * 2};
}

} // namespace kestrel
