// PC99 track images: raw FM (single density, 9 sectors per track) or MFM
// (double density, 18 sectors per track) tracks with gaps, ID fields and
// data fields. Logical sectors are found by searching a track for their ID
// field; side 1 is stored in the opposite track order. PC99 images are only
// ever read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "tifs/disk_summary.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/ui.h"

namespace kestrel
{

struct Pc99Geometry {
    unsigned sectorsPerTrack;
    uint64_t trackLength;
    uint64_t firstRecord; // offset of the first sector record in a track
    size_t recordLength;
    size_t idMark; // 0xFE
    size_t idTrack;
    size_t idSide;
    size_t idSector;
    size_t idSize;
    size_t data; // 256 data bytes
};

constexpr size_t kPc99RecordMax = 340;

// The geometry of image kind 10 or 11; null for any other kind.
const Pc99Geometry *Pc99GeometryFor(uint16_t imageKind);

// The image track that holds logical sector `sector` of a disk with
// tracksPerSide tracks per side, and the sector number its ID field carries.
// False when the sector lies beyond both sides.
bool Pc99SectorPlace(const Pc99Geometry &geometry, unsigned tracksPerSide, uint32_t sector,
                     uint64_t &imageTrack, unsigned &sectorNumber);

// Reads the sector record at physical position p (track p / sectors per
// track, record p mod sectors per track, image order) into record (at least
// kPc99RecordMax bytes). False when the record is not there whole.
bool ReadPc99PhysicalRecord(ImageAccess &image, uint16_t imageKind, uint32_t position,
                            uint8_t *record);

// Searches the track of logical sector `sector` for the record whose ID mark
// is 0xFE and whose sector byte matches; the data then lies at
// geometry.data in record. Uses summary.imageKind and summary.tracksPerSide.
// With a non-empty path a miss reports "Can't read sector <%d> from <%s>".
bool ReadPc99Sector(ImageAccess &image, const DiskSummary &summary, uint32_t sector,
                    uint8_t *record, Ui &ui, const std::string &path);

// Reads and decodes the VIB of a PC99 image of the given kind through the
// sector search. False after reporting "Can't read diskinfo from diskfile <%s>"
// (or the sector message).
bool ReadPc99Summary(ImageAccess &image, uint16_t imageKind, DiskSummary &summary, Ui &ui,
                     const std::string &path, uint8_t *vibSector = nullptr);

// Writes the PC99 image at source as a sector dump at target. Refuses with
// "Can't convert PC99 DSK-file to a TI99 DSK-file\nwith the same name in the
// same directory" when both name the same file, and writes nothing then. A
// sector that cannot be found ends the conversion after its message; an
// existing target is replaced only by a complete conversion, a new one keeps
// the sectors written so far. True when every sector was written.
bool ConvertPc99ToDsk(const std::string &source, const std::string &target, Ui &ui);

// The disk layout report: for each physical track the side, track and the
// sector numbers in the order the records are stored. pcName is the name the
// heading shows. Fills text (CR LF line ends) and returns true; false after
// reporting a failure (text then holds the report as far as it got).
bool DiskLayoutReport(const std::string &imagePath, const std::string &pcName, std::string &text,
                      Ui &ui);

// The title of the window that shows the report: "Kestrel - <location>", or
// "Kestrel - <location>-><subdirectory>" inside a subdirectory.
std::string DiskLayoutTitle(const std::string &locationPath, const std::string &subdirName);

} // namespace kestrel
