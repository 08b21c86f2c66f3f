#include "ops/relist.h"

#include "drives/cf7_listing.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_reader.h"

namespace kestrel
{

namespace
{

bool HasParentEntry(const Location &location)
{
    for (const auto &entry : location.entries) {
        if (entry->ti.kind == kKindUpDir) {
            return true;
        }
    }
    return false;
}

} // namespace

bool RelistLocation(Location &location, Ui &ui)
{
    bool ok = true;
    bool parent = HasParentEntry(location);
    switch (location.kind) {
    case kLocPcDirectory:
        ok = OpenLocation(location, ui);
        break;
    case kLocDskImage:
    case kLocPc99Image:
        ok = ListFloppyImage(location, location.path, location.fdirSector, location.subdirName,
                             parent, ui);
        break;
    case kLocCf7Volume:
        if (!location.containerEntries.empty()) {
            CatalogEntry volume = location.containerEntries.back();
            ok = ListCf7Volume(location, volume, parent, ui, location.fdirSector,
                               location.subdirName);
        }
        break;
    default:
        return true;
    }
    SortCatalog(location);
    return ok;
}

} // namespace kestrel
