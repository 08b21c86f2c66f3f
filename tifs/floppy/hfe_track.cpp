#include "tifs/floppy/hfe_track.h"

#include <cstring>

namespace kestrel
{

namespace
{

constexpr uint8_t kIdMark = 0xFE;
constexpr uint8_t kDataMark = 0xFB;
constexpr uint8_t kIndexMark = 0xFC;
constexpr uint8_t kMarkClockFm = 0xC7;
constexpr uint8_t kIndexClockFm = 0xD7;
constexpr uint16_t kSyncMfm = 0x4489; // 0xA1 with a clock cell missing
constexpr uint64_t kThreeSyncsMfm = 0x448944894489ull;
constexpr uint8_t kSyncByte = 0xA1;
constexpr size_t kDataBytes = 256;

// Cells between the end of an ID field and its data mark that a controller
// still accepts: the standard gaps with room to spare.
constexpr unsigned kMaxGapBytesFm = 40;
constexpr unsigned kMaxGapBytesMfm = 60;

// Standard TI track layout.
constexpr unsigned kFmGapIndex = 16;
constexpr unsigned kFmSync = 6;
constexpr unsigned kFmGapId = 11;
constexpr unsigned kFmGapData = 45;
constexpr unsigned kFmTrackBytes = 3100; // then the fill the side's blocks end with
constexpr unsigned kMfmGapIndex = 32;
constexpr unsigned kMfmSync = 12;
constexpr unsigned kMfmGapId = 22;
constexpr unsigned kMfmGapData = 24;
constexpr uint8_t kMfmGapByte = 0x4E;
constexpr unsigned kFmSectorBytes = kFmSync + 7 + kFmGapId + kFmSync + 1 + 258 + kFmGapData;
constexpr unsigned kMfmSectorBytes =
    kMfmSync + 3 + 5 + 2 + kMfmGapId + kMfmSync + 3 + 1 + 258 + kMfmGapData;

unsigned BitsPerByte(TrackEncoding encoding)
{
    return encoding == TrackEncoding::Fm ? 32 : 16;
}

bool IsDataMark(uint8_t mark)
{
    return mark >= 0xF8 && mark <= 0xFB;
}

class BitReader
{
public:
    BitReader(const uint8_t *stream, size_t bytes) : m_stream(stream), m_bits(uint64_t{bytes} * 8)
    {
    }
    uint64_t Bits() const { return m_bits; }
    unsigned Bit(uint64_t position) const
    {
        if (position >= m_bits) {
            position %= m_bits;
        }
        return (m_stream[position >> 3] >> (position & 7)) & 1u;
    }
    // A byte whose first cell begins at position. FM takes a pulse in
    // either bit of a cell pair, so that a stream written a bit off still reads.
    uint8_t Byte(uint64_t position, TrackEncoding encoding) const
    {
        unsigned value = 0;
        for (unsigned k = 0; k < 8; ++k) {
            unsigned bit = 0;
            if (encoding == TrackEncoding::Mfm) {
                bit = Bit(position + 2 * k + 1);
            } else {
                bit = Bit(position + 4 * k + 2) | Bit(position + 4 * k + 3);
            }
            value = (value << 1) | bit;
        }
        return static_cast<uint8_t>(value);
    }

private:
    const uint8_t *m_stream;
    uint64_t m_bits;
};

class BitWriter
{
public:
    BitWriter(uint8_t *stream, uint64_t bits, uint64_t position)
        : m_stream(stream), m_bits(bits), m_position(position)
    {
    }
    void Put(unsigned bit)
    {
        uint64_t p = m_position % m_bits;
        uint8_t mask = static_cast<uint8_t>(1u << (p & 7));
        if (bit != 0) {
            m_stream[p >> 3] |= mask;
        } else {
            m_stream[p >> 3] &= static_cast<uint8_t>(~mask);
        }
        ++m_position;
    }
    uint64_t Position() const { return m_position; }

    void PutMfm(uint8_t value)
    {
        for (int k = 7; k >= 0; --k) {
            unsigned d = (value >> k) & 1u;
            Put((m_previous == 0 && d == 0) ? 1 : 0);
            Put(d);
            m_previous = d;
        }
    }
    void PutMfmSync()
    {
        for (int k = 15; k >= 0; --k) {
            Put((kSyncMfm >> k) & 1u);
        }
        m_previous = 1;
    }
    void SetPrevious(unsigned bit) { m_previous = bit; }
    unsigned Previous() const { return m_previous; }

