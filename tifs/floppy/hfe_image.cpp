#include "tifs/floppy/hfe_image.h"

#include <algorithm>
#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

constexpr int kMsgDataCrc = 100;
constexpr int kMsgIdCrc = 101;
constexpr int kMsgSectorNotFound = 102;

constexpr char kSignatureText[] = "HXCPICFE";
constexpr unsigned kMaxSectorsPerTrack = 36;
constexpr uint8_t kFormatFill = 0xE5;

size_t SideBytes(size_t trackLength)
{
    return trackLength / 2;
}

size_t BlockBytes(size_t trackLength)
{
    return (trackLength + hfe::kBlockSize - 1) / hfe::kBlockSize * hfe::kBlockSize;
}

// Side s of a cylinder's blocks as one stream, and back.
void Deinterleave(const std::vector<uint8_t> &blocks, unsigned s, size_t sideBytes,
                  std::vector<uint8_t> &side)
{
    side.resize(sideBytes);
    for (size_t j = 0; j < sideBytes; ++j) {
        side[j] = blocks[(j / hfe::kSideChunk) * hfe::kBlockSize + s * hfe::kSideChunk +
                         j % hfe::kSideChunk];
    }
}

void Interleave(const std::vector<uint8_t> &side, unsigned s, std::vector<uint8_t> &blocks)
{
    for (size_t j = 0; j < side.size(); ++j) {
        blocks[(j / hfe::kSideChunk) * hfe::kBlockSize + s * hfe::kSideChunk +
               j % hfe::kSideChunk] = side[j];
    }
}

unsigned CountUsableIds(const std::vector<TrackSector> &sectors)
{
    unsigned count = 0;
    for (const TrackSector &s : sectors) {
        if (s.idCrcOk && s.sizeCode == 1) {
            ++count;
        }
    }
    return count;
}

} // namespace

bool HasHfeSignature(const uint8_t *bytes, size_t length)
{
    return length >= hfe::kSignatureLength &&
           std::memcmp(bytes + hfe::kSignature, kSignatureText, hfe::kSignatureLength) == 0;
}

bool HfeImage::Open()
{
    m_tracks.clear();
    uint8_t header[hfe::kHeaderSize];
    if (!m_raw.ReadAt(0, header, sizeof header) || !HasHfeSignature(header, sizeof header)) {
        return false;
    }
    m_cylinders = header[hfe::kCylinders];
    m_sides = header[hfe::kSides] == 0 ? 1 : header[hfe::kSides];
    if (m_cylinders == 0 || m_cylinders > hfe::kMaxCylinders || m_sides > 2) {
        return false;
    }
    uint64_t list = uint64_t{GetWordLE(header, hfe::kTrackList)} * hfe::kBlockSize;
    std::vector<uint8_t> entries(size_t{m_cylinders} * hfe::kTrackEntrySize);
    if (list == 0 || !m_raw.ReadAt(list, entries.data(), entries.size())) {
        return false;
    }
    m_tracks.resize(m_cylinders);
    for (unsigned c = 0; c < m_cylinders; ++c) {
        m_tracks[c].offset =
            uint64_t{GetWordLE(entries.data(), c * hfe::kTrackEntrySize)} * hfe::kBlockSize;
        m_tracks[c].length = GetWordLE(entries.data(), c * hfe::kTrackEntrySize + 2);
    }

    // The header's encoding is trusted when cylinder 0 bears it out; some
    // writers leave it unset, so the other encoding is tried as well.
    const uint8_t encoding = header[hfe::kEncoding];
    m_encoding = encoding == hfe::kEncodingFm ? TrackEncoding::Fm : TrackEncoding::Mfm;
    Track *first = LoadTrack(0);
    if (first == nullptr) {
        return false;
    }
    if (CountUsableIds(first->sectors[0]) == 0) {
        m_encoding = m_encoding == TrackEncoding::Fm ? TrackEncoding::Mfm : TrackEncoding::Fm;
        first->loaded = false;
        first = LoadTrack(0);
        if (first == nullptr || CountUsableIds(first->sectors[0]) == 0) {
            // Neither reads: keep what the header says, every sector will
            // then report itself as not found.
            m_encoding = encoding == hfe::kEncodingFm ? TrackEncoding::Fm : TrackEncoding::Mfm;
            if (first != nullptr) {
                first->loaded = false;
            }
            first = LoadTrack(0);
            if (first == nullptr) {
                return false;
            }
        }
    }
    unsigned highest = 0;
    for (const TrackSector &s : first->sectors[0]) {
        if (s.idCrcOk && s.sizeCode == 1 && s.number < kMaxSectorsPerTrack) {
            highest = std::max(highest, s.number + 1u);
        }
    }
    m_sectorsPerTrack = highest != 0 ? highest : (m_encoding == TrackEncoding::Fm ? 9u : 18u);
    // Many files carry two sides for a single-sided disk; a second side
    // without a single ID field on cylinder 0 holds no sectors.
    if (m_sides == 2 && CountUsableIds(first->sectors[1]) == 0 &&
        CountUsableIds(first->sectors[0]) != 0) {
        m_sides = 1;
    }
    return true;
}

