// The location listers as the shell sees them: list a path, step into an
// entry or back up, list again, sort, and the texts a pane shows. The program
// binds this to the catalog of tifs; the shell tests bind it to a fake, so
// that the pane rules are tested without files.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "tifs/location.h"
#include "tifs/pc_directory_scan.h"
#include "tifs/settings.h"
#include "tifs/ui.h"

namespace kestrel
{

class LocationService
{
public:
    virtual ~LocationService() = default;

    // Lists location.path afresh (a PC directory, or an image file). On
    // failure the catalog is left empty after reporting message 0.
    virtual bool OpenLocation(Location &location, Ui &ui) = 0;
    // Lists what the entry leads to: a subdirectory, an image, an archive,
    // a volume, or one level up for the ".." entry. False after reporting,
    // or when the entry leads nowhere.
    virtual bool OpenEntry(Location &location, const CatalogEntry &entry, Ui &ui) = 0;
    // Lists the location again at the level shown.
    virtual bool Reread(Location &location, Ui &ui) = 0;
    // Sorts the catalog by location.sortOrder (5 keeps the scan order).
    virtual void Sort(Location &location) = 0;
    // Adds entries listed after every entry of a sorted catalog so that it
    // stays sorted, as Sort would sort the whole.
    virtual void MergeSorted(Location &location, Catalog &&batch)
    {
        for (auto &entry : batch)
            location.entries.push_back(std::move(entry));
        batch.clear();
        Sort(location);
    }
    // The PC-folder scan that the last OpenLocation, OpenEntry or Reread
    // left to the caller to run (on another thread) with the catalog still
    // empty; null when that listing was complete.
    virtual std::unique_ptr<PcDirectoryScan> TakeUnfinishedScan() { return nullptr; }
    // 1 when the file's data begins with "GIF", 0 when not, -1 when it could
    // not be read (already reported).
    virtual int IsGifFile(const Location &location, const CatalogEntry &entry, Ui &ui) = 0;

    virtual std::array<std::string, kColumnCount> Cells(const Location &location,
                                                        const CatalogEntry &entry) = 0;
    // One cell of the row (0 to kColumnCount - 1), for a column measured over many rows.
    virtual std::string Cell(const Location &location, const CatalogEntry &entry, int column)
    {
        return column >= 0 && column < kColumnCount ? Cells(location, entry)[column] : std::string();
    }
    virtual std::string StatusLine(const Location &location) = 0;
    virtual std::string PathLine(const Location &location) = 0;
};

} // namespace kestrel
