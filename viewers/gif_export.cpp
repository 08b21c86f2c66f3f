#include "viewers/gif_export.h"
#include "platform/fault_injection.h"

#include <algorithm>

#include "platform/temp_dir.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"
#include "viewers/picture/myart.h"
#include "viewers/picture_views.h"
#include "viewers/tifile_data.h"
#include "viewers/view_caption.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgNotGif = 21;
constexpr unsigned kRecordsPerSector = kSectorSize / kMyartRecordSize;

std::string TrimmedTiName(const CatalogEntry &entry)
{
    std::string name = entry.ti.tiName;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

} // namespace

bool WriteGifFile(const Location &location, const CatalogEntry &entry, const std::string &tempFile,
                  const std::string &gifPath, Ui &ui)
{
    if (!IsDisFix128File(entry)) {
        return false;
    }
    TiFileStream stream = OpenTiFileData(location, entry, tempFile, ui);
    if (!stream) {
        return false;
    }
    StdioFile gif(gifPath.empty() ? nullptr : std::fopen(gifPath.c_str(), "wb"));
    if (!gif) {
        ReportError(ui, kMsgCantWrite, {gifPath});
        return false;
    }
    const std::string name = ViewFileName(location, entry);
    const unsigned records = entry.ti.level3Count;
    unsigned written = 0;
    uint8_t sector[kSectorSize];
    for (unsigned number = 1; written < records; ++number) {
        // The last sector needs to hold only the records that are left.
        const unsigned inSector = std::min(kRecordsPerSector, records - written);
        const size_t want = inSector * kMyartRecordSize;
        if (ReadUpTo(stream.file.get(), sector, kSectorSize) < want) {
            ReportError(ui, kMsgCantReadSector, {number, name});
            return false;
        }
        if (written == 0 && !BeginsWithGif(sector, want)) {
            ReportError(ui, kMsgNotGif, {TrimmedTiName(entry)});
            return false;
        }
        if (platform::io::Fwrite(sector, 1, want, gif.get()) != want) {
            ReportError(ui, kMsgCantWriteSector, {number, gifPath});
            return false;
        }
        written += inSector;
    }
    if (written == 0) {
        // No record to look at: nothing says this is a picture.
        ReportError(ui, kMsgNotGif, {TrimmedTiName(entry)});
        return false;
    }
    if (platform::io::Fclose(gif.release()) != 0) {
        ReportError(ui, kMsgCantWriteSector, {(written + 1) / kRecordsPerSector, gifPath});
        return false;
    }
    return true;
}

bool WriteGifFile(const Location &location, const CatalogEntry &entry, Ui &ui, std::string &gifPath)
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    gifPath = temp.PictureFile();
    return WriteGifFile(location, entry, temp.GeneralFile(), gifPath, ui);
}

} // namespace kestrel