HfeImage::Track *HfeImage::LoadTrack(unsigned cylinder)
{
    if (cylinder >= m_tracks.size()) {
        return nullptr;
    }
    Track &t = m_tracks[cylinder];
    if (t.loaded) {
        return &t;
    }
    t.loaded = true;
    t.present = false;
    t.blocks.clear();
    for (auto &s : t.side) {
        s.clear();
    }
    for (auto &s : t.sectors) {
        s.clear();
    }
    if (t.length == 0 || t.offset == 0) {
        return &t;
    }
    t.blocks.resize(BlockBytes(t.length));
    if (!m_raw.ReadAt(t.offset, t.blocks.data(), t.blocks.size())) {
        t.blocks.clear();
        return &t;
    }
    t.present = true;
    const size_t sideBytes = SideBytes(t.length);
    for (unsigned s = 0; s < 2; ++s) {
        Deinterleave(t.blocks, s, sideBytes, t.side[s]);
        if (s < m_sides) {
            t.sectors[s] = DecodeTrackSide(t.side[s].data(), t.side[s].size(), m_encoding);
        }
    }
    return &t;
}

bool HfeImage::Place(uint32_t sector, unsigned &cylinder, unsigned &side, unsigned &number) const
{
    if (m_sectorsPerTrack == 0) {
        return false;
    }
    uint32_t track = sector / m_sectorsPerTrack;
    number = sector % m_sectorsPerTrack;
    if (track < m_cylinders) {
        cylinder = track;
        side = 0;
        return true;
    }
    if (m_sides == 2 && track < 2 * m_cylinders) {
        cylinder = 2 * m_cylinders - 1 - track;
        side = 1;
        return true;
    }
    return false;
}

TrackSector *HfeImage::Find(unsigned cylinder, unsigned side, unsigned number, SectorFault &fault)
{
    fault = SectorFault::NotFound;
    Track *t = LoadTrack(cylinder);
    if (t == nullptr || side >= 2) {
        return nullptr;
    }
    // An ID field that names this cylinder and side is preferred; one that
    // names another still serves, as the controllers compare only what
    // they are told to.
    TrackSector *best = nullptr;
    bool badId = false;
    for (TrackSector &s : t->sectors[side]) {
        if (s.number != number || s.sizeCode != 1) {
            continue;
        }
        if (!s.idCrcOk) {
            badId = true;
            continue;
        }
        if (!s.hasData) {
            continue;
        }
        bool exact = s.cylinder == cylinder && s.side == side;
        if (best == nullptr || (exact && !(best->cylinder == cylinder && best->side == side)) ||
            (s.dataCrcOk && !best->dataCrcOk)) {
            best = &s;
        }
    }
    if (best != nullptr) {
        fault = best->dataCrcOk ? SectorFault::None : SectorFault::DataCrc;
        return best;
    }
    if (badId) {
        fault = SectorFault::IdCrc;
    }
    return nullptr;
}

