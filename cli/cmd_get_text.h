// The --text variant of "get" for a member of an ARC archive: the member's
// sectors written as PC text through the viewers' member-to-text conversion,
// as "Save as PC-file" does in the program.
#pragma once

#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel::cli
{

// True when the location is an archive, so that --text can be served.
bool IsArchiveLocation(const Location &location);

// Writes member (an entry of the archive that location shows) as PC text to
// target; an empty target means the PC form of the member's TI name in the
// current directory. False after a reported failure.
bool GetArchiveMemberAsText(const Location &location, const CatalogEntry &member,
                            const std::string &target, Ui &ui);

} // namespace kestrel::cli
