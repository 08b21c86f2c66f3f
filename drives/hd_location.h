// A pane's position inside a hard-disk image, and the requests built for it.
//
// The position lives in the Location fields that every pane copies:
//   path              the image file;
//   containerEntries  the name stack: entry 0 is the image (kind 12 or 13),
//                     for a partitioned image entry 1 is the partition, the
//                     rest are the directories entered (at most 20 in all);
//   hdLevel           the stack depth + 1 (2 at the root of a single volume
//                     and at a partition list, 3 at a partition's root);
//   innerPath         names 1 to depth - 1 joined by ".".
// Every entry a hard-disk lister makes carries the volume's first image
// sector as its base offset, so the innermost stack entry names the volume.
#pragma once

#include <cstdint>
#include <string>

#include "hdlib/brackenly.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

constexpr int kHdNameStackLimit = 20;

// The TI name as the library takes it: up to the first space, at most 10.
std::string HdName(const std::string &tiName);

// Depth of the name stack (0 outside an image).
int HdDepth(const Location &location);
// The first image sector of the volume the location shows.
uint32_t HdVolumeSector(const Location &location);
// Pushes an entry on the name stack (false, nothing changed, at 20) or pops one.
bool PushHdName(Location &location, const CatalogEntry &entry);
void PopHdName(Location &location);

// Binds the library when needed, opens the location's image when it is not
// the cached one (ordinal 2, answer not looked at) and selects the volume by
// its first sector (ordinal 5): -1 shows message 58, 1 message 59, and the
// caller goes on in either case. False only when the library is not bound.
bool PointHdLibrary(const Location &location, Ui &ui);

// The TI directory path of the location (".", ".UTIL.", ".UTIL.SUB."), with
// the TI name appended when one is given.
std::string HdTiPath(const Location &location, const std::string &tiName = std::string());

// A cleared request for slot 1.
brackenly::FileRequest HdRequest();
// The request for a catalog entry: directory flag for kind 6, its flags with
// the archive bit cleared, record length, sectors, end-of-file offset,
// level-3 count, records per sector and the TI name at offset 43.
brackenly::FileRequest HdRequestFromEntry(const CatalogEntry &entry);

// Copies a text into a request's path field, cut to fit.
void SetRequestPath(brackenly::FileRequest &request, const std::string &path);

} // namespace kestrel
