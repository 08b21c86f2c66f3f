// The three batch commands that turn whole containers of one pane into items
// of the other (a PC directory): every file of ARC archives and floppy
// images into a new numbered folder each, ARC archives into new DSK images,
// PC99 track images into DSK sector dumps. Each works on the marked entries
// or the cursor entry, unmarks what it handled, stops between items when the
// user cancelled, and lists the destination again.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// What the dialogs (or the command line) chose; the work file is where an
// archive inside a container is saved first (empty: the program's archive
// work file).
struct ExtractOptions {
    std::string archiveWorkFile;
};

// DIS/FIX or INT/FIX of record length 128, at least 2 sectors, neither an
// archive member nor inside a container.
bool IsArcCandidate(const CatalogEntry &entry);

// The name a container's folder or image gets: the PC form of its TI name,
// or for an empty or "no_name!! " name the PC form of the TI form of its
// PC name.
std::string ContainerBaseName(const CatalogEntry &entry);

// "dir/base" + suffix, or "dir/base(N)" + suffix with the smallest N from 1
// that names nothing yet.
std::string FreeNumberedPath(const std::string &directory, const std::string &base,
                             const std::string &suffix);

// The disk an archive needs: 2 + the sum of (sectors + 1) over its members;
// the preset index (1: 720 sectors, 2: 1440), or -1 when it is larger.
int ArcToDskPreset(unsigned neededSectors);

// Extraction of ARC and DSK/PC99 containers. Refused with "Can only extract
// files to a directory". Returns the number of containers extracted, -1
// when refused; a folder that cannot be made stops the batch.
int ExtractContainers(Location &destination, Location &source, CatalogEntry *cursor,
                      const ExtractOptions &options, Ui &ui);

// ARC archives to new DSK images. Refused with "Can only convert ARC files
// to a directory". Archives too large for 1440 sectors are skipped without
// a message. Returns the number of images written, -1 when refused.
int ConvertArcsToDsk(Location &destination, Location &source, CatalogEntry *cursor,
                     const ExtractOptions &options, Ui &ui);

// PC99 images (kinds 10 and 11) to DSK images of the same PC name. Refused
// with "Can't convert PC99 images to itself" or "Can only convert PC99
// images to a directory". An existing target is asked about ("DSK image")
// and replaced only by a complete conversion; a failed conversion stops
// the batch. Returns the number converted, -1 when refused.
int ConvertPc99sToDsk(Location &destination, Location &source, CatalogEntry *cursor, Ui &ui);

} // namespace kestrel
