// What the information dialogs and the configuration dialog show, without a
// window system: each dialog field as its control id and text, so that the
// Qt dialogs only place them and the tests can check them directly.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drives/hd_recognizer.h"
#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/ui.h"

namespace kestrel
{

// One field of a dialog: its control id and the text it gets.
struct InfoField {
    int id = 0;
    std::string text;
};
using InfoFields = std::vector<InfoField>;

// The text of control id, or null when the list does not fill it.
const std::string *FindField(const InfoFields &fields, int id);

// Which information dialog F2 opens for an entry of this kind.
enum class InfoDialogKind { Disk, File, Image };
InfoDialogKind InfoDialogFor(uint16_t kind);

// "%s, %u" with the face and the absolute height, then ", B" for a weight
// above 400 and ", I" for an italic font: "Courier New, 12, B, I".
std::string FontDescription(const std::string &face, int32_t height, int32_t weight, bool italic);

// Sectors per AU of a floppy of that many sectors, as the floppy writer
// derives them: entry total / 1600 of 1, 1, 2, 4, 4, 8, 8, 8 when the total
// is a multiple of 1600, else the next entry (1600 -> 1, 1601 -> 2).
unsigned FloppySectorsPerAu(unsigned totalSectors);

// Disk information (kinds 9, 10, 11, 14 and 16), from the disk summary the
// entry carries: controls 1000 to 1011.
InfoFields DiskInformationFields(const CatalogEntry &entry);

// Control 1022 of the file information: the label of the record length.
constexpr int kRecordLengthLabelId = 1022;

// File information for every other kind, for an entry of the location: the
// value controls 1012 to 1024 that the kind fills, and always the text of
// the label 1022 ("Program size" for a PROGRAM file, else "Record length").
InfoFields FileInformationFields(const Location &location, const CatalogEntry &entry);

// The controls of one volume of the image information, by partition 1 to 4.
struct ImagePartitionIds {
    int label, offset, size, totalAus, sectorsPerAu, sectors, free, used;
};
extern const ImagePartitionIds kImagePartitionIds[4];

// One volume as the image information shows it: its VIB figures (with the
// table's offset and size for a partition) and the free AUs counted in its
// bitmap (negative when the bitmap could not be read).
struct ImageVolume {
    HdVolumeInfo info;
    long freeAus = -1;
};

// The image file of a hard-disk entry (kinds 12 and 13): in a PC directory
// the directory joined with the entry's PC name; inside the image (a
// partition listed in a partitioned image) the location's path, which is the
// image itself.
std::string ImageInformationPath(const Location &location, const CatalogEntry &entry);

// The fields from figures already read: PC name (1030), file size (1031),
// media type (1032), then per volume its controls. A partition (a volume
// with a table offset) also gets its offset and size (">%08X", in the
// table's 512-byte blocks). Size = sectors per AU x total AUs, free =
// sectors per AU x free AUs, used = size - free; free and used stay empty
// when the bitmap could not be read.
InfoFields ImageInformationFieldsFrom(const CatalogEntry &entry, const ImageVolume *volumes,
                                      int count);

// Reads the image of the entry and fills fields. A file that cannot be
// opened, or whose first sector cannot be read, shows message 1 and returns
// false with fields unchanged.
bool ImageInformationFields(Ui &ui, const Location &location, const CatalogEntry &entry,
                            InfoFields &fields);

} // namespace kestrel
