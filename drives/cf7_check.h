// The check of a CF7A+ card image: the card itself (a header that is a card
// header, whole volumes, a mount record that names volumes the card has)
// and the file system of every formatted volume. Reads only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/disk_check/disk_check.h"
#include "tifs/disk_check/disk_repair.h"
#include "tifs/ui.h"

namespace kestrel
{

struct CardVolumeCheck {
    uint32_t volume = 0;
    std::string pcName; // "VOL #001"
    DiskCheckResult result;
};

struct CardCheckResult {
    std::vector<std::string> findings;    // about the card as a whole
    std::vector<CardVolumeCheck> volumes; // each formatted volume, in card order
    bool Clean() const;
};

// True when the file at path starts with a card image header.
bool IsCardImageFile(const std::string &path);

// True when the file at path holds a card's 512-byte sectors as a drive has
// them (a card copied sector by sector, a file standing in for a drive): at
// least one whole volume, and a VIB ("DSK") in the TI bytes of the first
// sector of one of its whole volumes. A card image file is none.
bool IsCardSectorsFile(const std::string &path);

// Checks such a file as the card it holds: every formatted volume.
bool CheckCardSectorsFile(const std::string &path, CardCheckResult &result, Ui &ui);

// Checks the card image at path. False when it cannot be opened or is no
// card image (reported through ui); result.findings then says so.
bool CheckCardImage(const std::string &path, CardCheckResult &result, Ui &ui);

// Repairs every formatted volume of the card image at path as the floppy
// repair does; the card is backed up once, before its first write. Damage
// of the card itself (its size, header or mount record) is not touched.
bool RepairCardImage(const std::string &path, const RepairOptions &options, RepairReport &report,
                     Ui &ui);

} // namespace kestrel
