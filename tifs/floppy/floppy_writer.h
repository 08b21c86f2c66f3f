// Changing floppy disk images in place: a new empty image from a preset,
// adding a TI file, deleting and renaming one. Every change reads the VIB
// and the file index it acts on, changes them in memory and writes the
// touched sectors back in a fixed order (data, FDR, file index, VIB). The
// same calls serve CF7A+ volumes (a byte base inside a card image) and the
// subdirectories of a disk (their own file index; the bitmap stays the VIB's).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// The directory of a disk image that a change acts on.
struct FloppyTarget {
    std::string imagePath;
    uint64_t base = 0;       // byte offset of the volume (0 for a DSK file)
    uint16_t fdirSector = 1; // the file index: 1 for the root, else the subdirectory's
};

// The "All" answer of the overwrite question, kept for one operation over a
// batch of files; a new operation starts with a fresh one.
struct AddFileState {
    bool overwriteAll = false;
};

enum AddFileResult : int {
    kAddDone = 0,    // added, skipped ("No") or failed before anything was allocated
    kAddStopped = 2, // Cancel, or the data could not be allocated or copied
};

// Builds the VIB of a new empty disk: label upper-cased and padded to 10,
// geometry, "DSK", a space as protection byte, sectors 0 and 1 used and the
// bits beyond the disk set.
void BuildNewVib(const FloppyPreset &preset, const std::string &label, uint8_t *vibSector);

// Writes a new image at path: the VIB, an empty file index, then sectors
// filled with 0xE5. Returns 0, or 7 after "Can't open file for write <%s>" or
// "Can't write sector <%d> to <%s>".
int WriteNewImage(const FloppyPreset &preset, const std::string &label, const std::string &path,
                  Ui &ui);

// "Create new DSK image": label (1 to 10 characters) + ".dsk" in directory.
// An empty label shows "Please enter a volume label"; an existing file is
// replaced only after "DSK allready exist:\n<%s>\nOverwrite?" is answered
// Yes. createdPath receives the file's path. True when the image was written.
bool CreateImage(const std::string &directory, const std::string &label, int presetIndex, Ui &ui,
                 std::string *createdPath = nullptr);

// Finds the longest free run of AUs from firstAu (stopping early at one of
// `wanted`), marks it used and returns its start and length; a run may only
// start at a multiple of alignAus. lastAu bounds the search (exclusive).
bool AllocateRun(uint8_t *vibSector, unsigned wanted, unsigned firstAu, unsigned lastAu,
                 unsigned alignAus, unsigned &start, unsigned &count);

// Clears the bitmap bits of every sector of the FDR's data chain (chain read
// as the density and total of the disk say; a damaged chain is freed only as
// far as it is sound).
void FreeClusters(const uint8_t *fdrSector, uint8_t *vibSector, unsigned auSize, unsigned density,
                  unsigned totalSectors);
// Sets (used) or clears the bitmap bits of every sector of the FDR's data chain, read as for
// FreeClusters.
void SetChainBits(const uint8_t *fdrSector, uint8_t *vibSector, unsigned auSize, unsigned density,
                  unsigned totalSectors, bool used);

enum class FindResult { Found, NotFound, Failure };

// Binary search of a 10-byte TI name in a file index. position is the byte
// position of the name's word, or where it belongs. fdrSector receives the
// FDR of the found file. Failure after a reported read error or a word
// beyond the disk.
FindResult FindNameInIndex(ImageAccess &image, const FloppyTarget &target, unsigned totalSectors,
                           const uint8_t *fdirSector, const std::string &name10, uint8_t *fdrSector,
                           unsigned &position, Ui &ui);

// Adds the TI file at sourcePath (a PC file with a 128-byte header) under the
// entry's TI name (or the TI form of its PC name) and descriptor fields. An
// existing name asks "%s <%s> allready exist. Overwrite?" through
// Ui::AskOverwrite unless state says "All". Sets the last message to 0 first.
AddFileResult AddFileToImage(const FloppyTarget &target, const CatalogEntry &entry,
                             const std::string &sourcePath, AddFileState &state, Ui &ui);

// As AddFileToImage with the source found from the location that shows the
// entry: a PC directory gives the file itself; any other location saves it
// first to the program's general temporary file through its registered
// EntrySaver (archives, disk images, hard disks).
AddFileResult AddEntryToImage(const FloppyTarget &target, const Location &source,
                              const CatalogEntry &entry, AddFileState &state, Ui &ui);

// Deletes a TI file (kinds 1 to 5; other kinds are left alone, false without
// a message). "File <%s> doesn't exist" when the name is not in the index.
bool DeleteFileFromImage(const FloppyTarget &target, const CatalogEntry &entry, Ui &ui);

// Renames a TI file (kinds 1 to 5) to newName10 (10 bytes, space-padded);
// newNameShown names it in messages. "File <%s> allready exist" for a taken
// name. The entry's TI name is updated. True when renamed (or unchanged).
bool RenameFileInImage(const FloppyTarget &target, CatalogEntry &entry,
                       const std::string &newName10, const std::string &newNameShown, Ui &ui);

// The target for a location that shows a floppy image or a subdirectory of one.
FloppyTarget TargetForLocation(const Location &location);

} // namespace kestrel
