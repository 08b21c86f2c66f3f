#include "drives/cf7_layout.h"

#include <cstdio>
#include <cstring>

#include "tifs/byte_order.h"

namespace kestrel
{

void GatherTiSector(const uint8_t *physical, uint8_t *ti)
{
    for (size_t j = 0; j < kCf7TiSector; ++j) {
        ti[j] = physical[2 * j];
    }
}

void SpreadTiSector(const uint8_t *ti, uint8_t filler, uint8_t *physical)
{
    for (size_t j = 0; j < kCf7TiSector; ++j) {
        physical[2 * j] = ti[j];
        physical[2 * j + 1] = filler;
    }
}

bool DecodeMountRecord(const uint8_t *record, uint32_t volumeCount, MountRecord &mount)
{
    mount = MountRecord{};
    if (record[0] != mountrecord::kMarker || record[1] != mountrecord::kCount) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        uint16_t volume = GetWordBE(record, 2 + 2 * i);
        mount.dsk[i] = volume > volumeCount ? 0 : volume;
    }
    return true;
}

void EncodeMountRecord(const MountRecord &mount, uint8_t *record)
{
    record[0] = mountrecord::kMarker;
    record[1] = mountrecord::kCount;
    for (int i = 0; i < 3; ++i) {
        PutWordBE(record, 2 + 2 * i, mount.dsk[i]);
    }
}

void BuildCf7ImageHeader(const std::string &tiName, const uint8_t *mountBytes, uint8_t *header)
{
    std::memset(header, 0, kCf7HeaderSize);
    for (size_t i = 0; i < 10; ++i) {
        header[cf7header::kName + i] = i < tiName.size() ? static_cast<uint8_t>(tiName[i]) : ' ';
    }
    std::memcpy(header + cf7header::kMagic, "CF7", 3);
    if (mountBytes != nullptr) {
        std::memcpy(header + cf7header::kMount, mountBytes, mountrecord::kSize);
    }
}

bool IsCf7ImageHeader(const uint8_t *header)
{
    return std::memcmp(header + cf7header::kMagic, "CF7", 4) == 0;
}

std::string Cf7VolumePcName(uint32_t volume, bool physical)
{
    char text[32];
    std::snprintf(text, sizeof text, physical ? "VOL #%04u" : "VOL #%03u", volume);
    return text;
}

} // namespace kestrel
