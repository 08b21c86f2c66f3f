// The check of an image file of any kind the program knows, as one report:
// what kind it is, the lines of the check and whether all was sound; and
// the repair of the kinds that can be repaired. The command-line check and
// the program's "Check disk" window show the same lines.
#pragma once

#include <string>
#include <vector>

#include "tifs/disk_check/disk_repair.h"
#include "tifs/ui.h"

namespace kestrel
{

// CardSectors: a card's 512-byte sectors as a drive holds them (a card
// copied sector by sector, a file standing in for a drive); checked only.
enum class ImageCheckKind { None, Floppy, Card, CardSectors, HardDisk, Archive };

struct ImageCheck {
    ImageCheckKind kind = ImageCheckKind::None;
    std::vector<std::string> lines; // findings and summaries, as the command prints them
    bool clean = false;
    // Floppy images and card volumes can be repaired; the rest only checked.
    bool Repairable() const
    {
        return kind == ImageCheckKind::Floppy || kind == ImageCheckKind::Card;
    }
};

// Which check fits the file at path, from its first bytes (and, for a
// floppy image whose VIB is gone, its .dsk or .pc99 name).
ImageCheckKind ImageCheckKindOf(const std::string &path);

// Checks the file at path; reads only. A file of no kind that can be
// checked gives kind None and one line saying so.
ImageCheck CheckImageFile(const std::string &path, Ui &ui);

// Repairs a floppy image or card image; false for any other kind (nothing
// written) and after a reported failure.
bool RepairImageFile(const std::string &path, const RepairOptions &options, RepairReport &report,
                     Ui &ui);

} // namespace kestrel
