#include "app/shell/catalog_location_service.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_file.h"

namespace kestrel {

namespace {

// Container locations are listed again by their module at the level shown.
// Until a module offers that, the pane keeps what it shows.
bool RereadContainer(Location& location, Ui& ui)
{
    (void)location;
    (void)ui;
    return false;
}

} // namespace

bool CatalogLocationService::OpenLocation(Location& location, Ui& ui)
{
    return kestrel::OpenLocation(location, ui);
}

bool CatalogLocationService::OpenEntry(Location& location, const CatalogEntry& entry, Ui& ui)
{
    return kestrel::OpenEntry(location, entry, ui);
}

bool CatalogLocationService::Reread(Location& location, Ui& ui)
{
    if (location.kind == kLocPcDirectory) {
        location.entries.clear();
        return kestrel::OpenLocation(location, ui);
    }
    return RereadContainer(location, ui);
}

void CatalogLocationService::Sort(Location& location)
{
    SortCatalog(location);
}

int CatalogLocationService::IsGifFile(const Location& location, const CatalogEntry& entry, Ui& ui)
{
    const std::string path = JoinPcPath(location.path, entry.pcName);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ReportSystemError(ui, errno, 1, {path});
        return -1;
    }
    char data[kHeaderSize + 3] = {};
    in.read(data, sizeof data);
    if (in.gcount() != static_cast<std::streamsize>(sizeof data))
        return 0; // too short to be a picture: treated as an archive candidate
    return std::memcmp(data + kHeaderSize, "GIF", 3) == 0 ? 1 : 0;
}

std::array<std::string, kColumnCount> CatalogLocationService::Cells(const Location& location,
                                                                    const CatalogEntry& entry)
{
    return EntryCells(entry, location);
}

std::string CatalogLocationService::StatusLine(const Location& location)
{
    return kestrel::StatusLine(location);
}

std::string CatalogLocationService::PathLine(const Location& location)
{
    return PathLineText(location);
}

} // namespace kestrel
