#include "app/shell/catalog_location_service.h"

#include <cerrno>
#include <cctype>
#include <cstring>
#include <fstream>

#include "tifs/catalog_order.h"
#include "app/shell/navigation.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

// A container is listed again by leaving it and entering it afresh from the
// entry that led into it, on a copy, so that a failure leaves the pane as it
// was. Inside a container's subdirectories the level shown would be lost, so
// those stay as they are until their module offers a way to list them again.
bool RereadContainer(Location &location, Ui &ui)
{
    if (location.containerEntries.empty() || location.containerDepth > 1)
        return false;
    const CatalogEntry container = location.containerEntries.back();
    Location probe;
    CopyLocationState(probe, location);
    if (!GoUp(probe, ui) || !kestrel::OpenEntry(probe, container, ui))
        return false;
    CopyLocationState(location, probe);
    location.entries = std::move(probe.entries);
    return true;
}

} // namespace

// Whatever the step lists on the way (a container's parent folder, say),
// only a scan of the folder the location ends in is left unfinished.
template <typename Step> bool CatalogLocationService::Listing(Location &location, Step step)
{
    m_unfinished.reset();
    if (!m_background)
        return step();
    PcScanDeferral deferral;
    const bool ok = step();
    m_unfinished = deferral.Take(location);
    return ok;
}

bool CatalogLocationService::OpenLocation(Location &location, Ui &ui)
{
    return Listing(location, [&] { return kestrel::OpenLocation(location, ui); });
}

bool CatalogLocationService::OpenEntry(Location &location, const CatalogEntry &entry, Ui &ui)
{
    return Listing(location, [&] { return kestrel::OpenEntry(location, entry, ui); });
}

bool CatalogLocationService::Reread(Location &location, Ui &ui)
{
    if (location.kind == kLocPcDirectory) {
        return Listing(location, [&] {
            location.entries.clear();
            return kestrel::OpenLocation(location, ui);
        });
    }
    m_unfinished.reset();
    return RereadContainer(location, ui);
}

void CatalogLocationService::Sort(Location &location)
{
    SortCatalogByKeys(location.entries, location.sortOrder,
                      location.kind == kLocPcDirectory);
}

void CatalogLocationService::MergeSorted(Location &location, Catalog &&batch)
{
    MergeSortedBatch(location.entries, std::move(batch), location.sortOrder,
                     location.kind == kLocPcDirectory);
}

std::unique_ptr<PcDirectoryScan> CatalogLocationService::TakeUnfinishedScan()
{
    return std::move(m_unfinished);
}

int CatalogLocationService::IsGifFile(const Location &location, const CatalogEntry &entry, Ui &ui)
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
    // The signature counts in any letter case.
    for (int i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(data[kHeaderSize + i])) != "GIF"[i])
            return 0;
    return 1;
}

std::array<std::string, kColumnCount> CatalogLocationService::Cells(const Location &location,
                                                                    const CatalogEntry &entry)
{
    return EntryCells(entry, location);
}

std::string CatalogLocationService::Cell(const Location &location, const CatalogEntry &entry,
                                         int column)
{
    return EntryCell(entry, location, column);
}

std::string CatalogLocationService::StatusLine(const Location &location)
{
    return kestrel::StatusLine(location);
}

std::string CatalogLocationService::PathLine(const Location &location)
{
    return PathLineText(location);
}

} // namespace kestrel
