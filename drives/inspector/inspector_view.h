// What one structure window shows: its caption, the fields of the sector
// with their values, the list of lines (bitmap, file index, subdirectories,
// data chain, card volumes), and where each field or line leads. Composed
// from the window's sector; the names shown next to pointers, and the card's
// volume list, are read through a block-access interface. Nothing is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drives/inspector/inspector_context.h"
#include "tifs/catalog_entry.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/ti_file.h"
#include "tifs/ui.h"

namespace kestrel
{

// The sectors of one data extent, for the hexadecimal sector view.
struct InspectorDataRange {
    std::string imagePath;
    std::string label;         // the file's name, leads the viewer's caption
    bool offsetInBytes = true; // baseOffset counts bytes (card volume) or sectors
    uint64_t baseOffset = 0;
    uint32_t sectorsPerAu = 1;
    uint32_t firstAu = 0;
    uint32_t auCount = 0;
};

struct InspectorLink {
    enum Target : int { kNone = 0, kStructure = 1, kData = 2 };
    Target target = kNone;
    bool enabled = true;                           // a link that is shown but cannot be followed
    InspectorKind kind = InspectorKind::FloppyVib; // kStructure
    InspectorContext context;                      // kStructure: where it lies
    InspectorDataRange data;                       // kData

    bool Followable() const { return target != kNone && enabled; }
};

struct InspectorField {
    int offset = -1; // byte offset in the sector; -1 for a link of its own (the root file index)
    std::string label;
    std::string value;
    std::vector<std::string> choices; // non-empty: shown as a drop-down (the allocation bitmap)
    InspectorLink link;
};

struct InspectorLine {
    std::string text;
    InspectorLink link;
};

struct InspectorView {
    InspectorKind kind = InspectorKind::FloppyVib;
    InspectorContext context;
    uint8_t sector[kSectorSize] = {};
    std::string caption;
    std::vector<InspectorField> fields;
    int listOffset = -1; // where the list's data begins in the sector, -1 for none
    std::string listLabel;
    std::vector<InspectorLine> lines;
};

// Composes the window for a sector already read. image serves the names of
// the structures the lines point to and the card's volume list; a name that
// cannot be read is left empty. For a hard-disk VIB the context takes its
// sectors per AU from byte 16 (high nibble + 1).
void ComposeInspectorView(InspectorKind kind, const InspectorContext &context,
                          const uint8_t *sector, ImageAccess &image, InspectorView &view);

// The window kind for an entry of a PC-directory pane: 9 floppy VIB, 12
// partition table, 13 hard-disk VIB, 15 card volume list. False for others.
bool InspectorKindForEntry(uint16_t entryKind, InspectorKind &kind);

// Opens the first structure of an image in a PC directory: reads TI sector 0
// of directory/entry's PC name (message 1 on open, message 6 with 0 on a
// short read) and composes the window for the entry's kind. False, without
// a message, for a kind that has no window.
bool OpenInspectorView(const std::string &directory, const CatalogEntry &entry, Ui &ui,
                       InspectorView &view);

// Follows a structure link: reads the linked sector (messages 1 and 6 with
// that sector and the image path) and composes its window. False, without a
// message, for a link that is not a followable structure link. The link may
// belong to view itself.
bool FollowInspectorLink(const InspectorLink &link, Ui &ui, InspectorView &view);

} // namespace kestrel
