// Listing hard-disk locations: a volume's directories through the library,
// the partitions of a partitioned image from its table.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// How a listing came about: an entry opened from the pane (its name is
// pushed), one level up (a name is popped), or the level shown again.
enum class HdListMode { Enter, Up, Reread };

// Lists the directory of a volume. With Enter, opened (an image of kind 13,
// a partition of kind 13 or a subdirectory of kind 6) is pushed on the name
// stack; with Up the innermost name is popped. Sets location kind 4 or 5 and
// the path fields, fills location.entries (".." first). On failure, after
// the message, the location is left as it was and false returned.
bool ListHdDirectory(Location &location, const CatalogEntry &opened, HdListMode mode, Ui &ui);

// Lists the partitions of the partitioned image `opened` (kind 12) at
// location.path (Enter pushes opened; Up pops down to it). addParent adds
// "..". Messages 1 and 9 on failure; false then, the location unchanged.
bool ListHdPartitions(Location &location, const CatalogEntry &opened, HdListMode mode,
                      bool addParent, Ui &ui);

// Lists the hard-disk location again at the level shown.
bool RereadHdLocation(Location &location, Ui &ui);

// One level up inside an image: from a partition's root to the partition
// list, from a subdirectory to its parent. False at the root of a single
// volume or at the partition list (the caller leaves the image).
bool HdLevelUp(Location &location, Ui &ui);

// Opens an image entry of a PC directory (kind 12 or 13) or a partition
// entry of a partition list as the pane would.
bool OpenHdImageEntry(Location &location, const CatalogEntry &entry, Ui &ui);

} // namespace kestrel
