// The state every in-place change of a floppy image starts from: the image
// opened for writing, its VIB and the file index the change acts on. Files
// and subdirectories are changed through the same opening, so that a new
// kind of sector device needs to be taught here only.
#pragma once

#include "tifs/disk_summary.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/ui.h"

namespace kestrel
{

struct WritableDisk {
    FloppyImageFile image;
    uint8_t vib[kSectorSize];
    uint8_t index[kSectorSize];
    DiskSummary summary;
    unsigned auSize = 1;

    // Opens target.imagePath for reading and writing and reads sector 0 and
    // the file index at target.fdirSector. False after "Can't open file for
    // read and write <%s>", "Can't read sector <%d> from <%s>" or "Can't
    // read diskinfo from diskfile <%s>" (no disk, or an index outside it).
    bool Open(const FloppyTarget &target, Ui &ui);

    // How the data chains of this disk are read.
    ChainFormat Format() const;
};

} // namespace kestrel