    // One FM byte with its clock; phase picks the bit of each cell pair
    // that carries the pulse.
    void PutFm(uint8_t value, uint8_t clock = 0xFF, unsigned phase = 1)
    {
        for (int k = 7; k >= 0; --k) {
            PutFmCell((clock >> k) & 1u, phase);
            PutFmCell((value >> k) & 1u, phase);
        }
    }

private:
    void PutFmCell(unsigned pulse, unsigned phase)
    {
        Put(phase == 0 ? pulse : 0);
        Put(phase == 0 ? 0 : pulse);
    }

    uint8_t *m_stream;
    uint64_t m_bits;
    uint64_t m_position;
    unsigned m_previous = 0;
};

// The 32 stream bits of an FM byte with its clock, first bit highest.
uint32_t FmPattern(uint8_t value, uint8_t clock, unsigned phase)
{
    uint32_t pattern = 0;
    for (int k = 7; k >= 0; --k) {
        unsigned cells[2] = {(clock >> k) & 1u, (value >> k) & 1u};
        for (unsigned c : cells) {
            pattern = (pattern << 2) | (phase == 0 ? (c << 1) : c);
        }
    }
    return pattern;
}

struct Mark {
    uint64_t position; // first bit of the mark byte
    uint8_t value;
    uint8_t fmPhase;
};

std::vector<Mark> FindMarks(const BitReader &reader, TrackEncoding encoding)
{
    std::vector<Mark> marks;
    const uint64_t bits = reader.Bits();
    struct FmMark {
        uint32_t pattern;
        uint8_t value;
        uint8_t phase;
    };
    FmMark fmMarks[10];
    size_t fmCount = 0;
    if (encoding == TrackEncoding::Fm) {
        const uint8_t values[5] = {kIdMark, 0xFB, 0xF8, 0xF9, 0xFA};
        for (uint8_t v : values) {
            for (uint8_t phase = 0; phase < 2; ++phase) {
                fmMarks[fmCount++] = {FmPattern(v, kMarkClockFm, phase), v, phase};
            }
        }
    }
    // One turn and a little more, so that a mark across the stream's end
    // is found once, at its start.
    const uint64_t window = encoding == TrackEncoding::Fm ? 32 : 48;
    uint64_t reg = 0;
    for (uint64_t i = 0; i < bits + window; ++i) {
        reg = (reg << 1) | reader.Bit(i);
        if (i + 1 < window) {
            continue;
        }
        uint64_t start = i + 1 - window;
        if (start >= bits) {
            break;
        }
        if (encoding == TrackEncoding::Mfm) {
            if ((reg & 0xFFFFFFFFFFFFull) == kThreeSyncsMfm) {
                uint8_t value = reader.Byte(i + 1, encoding);
                if (value == kIdMark || IsDataMark(value)) {
                    marks.push_back({(i + 1) % bits, value, 0});
                }
            }
        } else {
            // A pulse pattern also reads one bit later in the other phase;
            // a mark is taken once, where it first matches.
            if (!marks.empty() && start < marks.back().position + 32) {
                continue;
            }
            uint32_t low = static_cast<uint32_t>(reg);
            for (size_t m = 0; m < fmCount; ++m) {
                if (low == fmMarks[m].pattern) {
                    marks.push_back({start, fmMarks[m].value, fmMarks[m].phase});
                    break;
                }
            }
        }
    }
    return marks;
}

// The CRC of a field: the sync bytes of MFM and the mark come first.
uint16_t FieldCrc(TrackEncoding encoding, uint8_t mark, const uint8_t *bytes, size_t length)
{
    uint16_t crc = 0xFFFF;
    if (encoding == TrackEncoding::Mfm) {
        const uint8_t syncs[3] = {kSyncByte, kSyncByte, kSyncByte};
        crc = FloppyCrc(syncs, 3, crc);
    }
    crc = FloppyCrc(&mark, 1, crc);
    return FloppyCrc(bytes, length, crc);
}

} // namespace

uint16_t FloppyCrc(const uint8_t *bytes, size_t length, uint16_t crc)
{
    for (size_t i = 0; i < length; ++i) {
        crc ^= static_cast<uint16_t>(bytes[i] << 8);
        for (int k = 0; k < 8; ++k) {
            crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                                 : static_cast<uint16_t>(crc << 1);
        }
    }
    return crc;
}

std::vector<TrackSector> DecodeTrackSide(const uint8_t *stream, size_t bytes,
                                         TrackEncoding encoding)
{
    std::vector<TrackSector> sectors;
    if (stream == nullptr || bytes == 0) {
        return sectors;
    }
    BitReader reader(stream, bytes);
    const uint64_t bits = reader.Bits();
    const unsigned step = BitsPerByte(encoding);
    std::vector<Mark> marks = FindMarks(reader, encoding);
    const uint64_t maxGap =
        uint64_t{encoding == TrackEncoding::Fm ? kMaxGapBytesFm : kMaxGapBytesMfm} * step;
    for (size_t m = 0; m < marks.size(); ++m) {
        if (marks[m].value != kIdMark) {
            continue;
        }
        TrackSector sector;
        uint8_t id[6];
        for (unsigned k = 0; k < 6; ++k) {
            id[k] = reader.Byte(marks[m].position + (k + 1) * uint64_t{step}, encoding);
        }
        sector.cylinder = id[0];
        sector.side = id[1];
        sector.number = id[2];
        sector.sizeCode = id[3];
        sector.fmPhase = marks[m].fmPhase;
        sector.idCrcOk = FieldCrc(encoding, kIdMark, id, 4) == ((id[4] << 8) | id[5]);

        // The next mark along the track, across the stream's end once.
        const uint64_t idEnd = marks[m].position + 7 * uint64_t{step};
        const Mark *next = nullptr;
        uint64_t nextPosition = 0;
        if (m + 1 < marks.size()) {
            next = &marks[m + 1];
            nextPosition = next->position;
        } else if (!marks.empty() && marks.size() > 1) {
            next = &marks[0];
            nextPosition = next->position + bits;
        }
        if (next != nullptr && IsDataMark(next->value) && nextPosition >= idEnd &&
            nextPosition - idEnd <= maxGap && sector.sizeCode == 1) {
            uint8_t field[kDataBytes + 2];
            for (size_t k = 0; k < sizeof field; ++k) {
                field[k] = reader.Byte(nextPosition + (k + 1) * uint64_t{step}, encoding);
            }
            sector.hasData = true;
            sector.dataMark = next->value;
            sector.dataBit = (nextPosition + step) % bits;
            std::memcpy(sector.data.data(), field, kDataBytes);
            sector.dataCrcOk = FieldCrc(encoding, next->value, field, kDataBytes) ==
                               ((field[kDataBytes] << 8) | field[kDataBytes + 1]);
        }
        sectors.push_back(sector);
    }
    return sectors;
}

bool RewriteDataField(uint8_t *stream, size_t bytes, TrackEncoding encoding,
                      const TrackSector &sector, const uint8_t *data)
{
    if (stream == nullptr || bytes == 0 || !sector.hasData || sector.sizeCode != 1) {
        return false;
    }
    const uint64_t bits = uint64_t{bytes} * 8;
    uint16_t crc = FieldCrc(encoding, sector.dataMark, data, kDataBytes);
    BitWriter writer(stream, bits, sector.dataBit);
    if (encoding == TrackEncoding::Mfm) {
        writer.SetPrevious(sector.dataMark & 1u);
        for (size_t k = 0; k < kDataBytes; ++k) {
            writer.PutMfm(data[k]);
        }
        writer.PutMfm(static_cast<uint8_t>(crc >> 8));
        writer.PutMfm(static_cast<uint8_t>(crc & 0xFF));
        // The clock cell of the byte after the field depends on the CRC's
        // last bit; the data cell after it stays as it was.
        BitReader reader(stream, bytes);
        unsigned nextData = reader.Bit(writer.Position() + 1);
        writer.Put((writer.Previous() == 0 && nextData == 0) ? 1 : 0);
    } else {
        for (size_t k = 0; k < kDataBytes; ++k) {
            writer.PutFm(data[k], 0xFF, sector.fmPhase);
        }
        writer.PutFm(static_cast<uint8_t>(crc >> 8), 0xFF, sector.fmPhase);
        writer.PutFm(static_cast<uint8_t>(crc & 0xFF), 0xFF, sector.fmPhase);
    }
    return true;
}

unsigned MaxSectorsPerTrack(TrackEncoding encoding)
{
    if (encoding == TrackEncoding::Fm) {
        return (kFmTrackBytes - 1 - kFmGapIndex) / kFmSectorBytes;
    }
    return (kStandardSideBytes / 2 - kMfmGapIndex) / kMfmSectorBytes;
}

bool EncodeStandardTrackSide(TrackEncoding encoding, unsigned cylinder, unsigned side,
                             unsigned sectorsPerTrack, const uint8_t *data, uint8_t *out)
{
    if (sectorsPerTrack == 0 || sectorsPerTrack > MaxSectorsPerTrack(encoding)) {
        return false;
    }
    std::memset(out, 0, kStandardSideBytes);
    const uint64_t bits = uint64_t{kStandardSideBytes} * 8;
    BitWriter writer(out, bits, 0);
    // Interleave and skew: the order the controllers' format routines give
    // the nine FM and eighteen MFM sectors; other counts go in plain order.
    unsigned stepBy = 1;
    unsigned first = 0;
    if (encoding == TrackEncoding::Fm && sectorsPerTrack == 9) {
        stepBy = 7;
        first = side == 0 ? (6 * cylinder) % 9 : (3 * cylinder) % 9;
    } else if (encoding == TrackEncoding::Mfm && sectorsPerTrack == 18) {
        stepBy = 11;
    }
    auto id = [&](unsigned number, uint8_t *field) {
        field[0] = static_cast<uint8_t>(cylinder);
        field[1] = static_cast<uint8_t>(side);
        field[2] = static_cast<uint8_t>(number);
        field[3] = 1;
        uint16_t crc = FieldCrc(encoding, kIdMark, field, 4);
        field[4] = static_cast<uint8_t>(crc >> 8);
        field[5] = static_cast<uint8_t>(crc & 0xFF);
    };
    if (encoding == TrackEncoding::Fm) {
        writer.PutFm(kIndexMark, kIndexClockFm);
        for (unsigned k = 0; k < kFmGapIndex; ++k) {
            writer.PutFm(0xFF);
        }
        for (unsigned p = 0; p < sectorsPerTrack; ++p) {
            unsigned number = (first + p * stepBy) % sectorsPerTrack;
            uint8_t field[6];
            id(number, field);
            for (unsigned k = 0; k < kFmSync; ++k) {
                writer.PutFm(0x00);
            }
            writer.PutFm(kIdMark, kMarkClockFm);
            for (uint8_t b : field) {
                writer.PutFm(b);
            }
            for (unsigned k = 0; k < kFmGapId; ++k) {
                writer.PutFm(0xFF);
            }
            for (unsigned k = 0; k < kFmSync; ++k) {
                writer.PutFm(0x00);
            }
            writer.PutFm(kDataMark, kMarkClockFm);
            const uint8_t *sector = data + size_t{number} * kDataBytes;
            for (size_t k = 0; k < kDataBytes; ++k) {
                writer.PutFm(sector[k]);
            }
            uint16_t crc = FieldCrc(encoding, kDataMark, sector, kDataBytes);
            writer.PutFm(static_cast<uint8_t>(crc >> 8));
            writer.PutFm(static_cast<uint8_t>(crc & 0xFF));
            for (unsigned k = 0; k < kFmGapData; ++k) {
                writer.PutFm(0xFF);
            }
        }
        while (writer.Position() < uint64_t{kFmTrackBytes} * 32) {
            writer.PutFm(0xFF);
        }
        // The rest of the side's blocks lies beyond the track's end; it is
        // filled as the FM images in circulation fill it, so that an image
        // written here compares equal to theirs.
        size_t at = kFmTrackBytes * 4;
        out[at++] = 0xAA;
        out[at++] = 0x50;
        std::memset(out + at, 0x55, kStandardSideBytes - at);
        return true;
    }
    for (unsigned k = 0; k < kMfmGapIndex; ++k) {
        writer.PutMfm(kMfmGapByte);
    }
    for (unsigned p = 0; p < sectorsPerTrack; ++p) {
        unsigned number = (first + p * stepBy) % sectorsPerTrack;
        uint8_t field[6];
        id(number, field);
        for (unsigned k = 0; k < kMfmSync; ++k) {
            writer.PutMfm(0x00);
        }
        for (unsigned k = 0; k < 3; ++k) {
            writer.PutMfmSync();
        }
        writer.PutMfm(kIdMark);
        for (uint8_t b : field) {
            writer.PutMfm(b);
        }
        for (unsigned k = 0; k < kMfmGapId; ++k) {
            writer.PutMfm(kMfmGapByte);
        }
        for (unsigned k = 0; k < kMfmSync; ++k) {
            writer.PutMfm(0x00);
        }
        for (unsigned k = 0; k < 3; ++k) {
            writer.PutMfmSync();
        }
        writer.PutMfm(kDataMark);
        const uint8_t *sector = data + size_t{number} * kDataBytes;
        for (size_t k = 0; k < kDataBytes; ++k) {
            writer.PutMfm(sector[k]);
        }
        uint16_t crc = FieldCrc(encoding, kDataMark, sector, kDataBytes);
        writer.PutMfm(static_cast<uint8_t>(crc >> 8));
        writer.PutMfm(static_cast<uint8_t>(crc & 0xFF));
        for (unsigned k = 0; k < kMfmGapData; ++k) {
            writer.PutMfm(kMfmGapByte);
        }
    }
    while (writer.Position() < bits) {
        writer.PutMfm(kMfmGapByte);
    }
    return true;
}

} // namespace kestrel
