// "Pack to archive": the marked TI files of a pane (or any TI files the
// command line names) become one ARC archive, compressed (INT/FIX 128, one
// LZW stream) or plain (DIS/FIX 128), written as a TI file into the other
// pane's location: a PC directory gets a TIFILES file, a floppy image or a
// volume of a CF7A+ card image gets it through the floppy writer, a
// hard-disk image through the hard-disk copy.
//
// Every member is read before anything is written, so an archive may be
// packed into the location its members come from, even over one of them.
#pragma once

#include <string>
#include <vector>

#include "tifs/arc/archive_writer.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

struct PackOptions {
    // The archive's name: the PC file name in a PC directory, else typed as a
    // PC name and turned into its TI form.
    std::string name;
    bool plain = false; // DIS/FIX 128 without compression
};

// One file to pack and the location that lists it.
struct PackSource {
    const Location *location = nullptr;
    const CatalogEntry *entry = nullptr;
};

// False after "Can only pack files to a directory or a disk image" when the
// destination cannot take a TI file (an archive, a PC99 image, a card list,
// a card in a drive, a hard-disk image outside a partition's directory).
bool CheckPack(const Location &destination, Ui &ui);

// Reads the TI file an entry names into a member: a file of a PC directory
// directly, a file inside a container through the general temporary file.
// "Can't pack <%s>: not a TI file" for an entry of another kind; the
// reader's own messages otherwise. False after reporting.
bool ReadPackMember(const Location &location, const CatalogEntry &entry, ArcMember &member, Ui &ui);

// Packs the sources in order into options.name in destination. An empty
// name shows "Please enter a name for the archive". Progress runs over the
// members; Cancel between them stops before anything is written. Refuses
// with "Too many files for one archive" beyond 127 members and "Archive <%s>
// would be larger than a TI file can be" beyond 32767 sectors. An existing
// PC file asks the overwrite question and is replaced only once the new
// archive is complete. Returns 0 when written or skipped on "No", -1 after a
// message, 2 on Cancel.
int PackEntries(Location &destination, const std::vector<PackSource> &sources,
                const PackOptions &options, Ui &ui);

// The pane command: the marked TI files of source (else the cursor entry)
// into destination, listed again afterwards. "Please mark the files to pack"
// when none of them is a TI file. Packed entries are unmarked.
int PackMarked(Location &destination, Location &source, CatalogEntry *cursor,
               const PackOptions &options, Ui &ui);

} // namespace kestrel
