// Sorting a pane's catalog fast enough for a hundred thousand entries, and
// merging newly listed entries into a catalog that is sorted already. Both
// give exactly the order of SortCatalog: the same ranks and comparisons,
// with equal entries kept in the order they came.
#pragma once

#include "tifs/catalog_entry.h"

namespace kestrel
{

// Sorts catalog in order (0 to 4; any other order leaves it as it is) as
// SortCatalog sorts a location of that kind. The sort keys (names folded to
// lower case, the numeric ranks) are made once per entry rather than once
// per comparison.
void SortCatalogByKeys(Catalog &catalog, int order, bool pcDirectory);

// Appends batch (entries in scan order, listed after every entry of
// catalog) to catalog, which is sorted in order, so that catalog ends as
// SortCatalog would sort the whole scan. Orders outside 0 to 4 append.
void MergeSortedBatch(Catalog &catalog, Catalog &&batch, int order, bool pcDirectory);

} // namespace kestrel
