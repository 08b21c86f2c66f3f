// The LocationService of the program: the catalog of tifs with whatever
// container modules registered themselves.
#pragma once

#include "app/shell/location_service.h"

namespace kestrel
{

class CatalogLocationService : public LocationService
{
public:
    bool OpenLocation(Location &location, Ui &ui) override;
    bool OpenEntry(Location &location, const CatalogEntry &entry, Ui &ui) override;
    bool Reread(Location &location, Ui &ui) override;
    void Sort(Location &location) override;
    int IsGifFile(const Location &location, const CatalogEntry &entry, Ui &ui) override;
    std::array<std::string, kColumnCount> Cells(const Location &location,
                                                const CatalogEntry &entry) override;
    std::string StatusLine(const Location &location) override;
    std::string PathLine(const Location &location) override;
};

} // namespace kestrel
