#include "viewers/tifile_data.h"

#include "platform/temp_dir.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_file.h"
#include "viewers/view_caption.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpen = 1;
constexpr int kMsgSeek = 14;

} // namespace

TiFileStream OpenTiFileData(const Location &location, const CatalogEntry &entry,
                            const std::string &tempFile, Ui &ui)
{
    TiFileStream stream;
    if (location.kind == kLocPcDirectory && !location.insideContainer) {
        stream.path = JoinPcPath(location.path, entry.pcName);
    } else {
        RegisterLocationListers();
        const EntrySaver saver = FindEntrySaver(location.kind);
        if (saver == nullptr || tempFile.empty()) {
            ReportError(ui, kMsgCantOpen,
                        {tempFile.empty() ? ViewFileName(location, entry) : tempFile});
            return stream;
        }
        if (!saver(location, entry, tempFile, ui)) {
            return stream;
        }
        stream.path = tempFile;
    }
    StdioFile file(std::fopen(stream.path.c_str(), "rb"));
    if (!file) {
        ReportError(ui, kMsgCantOpen, {stream.path});
        return stream;
    }
    if (std::fseek(file.get(), static_cast<long>(kHeaderSize), SEEK_SET) != 0) {
        ReportError(ui, kMsgSeek, {stream.path});
        return stream;
    }
    stream.file = std::move(file);
    return stream;
}

TiFileStream OpenTiFileData(const Location &location, const CatalogEntry &entry, Ui &ui)
{
    platform::TempDir &temp = platform::ProgramTempDir();
    if (!temp.Created()) {
        temp.Create();
    }
    return OpenTiFileData(location, entry, temp.GeneralFile(), ui);
}

size_t ReadUpTo(std::FILE *file, uint8_t *buffer, size_t size)
{
    size_t got = 0;
    while (file != nullptr && got < size) {
        const size_t n = std::fread(buffer + got, 1, size - got, file);
        if (n == 0) {
            break;
        }
        got += n;
    }
    return got;
}

} // namespace kestrel