SectorFault HfeImage::Fault(uint32_t sector)
{
    unsigned cylinder = 0;
    unsigned side = 0;
    unsigned number = 0;
    if (!Place(sector, cylinder, side, number)) {
        return SectorFault::NotFound;
    }
    SectorFault fault = SectorFault::NotFound;
    Find(cylinder, side, number, fault);
    return fault;
}

uint64_t HfeImage::Size() const
{
    return uint64_t{m_cylinders} * m_sides * m_sectorsPerTrack * kSectorSize;
}

bool HfeImage::ReadAt(uint64_t offset, uint8_t *buffer, size_t length)
{
    const uint64_t size = Size();
    if (offset > size || length > size - offset) {
        return false;
    }
    while (length > 0) {
        uint32_t sector = static_cast<uint32_t>(offset / kSectorSize);
        size_t within = static_cast<size_t>(offset % kSectorSize);
        size_t piece = std::min(length, kSectorSize - within);
        unsigned cylinder = 0;
        unsigned side = 0;
        unsigned number = 0;
        if (!Place(sector, cylinder, side, number)) {
            return false;
        }
        SectorFault fault = SectorFault::NotFound;
        const TrackSector *s = Find(cylinder, side, number, fault);
        if (s == nullptr || fault != SectorFault::None) {
            return false;
        }
        std::memcpy(buffer, s->data.data() + within, piece);
        buffer += piece;
        offset += piece;
        length -= piece;
    }
    return true;
}

bool HfeImage::WriteSector(uint32_t sector, const uint8_t *data)
{
    unsigned cylinder = 0;
    unsigned side = 0;
    unsigned number = 0;
    if (!Place(sector, cylinder, side, number)) {
        return false;
    }
    SectorFault fault = SectorFault::NotFound;
    TrackSector *found = Find(cylinder, side, number, fault);
    if (found == nullptr) {
        return false;
    }
    Track &t = m_tracks[cylinder];
    TrackSector &s = *found;
    std::vector<uint8_t> before = t.side[side];
    if (!RewriteDataField(t.side[side].data(), t.side[side].size(), m_encoding, s, data)) {
        return false;
    }
    std::vector<uint8_t> blocks = t.blocks;
    Interleave(t.side[side], side, blocks);
    if (!m_raw.WriteAt(t.offset, blocks.data(), blocks.size())) {
        // The file keeps what it had; so does what this image has read.
        t.side[side] = std::move(before);
        t.loaded = false;
        return false;
    }
    t.blocks = std::move(blocks);
    std::memcpy(s.data.data(), data, kSectorSize);
    s.dataCrcOk = true;
    return true;
}

bool HfeImage::WriteAt(uint64_t offset, const uint8_t *buffer, size_t length)
{
    const uint64_t size = Size();
    if (offset > size || length > size - offset) {
        return false;
    }
    while (length > 0) {
        uint32_t sector = static_cast<uint32_t>(offset / kSectorSize);
        size_t within = static_cast<size_t>(offset % kSectorSize);
        size_t piece = std::min(length, kSectorSize - within);
        uint8_t data[kSectorSize];
        if (piece != kSectorSize && !ReadAt(offset - within, data, kSectorSize)) {
            return false;
        }
        std::memcpy(data + within, buffer, piece);
        if (!WriteSector(sector, data)) {
            return false;
        }
        buffer += piece;
        offset += piece;
        length -= piece;
    }
    return true;
}

bool HfeImage::ReportFault(uint64_t offset, size_t length, Ui &ui, const std::string &path)
{
    const uint64_t size = Size();
    if (offset >= size) {
        return false;
    }
    uint64_t end = std::min<uint64_t>(size, offset + std::max<size_t>(length, 1));
    for (uint64_t s = offset / kSectorSize; s * kSectorSize < end; ++s) {
        unsigned cylinder = 0;
        unsigned side = 0;
        unsigned number = 0;
        if (!Place(static_cast<uint32_t>(s), cylinder, side, number)) {
            return false;
        }
        SectorFault fault = Fault(static_cast<uint32_t>(s));
        int message = fault == SectorFault::DataCrc    ? kMsgDataCrc
                      : fault == SectorFault::IdCrc    ? kMsgIdCrc
                      : fault == SectorFault::NotFound ? kMsgSectorNotFound
                                                       : 0;
        if (message != 0) {
            ReportError(ui, message, {cylinder, side, number, path});
            return true;
        }
    }
    return false;
}

