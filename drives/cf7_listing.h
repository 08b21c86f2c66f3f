// Listing CF7A+ cards as pane locations: the volumes of a card in a drive
// (location kind 1), the volumes of a card image (kind 6) and the files of
// one volume (kind 7). A card image location keeps the image path in
// location.path and the PC directory it was entered from in keptPath; a
// drive location's path is its display text "%c: %s [%luMb]", letter first.
#pragma once

#include <cstdint>
#include <string>

#include "drives/cf7_card.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// Recogniser of the PC-directory scan: a file whose 128-byte header carries
// "CF7" at bytes 12 to 15 becomes an entry of kind 15 with the card's size.
bool RecognizeCf7Image(const std::string &path, const uint8_t *first256, uint64_t fileSize,
                       CatalogEntry &entry);

// Lists the volumes of the card in drive letter (kind 1). The previous PC
// path is kept for the way back. False after a message; the list then holds
// the volumes read so far.
bool ListCf7Drive(Location &location, char letter, Ui &ui);

// Lists the volumes of the card image at imagePath (kind 6); with addParent
// the ".." entry comes first.
bool ListCf7Image(Location &location, const std::string &imagePath, bool addParent, Ui &ui);

// Lists the files of a volume (kind 7) of the card the location shows:
// volumeEntry is a volume entry of that card (kind 14 or 16). At the root
// (fdirSector 1) the used subdirectory slots of the volume's VIB come first;
// any other fdirSector lists that subdirectory's file index, named
// subdirName.
bool ListCf7Volume(Location &location, const CatalogEntry &volumeEntry, bool addParent, Ui &ui,
                   uint16_t fdirSector = 1, const std::string &subdirName = std::string());

// The drive letter of a location showing a card in a drive or one of its
// volumes; 0 for a card image.
char Cf7LocationDrive(const Location &location);

// Opens the card the location shows (kinds 1, 6 and 7) for reading or writing.
bool OpenCf7CardOf(const Location &location, Cf7Card &card, bool writable, Ui &ui);

// The pane's path text of a drive: "%c: %s [%luMb]".
std::string Cf7DrivePathText(char letter, const std::string &description, uint64_t sectors);

} // namespace kestrel
