// The physical side of a PC99 track image check: whether every track is
// there whole and whether each sector record carries a sound ID field and
// data mark. The file system on top is checked by the disk check.
// Reads only; reports nothing through a Ui (each problem is a line).
#pragma once

#include <string>
#include <vector>

#include "tifs/disk_summary.h"
#include "tifs/floppy/disk_sector_io.h"

namespace kestrel
{

// Appends one line per problem to findings: an image shorter than its
// tracks, a track cut short, a record whose ID mark, track, side, sector or
// size byte is wrong, a sector number found twice or not at all on a track,
// a data field without its mark. summary gives kind, sides and tracks.
void CheckPc99Tracks(ImageAccess &image, const DiskSummary &summary,
                     std::vector<std::string> &findings);

} // namespace kestrel
