// Backing a whole drive up into an image file and restoring an image onto a
// drive. The bytes move in blocks of 1 MiB of the drive, read and written in
// one call each straight between the drive and the program's own block (no
// copy through the device layer's read-ahead or a stream buffer), while the
// loop still goes sector by sector: Progress: range = sectors, the position
// and "reading sector %d of %d" / "writing sector %d of %d" every
// kProgressEvery sectors and at the last; Cancel is asked after every sector
// and stops the loop after that sector (a restore has then written every
// sector before it, a card volume's first two as an empty disk). The drive
// is closed (and unlocked) in every case. Every failure is reported through
// Ui; the functions return true only when every sector was transferred.
#pragma once

#include <cstdint>
#include <string>

#include "drives/physical_drives.h"
#include "tifs/ui.h"

namespace kestrel
{

constexpr uint32_t kProgressEvery = 256;

enum class BackupResult { Done, Cancelled, Failed };

// Hard disk (item.kind 4): item.sectors sectors copied byte for byte. Any
// other drive is a card: a 128-byte card image header named after the image
// file, then the 256 TI bytes of each sector; a valid mount record in sector
// 0 moves into the header and is zeroed in the sector. A new image file is
// written in place (and removed when the backup fails or is cancelled); an
// existing one is replaced only by a complete backup.
BackupResult BackupDrive(const DriveItem &item, const std::string &imagePath, Ui &ui);

// Restores a hard-disk image (asCard false) or a card image (asCard true)
// onto the drive with that letter. The image is checked first (message 9
// when it is none of the kind, 6 when it is shorter than its own size says)
// and so is the drive's capacity (message 29): nothing is written unless the
// whole image fits. A card image's mount record goes back into TI bytes 20
// to 27 of the card's first sector. On a card each volume is first made an
// empty disk (its sector 1 zero, its sector 0 as BuildInterimVib of the new
// one, both written ahead of the block that reaches the volume) and gets its
// real sectors 1 and 0 once its last sector is written, so that a failure
// or Cancel leaves every volume old, empty or new; a hard-disk image is
// written as it comes.
BackupResult RestoreDrive(const std::string &imagePath, char letter, bool asCard, Ui &ui);

// Whether the file at path is a card image (header "CF7"); false when it
// cannot be read.
bool IsCf7ImageFile(const std::string &path);

} // namespace kestrel
