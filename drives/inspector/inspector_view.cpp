#include "drives/inspector/inspector_view.h"

#include <cstring>

#include "drives/inspector/inspector_compose.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"

namespace kestrel
{

namespace inspector
{

InspectorField &AddField(InspectorView &view, int offset, const std::string &label,
                         const std::string &value)
{
    InspectorField field;
    field.offset = offset;
    field.label = label;
    field.value = value;
    view.fields.push_back(std::move(field));
    return view.fields.back();
}

void AddFdrHeadFields(InspectorView &view)
{
    const uint8_t *s = view.sector;
    AddField(view, 0, "File name", NameText(s, 0));
    AddField(view, 10, "Extended record length", WordText(s, 10));
    AddField(view, 12, "Status flags", ByteText(s, 12));
    AddField(view, 13, "Records per sector", ByteText(s, 13));
    AddField(view, 14, "Sectors allocated", WordText(s, 14));
    AddField(view, 16, "End-of-file offset", ByteText(s, 16));
    AddField(view, 17, "Record length", ByteText(s, 17));
    // The count is little-endian on the disk; the window shows the bytes as
    // they lie, so that a damaged count is seen as it is.
    AddField(view, 18, "Level-3 records (little-endian)", WordText(s, 18));
    AddField(view, 20, "Date and time of creation", DateTimeText(s, 20));
    AddField(view, 24, "Date and time of last update", DateTimeText(s, 24));
}

InspectorLink StructureLink(InspectorKind kind, const InspectorContext &context)
{
    InspectorLink link;
    link.target = InspectorLink::kStructure;
    link.kind = kind;
    link.context = context;
    return link;
}

} // namespace inspector

namespace
{

using inspector::Format;

constexpr int kMsgCantOpen = 1;
constexpr int kMsgCantReadSector = 6;

std::string FloppyCaption(const char *structure, const InspectorContext &c)
{
    const unsigned long sector = static_cast<unsigned long>(c.SectorOf(c.au));
    if (c.OnCardVolume())
        return Format("CF7a+ %s - Volume %u - Sector >%04lX", structure, c.cf7Volume, sector);
    return Format("FloppyDisk %s - Sector >%04lX", structure, sector);
}

std::string HdCaption(const char *structure, const InspectorContext &c)
{
    return Format("HardDisk %s - AU >%04X - Sector >%04lX", structure, c.au,
                  static_cast<unsigned long>(c.SectorOf(c.au)));
}

std::string Caption(const InspectorView &view)
{
    const InspectorContext &c = view.context;
    switch (view.kind) {
    case InspectorKind::FloppyVib:
        return FloppyCaption("VIB", c);
    case InspectorKind::FloppyFdir:
        return FloppyCaption("FDIR", c);
    case InspectorKind::FloppyFdr:
        return FloppyCaption("FDR", c);
    case InspectorKind::PartitionTable:
        return Format("HardDisk PTI - Sector >%04lX", static_cast<unsigned long>(c.SectorOf(c.au)));
    case InspectorKind::HdVib:
        return Format("HardDisk VIB - Sector >%04lX", static_cast<unsigned long>(c.SectorOf(c.au)));
    case InspectorKind::HdDdr:
        return HdCaption("DDR", c);
    case InspectorKind::HdFdir:
        return HdCaption("FDIR", c);
    case InspectorKind::HdFdr:
        return HdCaption("FDR", c);
    case InspectorKind::Cf7VolumeList:
        return "Cf7a+ Volume list";
    }
    return std::string();
}

// Reads the sector a context shows from an open image, with message 6.
bool ReadShown(ImageAccess &image, const InspectorContext &context, uint8_t *sector, Ui &ui)
{
    if (ReadInspectorUnit(image, context, context.au, sector))
        return true;
    ReportError(ui, kMsgCantReadSector,
                {static_cast<long long>(context.SectorOf(context.au)), context.imagePath});
    return false;
}

} // namespace

void ComposeInspectorView(InspectorKind kind, const InspectorContext &context,
                          const uint8_t *sector, ImageAccess &image, InspectorView &view)
{
    // The context and sector may lie in the view being replaced (a window
    // that follows its own link), so both are taken before it is cleared.
    InspectorContext shown = context;
    uint8_t copy[kSectorSize];
    std::memcpy(copy, sector, kSectorSize);
    view = InspectorView();
    view.kind = kind;
    view.context = std::move(shown);
    std::memcpy(view.sector, copy, kSectorSize);
    if (kind == InspectorKind::HdVib)
        view.context.sectorsPerAu = (sector[16] >> 4) + 1u;
    view.caption = Caption(view);
    switch (kind) {
    case InspectorKind::FloppyVib:
        inspector::ComposeFloppyVib(view);
        break;
    case InspectorKind::FloppyFdir:
        inspector::ComposeFloppyFdir(view, image);
        break;
    case InspectorKind::FloppyFdr:
        inspector::ComposeFloppyFdr(view);
        break;
    case InspectorKind::PartitionTable:
        inspector::ComposePartitionTable(view);
        break;
    case InspectorKind::HdVib:
    case InspectorKind::HdDdr:
        inspector::ComposeHdDirectory(view, image);
        break;
    case InspectorKind::HdFdir:
        inspector::ComposeHdFdir(view, image);
        break;
    case InspectorKind::HdFdr:
        inspector::ComposeHdFdr(view);
        break;
    case InspectorKind::Cf7VolumeList:
        inspector::ComposeCf7VolumeList(view, image);
        break;
    }
}

bool InspectorKindForEntry(uint16_t entryKind, InspectorKind &kind)
{
    switch (entryKind) {
    case kKindDsk:
        kind = InspectorKind::FloppyVib;
        return true;
    case kKindPartitionedImage:
        kind = InspectorKind::PartitionTable;
        return true;
    case kKindHdImage:
        kind = InspectorKind::HdVib;
        return true;
    case kKindCf7Image:
        kind = InspectorKind::Cf7VolumeList;
        return true;
    default:
        return false;
    }
}

bool OpenInspectorView(const std::string &directory, const CatalogEntry &entry, Ui &ui,
                       InspectorView &view)
{
    InspectorKind kind;
    if (!InspectorKindForEntry(entry.ti.kind, kind))
        return false;
    InspectorContext context;
    context.imagePath = JoinPcPath(directory, entry.pcName);
    FileImage image;
    if (!image.Open(context.imagePath, false)) {
        ReportError(ui, kMsgCantOpen, {context.imagePath});
        return false;
    }
    uint8_t sector[kSectorSize];
    if (!ReadShown(image, context, sector, ui))
        return false;
    ComposeInspectorView(kind, context, sector, image, view);
    return true;
}

bool FollowInspectorLink(const InspectorLink &followed, Ui &ui, InspectorView &view)
{
    const InspectorLink link = followed; // may be part of view
    if (link.target != InspectorLink::kStructure || !link.enabled)
        return false;
    FileImage image;
    if (!image.Open(link.context.imagePath, false)) {
        ReportError(ui, kMsgCantOpen, {link.context.imagePath});
        return false;
    }
    uint8_t sector[kSectorSize];
    if (!ReadShown(image, link.context, sector, ui))
        return false;
    ComposeInspectorView(link.kind, link.context, sector, image, view);
    return true;
}

} // namespace kestrel
