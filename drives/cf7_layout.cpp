#include "drives/cf7_layout.h"

#include <cstdio>
#include <cstring>

#include "tifs/byte_order.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kestrel
{

// Every sector of a whole-drive backup or restore passes through these two, where a byte
// loop would be the costliest step of the copy: sixteen bytes at a time where the machine has
// the vector operations (x86-64 always has SSE2), else byte by byte.
void GatherTiSector(const uint8_t *physical, uint8_t *ti)
{
#if defined(__SSE2__)
    const __m128i even = _mm_set1_epi16(0x00FF);
    for (size_t j = 0; j < kCf7TiSector; j += 16) {
        // Both halves are loaded before the store, so ti may lie on physical.
        __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i *>(physical + 2 * j));
        __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i *>(physical + 2 * j + 16));
        __m128i packed = _mm_packus_epi16(_mm_and_si128(low, even), _mm_and_si128(high, even));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(ti + j), packed);
    }
#else
    for (size_t j = 0; j < kCf7TiSector; ++j) {
        ti[j] = physical[2 * j];
    }
#endif
}

void SpreadTiSector(const uint8_t *ti, uint8_t filler, uint8_t *physical)
{
#if defined(__SSE2__)
    const __m128i fillers = _mm_set1_epi8(static_cast<char>(filler));
    for (size_t j = 0; j < kCf7TiSector; j += 16) {
        // The stores reach at most the sixteen bytes just loaded, when ti lies in physical.
        __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(ti + j));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(physical + 2 * j),
                         _mm_unpacklo_epi8(bytes, fillers));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(physical + 2 * j + 16),
                         _mm_unpackhi_epi8(bytes, fillers));
    }
#else
    for (size_t j = 0; j < kCf7TiSector; ++j) {
        const uint8_t byte = ti[j];
        physical[2 * j] = byte;
        physical[2 * j + 1] = filler;
    }
#endif
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
