// The floppy windows (also those of a card volume): VIB, file index and FDR.
#include "drives/inspector/inspector_compose.h"
#include "tifs/byte_order.h"

namespace kestrel::inspector
{

namespace
{

constexpr size_t kChainStart = 28;
constexpr size_t kChainEntrySize = 3;

} // namespace

void ComposeFloppyVib(InspectorView &view)
{
    const uint8_t *s = view.sector;
    AddField(view, 0, "Volume name", NameText(s, 0));
    AddField(view, 10, "Total sectors", WordText(s, 10));
    AddField(view, 12, "Sectors per track", ByteText(s, 12));
    AddField(view, 13, "DSK", ByteCharText(s, 13));
    AddField(view, 14, "DSK", ByteCharText(s, 14));
    AddField(view, 15, "DSK", ByteCharText(s, 15));
    AddField(view, 16, "Reserved", ByteText(s, 16));
    AddField(view, 17, "Tracks per side", ByteText(s, 17));
    AddField(view, 18, "Sides", ByteText(s, 18));
    AddField(view, 19, "Density", ByteText(s, 19));
    for (int slot = 0; slot < 3; ++slot) {
        const int nameAt = 20 + 12 * slot;
        const int indexAt = nameAt + 10;
        AddField(view, nameAt, Format("Directory %d name", slot + 1), NameText(s, nameAt));
        InspectorField &index = AddField(view, indexAt, Format("Directory %d file index", slot + 1),
                                         WordText(s, indexAt));
        const uint16_t sector = GetWordBE(s, indexAt);
        index.link = StructureLink(InspectorKind::FloppyFdir, view.context.At(sector));
        // Sector 0 is the VIB itself: an unused slot has nothing to open.
        index.link.enabled = sector != 0;
    }
    InspectorField &bitmap = AddField(view, 56, "Allocation bitmap", std::string());
    for (int offset = 56; offset < 256; ++offset)
        bitmap.choices.push_back(Format(" >%02X        >%02X", offset, s[offset]));
    bitmap.value = bitmap.choices.front();
    InspectorField &root = AddField(view, -1, "Root file index", Format(">%04X", 1));
    root.link = StructureLink(InspectorKind::FloppyFdir, view.context.At(1));
}

void ComposeFloppyFdir(InspectorView &view, ImageAccess &image)
{
    view.listOffset = 0;
    view.listLabel = "File descriptor records";
    uint8_t fdr[kSectorSize];
    for (int offset = 0; offset < 256; offset += 2) {
        const uint16_t sector = GetWordBE(view.sector, offset);
        InspectorLine line;
        if (sector == 0) {
            line.text = Format(" %03u\t>%04X", offset, sector);
        } else {
            std::string name;
            if (ReadInspectorUnit(image, view.context, sector, fdr))
                name = ShortName(fdr, 0);
            line.text = Format(" %03u\t>%04X\t%s", offset, sector, name.c_str());
            line.link = StructureLink(InspectorKind::FloppyFdr, view.context.At(sector));
        }
        view.lines.push_back(std::move(line));
    }
}

void ComposeFloppyFdr(InspectorView &view)
{
    const uint8_t *s = view.sector;
    AddFdrHeadFields(view);

    view.listOffset = static_cast<int>(kChainStart);
    view.listLabel = "Data chain";
    const std::string label = ShortName(s, 0);
    unsigned sectorsBefore = 0; // file-relative sectors covered by the earlier entries
    for (size_t at = kChainStart; at + kChainEntrySize <= kSectorSize; at += kChainEntrySize) {
        const uint8_t b0 = s[at], b1 = s[at + 1], b2 = s[at + 2];
        if (b0 == 0 && b1 == 0 && b2 == 0)
            break;
        const unsigned first = b0 + (b1 & 0x0Fu) * 256;
        const unsigned lastOffset = (b1 >> 4) + b2 * 16u;
        InspectorLine line;
        line.text = Format(">%02X\t>%03X\t>%03X", static_cast<unsigned>(at), first, lastOffset);
        line.link.target = InspectorLink::kData;
        InspectorDataRange &data = line.link.data;
        data.imagePath = view.context.imagePath;
        data.label = label;
        data.offsetInBytes = view.context.OnCardVolume();
        data.baseOffset = view.context.base;
        data.sectorsPerAu = 1;
        data.firstAu = first;
        // An entry whose last offset lies below what the earlier ones cover
        // has no sectors of its own.
        if (lastOffset + 1 > sectorsBefore) {
            data.auCount = lastOffset + 1 - sectorsBefore;
            sectorsBefore = lastOffset + 1;
        } else {
            line.link.enabled = false;
        }
        view.lines.push_back(std::move(line));
    }
}

} // namespace kestrel::inspector