bool BuildHfeImage(const HfeLayout &layout, const std::vector<uint8_t> &sectorDump,
                   std::vector<uint8_t> &out, Ui *progress)
{
    const unsigned cylinders = layout.cylinders;
    const unsigned sides = layout.sides;
    const unsigned spt = layout.sectorsPerTrack;
    if (cylinders == 0 || cylinders > hfe::kMaxCylinders || sides == 0 || sides > 2 || spt == 0 ||
        spt > MaxSectorsPerTrack(layout.encoding)) {
        return false;
    }
    const bool fm = layout.encoding == TrackEncoding::Fm;
    const uint16_t trackLength = fm ? hfe::kFmTrackLength : hfe::kMfmTrackLength;
    const size_t trackBlocks = BlockBytes(trackLength) / hfe::kBlockSize;
    const size_t listBlocks =
        (size_t{cylinders} * hfe::kTrackEntrySize + hfe::kBlockSize - 1) / hfe::kBlockSize;
    const size_t firstTrackBlock = 1 + listBlocks;
    out.assign((firstTrackBlock + trackBlocks * cylinders) * hfe::kBlockSize, 0);

    uint8_t *h = out.data();
    std::memset(h, 0xFF, hfe::kHeaderSize);
    std::memcpy(h + hfe::kSignature, kSignatureText, hfe::kSignatureLength);
    h[hfe::kRevision] = 0;
    h[hfe::kCylinders] = static_cast<uint8_t>(cylinders);
    h[hfe::kSides] = static_cast<uint8_t>(sides);
    h[hfe::kEncoding] = fm ? hfe::kEncodingFm : hfe::kEncodingMfm;
    PutWordLE(h, hfe::kBitRate, hfe::kBitRateKbps);
    PutWordLE(h, hfe::kRpm, 0);
    h[hfe::kInterfaceMode] = hfe::kInterfaceShugart;
    h[hfe::kUnused] = 1;
    PutWordLE(h, hfe::kTrackList, 1);
    std::memset(out.data() + hfe::kBlockSize, 0xFF, listBlocks * hfe::kBlockSize);

    std::vector<uint8_t> trackData(size_t{spt} * kSectorSize);
    std::vector<uint8_t> side(kStandardSideBytes);
    std::vector<uint8_t> blocks(trackBlocks * hfe::kBlockSize);
    if (progress != nullptr) {
        progress->SetProgressRange(cylinders);
    }
    for (unsigned c = 0; c < cylinders; ++c) {
        const size_t block = firstTrackBlock + trackBlocks * c;
        uint8_t *entry = out.data() + hfe::kBlockSize + size_t{c} * hfe::kTrackEntrySize;
        PutWordLE(entry, 0, static_cast<uint16_t>(block));
        PutWordLE(entry, 2, trackLength);
        std::fill(blocks.begin(), blocks.end(), 0);
        for (unsigned s = 0; s < sides; ++s) {
            // The logical track of this side: side 1 runs back from the last cylinder.
            size_t logical = s == 0 ? c : 2 * size_t{cylinders} - 1 - c;
            for (unsigned n = 0; n < spt; ++n) {
                size_t from = (logical * spt + n) * kSectorSize;
                uint8_t *to = trackData.data() + size_t{n} * kSectorSize;
                if (from + kSectorSize <= sectorDump.size()) {
                    std::memcpy(to, sectorDump.data() + from, kSectorSize);
                } else {
                    std::memset(to, kFormatFill, kSectorSize);
                }
            }
            EncodeStandardTrackSide(layout.encoding, c, s, spt, trackData.data(), side.data());
            Interleave(side, s, blocks);
        }
        std::memcpy(out.data() + block * hfe::kBlockSize, blocks.data(), blocks.size());
        if (progress != nullptr) {
            progress->SetProgressPosition(c + 1);
        }
    }
    return true;
}

} // namespace kestrel
