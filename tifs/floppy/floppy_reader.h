// Reading floppy disks: a sector dump (DSK file, or a CF7A+ volume at a byte
// base inside a card image) or a PC99 track image, through one logical
// sector call; listing one directory of such a disk as catalog entries.
// Nothing here writes to an image.
#pragma once

#include <cstdint>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/disk_summary.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

class FloppyDisk
{
public:
    // path names the image in messages. base is the byte offset of the
    // volume (0 for a DSK or PC99 file).
    FloppyDisk(ImageAccess &image, uint64_t base, const std::string &path)
        : m_image(image), m_base(base), m_path(path)
    {
    }

    // Reads and decodes the VIB, recognising a PC99 image when base is 0.
    // False after "Can't read sector <%d> from <%s>" or "Can't read diskinfo
    // from diskfile <%s>".
    bool Open(Ui &ui);

    // Logical sector n; false after "Can't read sector <%d> from <%s>".
    // Sectors at or beyond the disk's total are refused the same way.
    bool ReadSector(uint32_t sector, uint8_t *buffer, Ui &ui);

    const DiskSummary &Summary() const { return m_summary; }
    const uint8_t *Vib() const { return m_vib; }
    uint16_t ImageKind() const { return m_summary.imageKind; }
    const std::string &Path() const { return m_path; }
    uint64_t Base() const { return m_base; }
    ImageAccess &Image() { return m_image; }

private:
    ImageAccess &m_image;
    uint64_t m_base;
    std::string m_path;
    DiskSummary m_summary;
    uint8_t m_vib[256] = {};
};

struct FloppyListing {
    std::string pcName;      // PC name of the entries: the image path, or "%s->%s"
    uint16_t fdirSector = 1; // 1: the root
    bool addParent = false;
    uint16_t containerKind = 0; // 0: the disk's image kind
    uint32_t baseOffset = 0;    // stored in each entry (CF7A+ volumes)
};

// Lists the directory whose file index is at how.fdirSector into catalog
// (appending). At the root of a sector dump the used subdirectory slots come
// first. A file-index word beyond the disk reports "Disk error, filename
// <%s>\n, fileno <%d>, sector <%d>" and ends the scan; entries made so far
// stay. Returns false after a reported failure.
bool ListFloppyDirectory(FloppyDisk &disk, const FloppyListing &how, Catalog &catalog, Ui &ui);

// Lists a floppy or PC99 image file into location: its root (fdirSector 1)
// or the subdirectory with that file index and PC-form name. Sets the
// location's kind (DSK or PC99 image), path (the image), depth, file-index
// sector and inner path. The list is not sorted here. False after reporting.
// A VIB without the "DSK" signature that is otherwise sound is listed after
// "The VIB of <%s> lacks the \"DSK\" signature; the disk is read as it stands".
bool ListFloppyImage(Location &location, const std::string &imagePath, uint16_t fdirSector,
                     const std::string &subdirName, bool addParent, Ui &ui);

// True (with the summary) when the first 256 bytes of the file at path are a
// floppy or PC99 image; reports nothing.
bool RecognizeFloppyImage(const std::string &path, const uint8_t *first256, DiskSummary &summary);

} // namespace kestrel
