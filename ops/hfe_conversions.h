// The menu conversions between HFE track images and DSK sector dumps, over
// the marked entries of a pane (or its cursor entry when none is marked).
#pragma once

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

enum class HfeDirection { HfeToDsk, DskToHfe };

// True for the entries the direction converts: HFE images, or DSK images
// (sector dumps) in a PC directory.
bool IsHfeConversionSource(const CatalogEntry &entry, HfeDirection direction);

// The target's file name: the source's with its extension replaced by
// ".dsk" or ".hfe" (appended when it has none).
std::string HfeConversionTargetName(const std::string &pcName, HfeDirection direction);

// Converts each qualifying entry of source (a PC directory) into the PC
// directory destination. Only a PC directory takes the images ("Can only
// extract files to a directory" otherwise). An existing target asks the
// overwrite question ("DSK image" or "HFE image"). Progress counts the
// images; Cancel stops between them. The first failed conversion ends the
// batch after its message. Returns the number converted; the destination is
// listed again after each.
int ConvertHfeImages(Location &destination, Location &source, CatalogEntry *cursor,
                     HfeDirection direction, Ui &ui);

} // namespace kestrel
