// The LocationService of the program: the catalog of tifs with whatever
// container modules registered themselves.
#pragma once

#include "app/shell/location_service.h"

namespace kestrel
{

class CatalogLocationService : public LocationService
{
public:
    // With background scans on, listing a PC folder only opens it and
    // leaves the scan to TakeUnfinishedScan; off (the default), every
    // listing is complete when it returns.
    void SetBackgroundScans(bool on) { m_background = on; }

    bool OpenLocation(Location &location, Ui &ui) override;
    bool OpenEntry(Location &location, const CatalogEntry &entry, Ui &ui) override;
    bool Reread(Location &location, Ui &ui) override;
    void Sort(Location &location) override;
    void MergeSorted(Location &location, Catalog &&batch) override;
    std::unique_ptr<PcDirectoryScan> TakeUnfinishedScan() override;
    int IsGifFile(const Location &location, const CatalogEntry &entry, Ui &ui) override;
    std::array<std::string, kColumnCount> Cells(const Location &location,
                                                const CatalogEntry &entry) override;
    std::string Cell(const Location &location, const CatalogEntry &entry, int column) override;
    std::string StatusLine(const Location &location) override;
    std::string PathLine(const Location &location) override;

private:
    template <typename Step> bool Listing(Location &location, Step step);

    bool m_background = false;
    std::unique_ptr<PcDirectoryScan> m_unfinished;
};

} // namespace kestrel
