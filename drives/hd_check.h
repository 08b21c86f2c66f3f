// The file-system check of the volumes of a hard-disk image, read through
// the hard-disk library (its volume selection and volume-sector reads), so
// that the check sees the image exactly as every other operation does. Per
// volume: the VIB's figures, the allocation bitmap against the AUs that the
// system area, directories, file indexes, FDRs and data chains use, the
// links between FDRs, file indexes and directory records, and the name
// order of every file index and subdirectory list. Reads only.
#pragma once

#include <string>
#include <vector>

#include "tifs/disk_check/disk_check.h"
#include "tifs/ui.h"

namespace kestrel
{

struct HdVolumeCheck {
    unsigned volume = 0;  // 1 to 4
    bool checked = false; // false: not initialized, nothing to check
    DiskCheckResult result;
};

// Checks every volume of the image at path. False when the library cannot
// be bound or the image holds no volume it can select (reported through ui
// where the library binding reports; findings of the first volume say why).
bool CheckHdImage(const std::string &path, std::vector<HdVolumeCheck> &volumes, Ui &ui);

} // namespace kestrel
