#include "tifs/catalog_entry.h"

namespace kestrel {

CatalogEntry* AddEntry(Catalog& catalog)
{
    catalog.push_back(std::make_unique<CatalogEntry>());
    return catalog.back().get();
}

} // namespace kestrel
