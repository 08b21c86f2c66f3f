#include "drives/inspector/inspector_context.h"

#include "tifs/messages.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{
constexpr int kMsgCantOpen = 1;
constexpr int kMsgCantReadSector = 6;
} // namespace

uint64_t InspectorContext::SectorOf(uint32_t unit) const
{
    if (OnCardVolume())
        return unit;
    return uint64_t{unit} * sectorsPerAu + base;
}

uint64_t InspectorContext::ByteOffsetOf(uint32_t unit) const
{
    if (OnCardVolume())
        return uint64_t{unit} * kSectorSize + base;
    return SectorOf(unit) * kSectorSize;
}

InspectorContext InspectorContext::At(uint32_t unit) const
{
    InspectorContext moved = *this;
    moved.au = unit;
    return moved;
}

bool ReadInspectorUnit(ImageAccess &image, const InspectorContext &context, uint32_t unit,
                       uint8_t *sector)
{
    return image.ReadAt(context.ByteOffsetOf(unit), sector, kSectorSize);
}

bool ReadInspectorSector(const InspectorContext &context, uint8_t *sector, Ui &ui)
{
    FileImage image;
    if (!image.Open(context.imagePath, false)) {
        ReportError(ui, kMsgCantOpen, {context.imagePath});
        return false;
    }
    if (!ReadInspectorUnit(image, context, context.au, sector)) {
        ReportError(ui, kMsgCantReadSector,
                    {static_cast<long long>(context.SectorOf(context.au)), context.imagePath});
        return false;
    }
    return true;
}

} // namespace kestrel
