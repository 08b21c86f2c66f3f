// Extracting one member of an archive: as a TI file (a V9T9 header, or a
// TIFILES header when the setting extracttifiles is on, then the member's
// sectors) or, for "Save as PC-file", as text through a converter that the
// viewers provide (the archive reader knows no record formats).
//
// The target is written beside itself first and takes the target's name
// only once it is complete, so a failed extraction leaves an existing file
// as it was. Failures are reported through ui; the functions return false.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "tifs/arc/archive_reader.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

constexpr int kExtractTiFile = 1; // any other form writes text

// Turns count sectors of member data into PC text and writes it to out.
// callIndex counts the calls of one conversion from 0 (a write failure shows
// the running sector number). Returns false after reporting.
using ArchiveTextWriter =
    std::function<bool(const uint8_t *sectors, size_t count, const CatalogEntry &member,
                       std::FILE *out, int callIndex, Ui &ui)>;

// The TI file header of an extracted member: V9T9 (or TIFILES with
// extractTiFiles) from the member's fields, archive bit cleared.
void MakeExtractedMemberHeader(const TiFileDescriptor &member, bool tifiles, uint8_t *header);

// Extracts the member (an entry of an archive listing: archiveMember holds
// its index + 1) from archive. An empty target asks the user with the save
// chooser, proposing the PC form of the member's TI name ("Save as TI-file",
// or "Save as PC-file" with "All files (*.*)"); cancelling returns false
// without a message. Text needs a textWriter; without one nothing is written.
bool ExtractArchiveMember(const ArchiveFile &archive, const CatalogEntry &member, int form,
                          const std::string &target, Ui &ui,
                          const ArchiveTextWriter &textWriter = {});

// The same for a pane that shows an archive (location kind 8): the archive
// is the location's file, its descriptor the last container entry.
bool ExtractArchiveMember(const Location &location, const CatalogEntry &member, int form,
                          const std::string &target, Ui &ui,
                          const ArchiveTextWriter &textWriter = {});

// The archive a location of kind 8 shows, for the functions above.
ArchiveFile ArchiveOfLocation(const Location &location);

} // namespace kestrel
