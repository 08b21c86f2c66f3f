// The hard-disk windows: partition table, VIB and DDR, file index, FDR.
#include "drives/inspector/inspector_compose.h"
#include "drives/partition_table.h"
#include "tifs/byte_order.h"

namespace kestrel::inspector
{

namespace
{

constexpr size_t kSubdirList = 28;
constexpr unsigned kMaxSubdirs = 114; // (256 - 28) / 2 words
constexpr size_t kFileIndexWords = 127;
constexpr size_t kAssociatedDdr = 254;
constexpr size_t kChainStart = 40;
constexpr size_t kChainEntrySize = 4;

std::string NameAt(ImageAccess &image, const InspectorContext &context, uint32_t au, bool shortName)
{
    uint8_t record[kSectorSize];
    if (!ReadInspectorUnit(image, context, au, record))
        return std::string();
    return shortName ? ShortName(record, 0) : NameText(record, 0);
}

} // namespace

void ComposePartitionTable(InspectorView &view)
{
    const uint8_t *s = view.sector;
    AddField(view, 0, "Partition table name", NameText(s, 0));
    AddField(view, 10, "Total AUs", WordText(s, 10));
    AddField(view, 12, "Reserved", WordText(s, 12));
    AddField(view, 14, "PT", ByteCharText(s, 14));
    AddField(view, 15, "PT", ByteCharText(s, 15));
    AddField(view, 16, "Reserved", WordText(s, 16));
    AddField(view, 18, "Reserved", WordText(s, 18));
    AddField(view, 20, "Total sectors", LongText(s, 20));
    for (int k = 0; k < kPartitionCount; ++k) {
        const int at = 24 + 8 * k;
        const uint32_t offset = GetLongBE(s, at);
        const uint32_t blocks = GetLongBE(s, at + 4);
        InspectorField &first =
            AddField(view, at, Format("Partition %d offset", k + 1), LongText(s, at));
        AddField(view, at + 4, Format("Partition %d sectors", k + 1), LongText(s, at + 4));
        InspectorContext volume = view.context;
        volume.au = 0;
        volume.sectorsPerAu = 1; // the VIB says its own
        volume.base = uint64_t{offset} * 2;
        first.link = StructureLink(InspectorKind::HdVib, volume);
        first.link.enabled = offset != 0 && blocks != 0;
    }
    AddField(view, 254, "Partition table flag", WordText(s, 254));
}

void ComposeHdDirectory(InspectorView &view, ImageAccess &image)
{
    const uint8_t *s = view.sector;
    const bool ddr = view.kind == InspectorKind::HdDdr;
    AddField(view, 0, ddr ? "Directory name" : "Volume name", NameText(s, 0));
    AddField(view, 10, "Total AUs", WordText(s, 10));
    AddField(view, 12, "Sectors per track", ByteText(s, 12));
    if (ddr) {
        AddField(view, 13, "DIR", ByteCharText(s, 13));
        AddField(view, 14, "DIR", ByteCharText(s, 14));
        AddField(view, 15, "DIR", ByteCharText(s, 15));
    } else {
        AddField(view, 13, "Number of AU for files and dirs", ByteText(s, 13));
        AddField(view, 14, "Step speed", ByteText(s, 14));
        AddField(view, 15, "Reduced write current cylinder", ByteText(s, 15));
    }
    AddField(view, 16, "Hard disk parameters", WordText(s, 16));
    AddField(view, 18, "Date of creation", DateTimeText(s, 18));
    AddField(view, 22, "Files", ByteText(s, 22));
    AddField(view, 23, "Subdirectories", ByteText(s, 23));
    InspectorField &index = AddField(view, 24, "File index AU", WordText(s, 24));
    const uint16_t indexAu = GetWordBE(s, 24);
    index.link = StructureLink(InspectorKind::HdFdir, view.context.At(indexAu));
    index.link.enabled = indexAu != 0; // AU 0 is the VIB, no file index
    AddField(view, 26, ddr ? "Parent directory descriptor record" : "DSK1 emulation file",
             WordText(s, 26));

    view.listOffset = static_cast<int>(kSubdirList);
    view.listLabel = "Subdirectories";
    unsigned count = s[23];
    if (count > kMaxSubdirs)
        count = kMaxSubdirs;
    for (unsigned i = 0; i < count; ++i) {
        const unsigned at = static_cast<unsigned>(kSubdirList) + 2 * i;
        const uint16_t au = GetWordBE(s, at);
        InspectorLine line;
        if (au == 0) {
            line.text = Format(">%02X\t>%04X\t**ERROR**", at, au);
        } else {
            const std::string name = NameAt(image, view.context, au, false);
            line.text = Format(">%02X\t>%04X\t%s", at, au, name.c_str());
            line.link = StructureLink(InspectorKind::HdDdr, view.context.At(au));
        }
        view.lines.push_back(std::move(line));
    }
}

void ComposeHdFdir(InspectorView &view, ImageAccess &image)
{
    view.listOffset = 0;
    view.listLabel = "File descriptor records";
    for (size_t i = 0; i < kFileIndexWords; ++i) {
        const unsigned at = static_cast<unsigned>(2 * i);
        const uint16_t au = GetWordBE(view.sector, at);
        InspectorLine line;
        if (au == 0) {
            line.text = Format(" %03u\t>%04X", at, au);
        } else {
            const std::string name = NameAt(image, view.context, au, true);
            line.text = Format(" %03u\t>%04X\t%s", at, au, name.c_str());
            line.link = StructureLink(InspectorKind::HdFdr, view.context.At(au));
        }
        view.lines.push_back(std::move(line));
    }
    // The record the index belongs to; a new index leaves it zero, which
    // names nothing to open.
    const uint16_t ddr = GetWordBE(view.sector, kAssociatedDdr);
    InspectorLine line;
    const std::string name = ddr != 0 ? NameAt(image, view.context, ddr, false) : std::string();
    line.text =
        Format(" %03u\t>%04X\t%s", static_cast<unsigned>(kAssociatedDdr), ddr, name.c_str());
    line.link = StructureLink(InspectorKind::HdDdr, view.context.At(ddr));
    line.link.enabled = ddr != 0;
    view.lines.push_back(std::move(line));
}

void ComposeHdFdr(InspectorView &view)
{
    const uint8_t *s = view.sector;
    AddFdrHeadFields(view);
    AddField(view, 28, "FI", ByteCharText(s, 28));
    AddField(view, 29, "FI", ByteCharText(s, 29));
    AddField(view, 30, "Parent FDR AU", WordText(s, 30));
    AddField(view, 32, "Offspring FDR AU", WordText(s, 32));
    AddField(view, 34, "AUs allocated", WordText(s, 34));
    AddField(view, 36, "File index AU", WordText(s, 36));
    AddField(view, 38, "Extended information", WordText(s, 38));

    view.listOffset = static_cast<int>(kChainStart);
    view.listLabel = "Data chain";
    const std::string label = ShortName(s, 0);
    for (size_t at = kChainStart; at + kChainEntrySize <= kSectorSize; at += kChainEntrySize) {
        const uint16_t first = GetWordBE(s, at);
        const uint16_t last = GetWordBE(s, at + 2);
        if (first == 0 || last == 0)
            break;
        InspectorLine line;
        line.text = Format(">%02X\t>%04X\t>%04X", static_cast<unsigned>(at), first, last);
        line.link.target = InspectorLink::kData;
        InspectorDataRange &data = line.link.data;
        data.imagePath = view.context.imagePath;
        data.label = label;
        data.offsetInBytes = false;
        data.baseOffset = view.context.base;
        data.sectorsPerAu = view.context.sectorsPerAu;
        data.firstAu = first;
        if (last >= first)
            data.auCount = last - first + 1u;
        else
            line.link.enabled = false; // an extent that ends before it begins
        view.lines.push_back(std::move(line));
    }
}

} // namespace kestrel::inspector
