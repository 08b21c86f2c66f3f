// One side of a floppy track as the bit cells a drive sees: finding the ID
// and data fields of FM (single density) and MFM (double density) tracks,
// checking their CRCs, rewriting one data field in place, and laying out a
// whole track the way the TI controllers format it.
//
// A side is a stream of bit cells, least significant bit of each byte first.
// MFM streams hold one cell per bit; FM streams are stored at the MFM cell
// rate, so every FM cell takes two bits, one of them always zero. Both
// decoders read any bit alignment and let a field run over the end of the
// stream back to its start, as it does on a turning disk.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel
{

enum class TrackEncoding { Fm, Mfm };

// An ID field with the data field that follows it, when there is one.
struct TrackSector {
    uint8_t cylinder = 0; // as the ID field says
    uint8_t side = 0;
    uint8_t number = 0;
    uint8_t sizeCode = 0; // 1: 256 bytes, the only size read
    bool idCrcOk = false;
    bool hasData = false; // a data mark follows before the next ID field
    bool dataCrcOk = false;
    uint8_t dataMark = 0; // 0xFB, or 0xF8 to 0xFA
    uint64_t dataBit = 0; // stream bit where the first data byte begins
    uint8_t fmPhase = 0;  // FM: which bit of each cell pair carries the pulse
    std::array<uint8_t, 256> data{};
};

// CRC-16 of the controllers (polynomial 0x1021), continued from crc.
uint16_t FloppyCrc(const uint8_t *bytes, size_t length, uint16_t crc = 0xFFFF);

// Every ID field of the stream (bytes long) in stream order. A data field is
// paired with an ID field only when its mark comes before the next ID field
// and within the gap a controller allows.
std::vector<TrackSector> DecodeTrackSide(const uint8_t *stream, size_t bytes,
                                         TrackEncoding encoding);

// Overwrites the 256 data bytes and the CRC of a sector that DecodeTrackSide
// found with a data field, keeping every other cell of the stream; the clock
// cell after the field is corrected for MFM. False when the sector has no
// 256-byte data field.
bool RewriteDataField(uint8_t *stream, size_t bytes, TrackEncoding encoding,
                      const TrackSector &sector, const uint8_t *data);

// Stream bytes of one side of a track in the layout below (how many a side of
// a standard track takes, the rest of the side's blocks included).
constexpr size_t kStandardSideBytes = 49 * 256;

// Largest sector count a standard track of the encoding holds.
unsigned MaxSectorsPerTrack(TrackEncoding encoding);

// Lays out a formatted track as the TI controllers write it: FM with an index
// mark, gaps of 16/11/45 bytes and the sectors interleaved by 7 with a skew
// of 3 sectors from track to track; MFM with gaps of 32/22/24 bytes,
// interleaved by 11 without skew. data holds sectorsPerTrack sectors of 256
// bytes in sector-number order. out receives kStandardSideBytes bytes. False
// when the sectors do not fit the track.
bool EncodeStandardTrackSide(TrackEncoding encoding, unsigned cylinder, unsigned side,
                             unsigned sectorsPerTrack, const uint8_t *data, uint8_t *out);

} // namespace kestrel
