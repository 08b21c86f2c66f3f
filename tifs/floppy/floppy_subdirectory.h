// Subdirectories of a floppy disk. The root of a disk can hold three, one in
// each slot of its VIB: a 10-byte name and the sector of the subdirectory's
// file index, which has the layout of the root's (up to 127 FDR sector
// numbers sorted by name, ended by a zero word). That sector is the
// subdirectory's only sector; it is allocated like an FDR and marked in the
// bitmap. Files inside a subdirectory are added, deleted and renamed by the
// floppy writer through its own file index.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ui.h"

namespace kestrel
{

// The TI form of a typed directory name (upper-cased, up to the first ".",
// spaces as "_", padded to 10); "" when nothing of it is left.
std::string FloppyDirectoryName(const std::string &typed);

// Creates the subdirectory name10 (10 bytes, space-padded) at the root of
// target's disk: an empty file index in the first free FDR sector, then the
// first unused VIB slot. Refused, with nothing written, with "Can't create a
// directory here" outside the root, "Can't create directory <%s>" for a blank name, "No free
// directory slot on <%s>" when all three are used, "Directory <%s> already exists" or "File <%s>
// allready exist" for a name that is taken, "DSK is full <%s>" when no sector is free, and the
// writer's messages when the image cannot be opened or read. fdirSector receives the new index's
// sector. True when made.
bool CreateFloppySubdirectory(const FloppyTarget &target, const std::string &name10, Ui &ui,
                              uint16_t *fdirSector = nullptr);

// Removes the subdirectory that entry (kind 6, listed at the root) names:
// clears its slot and frees its file index sector. Refused with "Directory
// <%s> is not empty" while its index holds a file, "Directory <%s> doesn't
// exist" when no slot holds that name and sector. True when removed.
bool DeleteFloppySubdirectory(const FloppyTarget &target, const CatalogEntry &entry, Ui &ui);

// Renames the subdirectory entry names to newName10; a name another
// subdirectory or a root file has is refused as in creation. The entry's TI
// name is updated. True when renamed (or unchanged).
bool RenameFloppySubdirectory(const FloppyTarget &target, CatalogEntry &entry,
                              const std::string &newName10, Ui &ui);

} // namespace kestrel
