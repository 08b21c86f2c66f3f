// How a CF7A+ card lays out its floppy volumes, on a physical card and in a
// card image file, and the mount record that says which volumes the card
// offers as DSK1 to DSK3. Pure functions over byte buffers.
//
// A volume is 1600 TI sectors. On a physical card each TI sector fills one
// 512-byte sector: TI byte j is byte 2j, the odd bytes are filler (0xE4 in a
// volume's first sector, 0xE5 elsewhere; never checked on reading). A card
// image is a 128-byte header followed by the TI sectors without filler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrel
{

constexpr uint32_t kCf7VolumeSectors = 1600;
constexpr uint32_t kCf7TiSector = 256;
constexpr uint32_t kCf7PhysicalSector = 512;
constexpr uint64_t kCf7VolumeBytes = uint64_t{kCf7VolumeSectors} * kCf7TiSector; // 409600
constexpr uint32_t kCf7HeaderSize = 128;
constexpr uint8_t kCf7VibFiller = 0xE4;
constexpr uint8_t kCf7Filler = 0xE5;

namespace cf7header
{
constexpr size_t kName = 0;   // 10 bytes, the image's TI name
constexpr size_t kMagic = 12; // "CF7" and a zero byte
constexpr size_t kMount = 20; // the mount record, 8 bytes
} // namespace cf7header

namespace mountrecord
{
constexpr size_t kOffset = 20; // in the header, and in volume 1's VIB
constexpr size_t kSize = 8;
constexpr uint8_t kMarker = 0xAA;
constexpr uint8_t kCount = 3;
} // namespace mountrecord

// Volumes on a card of tiSectors TI sectors (a remainder is no volume).
inline uint32_t Cf7VolumeCount(uint64_t tiSectors)
{
    uint64_t count = tiSectors / kCf7VolumeSectors;
    return count > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(count);
}
// First TI sector (= first physical sector on a card) of volume 1, 2, ...
inline uint64_t Cf7VolumeFirstSector(uint32_t volume)
{
    return uint64_t{volume - 1} * kCf7VolumeSectors;
}
// Byte where volume v begins in a card image.
inline uint64_t Cf7ImageVolumeBase(uint32_t volume)
{
    return uint64_t{volume - 1} * kCf7VolumeBytes + kCf7HeaderSize;
}
// TI sectors of a card image file of fileSize bytes.
inline uint64_t Cf7ImageTiSectors(uint64_t fileSize)
{
    return fileSize < kCf7HeaderSize ? 0 : (fileSize - kCf7HeaderSize) / kCf7TiSector;
}
// The filler of card TI sector s.
inline uint8_t Cf7FillerFor(uint64_t cardSector)
{
    return cardSector % kCf7VolumeSectors == 0 ? kCf7VibFiller : kCf7Filler;
}

// The even bytes of a 512-byte physical sector into 256 TI bytes. ti may be physical itself
// (the TI bytes then fill its first half).
void GatherTiSector(const uint8_t *physical, uint8_t *ti);
// 256 TI bytes onto the even bytes of a physical sector, filler at the odd ones. ti may be
// the second half of physical (the bytes are taken before they are overwritten).
void SpreadTiSector(const uint8_t *ti, uint8_t filler, uint8_t *physical);

// The three volumes mounted as DSK1, DSK2 and DSK3 (0: none).
struct MountRecord {
    uint16_t dsk[3] = {0, 0, 0};
    bool operator==(const MountRecord &) const = default;
};

// True when the 8 bytes at record carry the marker 0xAA, 3. Volume numbers
// above volumeCount are taken as none.
bool DecodeMountRecord(const uint8_t *record, uint32_t volumeCount, MountRecord &mount);
// The 8 bytes with marker and the three words.
void EncodeMountRecord(const MountRecord &mount, uint8_t *record);

// The 128-byte header of a card image named after name (its TI form, up to
// 10 characters, space-padded), with the mount record when one is given.
void BuildCf7ImageHeader(const std::string &tiName, const uint8_t *mountBytes, uint8_t *header);
// "CF7" and a zero at bytes 12 to 15.
bool IsCf7ImageHeader(const uint8_t *header);

// The PC name of a volume entry: "VOL #%04u" on a physical card, "VOL #%03u"
// in a card image.
std::string Cf7VolumePcName(uint32_t volume, bool physical);

} // namespace kestrel
