// The volume list of a card image: one line per whole volume of 1600
// sectors behind the 128-byte header.
#include <cstring>

#include "drives/cf7_layout.h"
#include "drives/inspector/inspector_compose.h"

namespace kestrel::inspector
{

namespace
{

// Looser than the floppy reader's test on purpose: the list only needs to
// tell a formatted volume from an empty one.
bool LooksFormatted(const uint8_t *vib)
{
    return std::memcmp(vib + 13, "DSK", 3) == 0 && vib[17] != 0 && vib[18] <= 2 && vib[19] <= 3;
}

} // namespace

void ComposeCf7VolumeList(InspectorView &view, ImageAccess &image)
{
    view.listOffset = -1;
    view.listLabel = "Volumes";
    const uint32_t volumes = Cf7VolumeCount(Cf7ImageTiSectors(image.Size()));
    uint8_t vib[kSectorSize];
    for (uint32_t v = 1; v <= volumes; ++v) {
        InspectorContext volume = view.context;
        volume.cf7Volume = v;
        volume.base = Cf7ImageVolumeBase(v);
        volume.sectorsPerAu = 1;
        volume.au = 0;
        // The count comes from the file's size, so every VIB lies inside it;
        // one that still cannot be read is shown as not formatted.
        const bool formatted = ReadInspectorUnit(image, volume, 0, vib) && LooksFormatted(vib);
        const std::string name = formatted ? NameText(vib, 0) : std::string("UNFORMATED");
        InspectorLine line;
        line.text = Format(" %04u\t%06llu\t%s", v,
                           static_cast<unsigned long long>(Cf7VolumeFirstSector(v)), name.c_str());
        line.link = StructureLink(InspectorKind::FloppyVib, volume);
        view.lines.push_back(std::move(line));
    }
}

} // namespace kestrel::inspector
