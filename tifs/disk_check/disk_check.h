// A read-only file-system check of a floppy disk: a DSK or PC99 image, or a
// volume at a byte base inside a larger image (a CF7A+ card). It walks the
// file index of the root and of every subdirectory, follows each data chain
// with a bound, and compares what the files use with the allocation bitmap.
// Each finding is one line of text; the summary line closes the report.
// Nothing is ever written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/floppy/floppy_reader.h"
#include "tifs/ui.h"

namespace kestrel
{

struct DiskCheckResult {
    std::vector<std::string> findings; // one line each, in the order found
    std::string summary; // "<n> files, <m> sectors in use: clean" or "...: <k> problems"
    unsigned files = 0;
    unsigned directories = 0; // subdirectories checked
    unsigned sectorsInUse = 0;
    bool Clean() const { return findings.empty(); }
};

// Checks the disk already opened in disk. A sector that cannot be read is
// reported through ui (the reader's message) and becomes a finding too.
// sectorLimit (non-zero for a card volume) is the most sectors the disk's
// place can hold; a VIB that says more is a finding.
DiskCheckResult CheckFloppyFileSystem(FloppyDisk &disk, Ui &ui, unsigned sectorLimit = 0);

// Fills result.summary from the counters and findings.
void SummarizeDiskCheck(DiskCheckResult &result);

// Opens the image file at path read-only, with the volume at byte base (0
// for a DSK or PC99 file), and checks it. False when the image could not be
// opened or holds no disk (reported through ui; result then has a finding
// saying so).
bool CheckDiskImage(const std::string &path, uint64_t base, DiskCheckResult &result, Ui &ui);

} // namespace kestrel
