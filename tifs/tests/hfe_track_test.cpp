// The bit-cell codec of FM and MFM tracks: CRCs, finding fields at any
// alignment, telling a damaged field from the sound ones, and rewriting one
// data field without disturbing the rest of the track.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tifs/floppy/hfe_track.h"

namespace kestrel
{
namespace
{

std::vector<uint8_t> TrackData(unsigned sectors, uint8_t seed)
{
    std::vector<uint8_t> data(size_t{sectors} * 256);
    for (size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<uint8_t>(i * 7 + seed + i / 256);
    }
    return data;
}

std::vector<uint8_t> Encode(TrackEncoding encoding, unsigned cylinder, unsigned side,
                            unsigned sectors, const std::vector<uint8_t> &data)
{
    std::vector<uint8_t> stream(kStandardSideBytes);
    EXPECT_TRUE(
        EncodeStandardTrackSide(encoding, cylinder, side, sectors, data.data(), stream.data()));
    return stream;
}

// Sector numbers in the order the track holds them.
std::vector<unsigned> Order(const std::vector<TrackSector> &sectors)
{
    std::vector<unsigned> order;
    for (const TrackSector &s : sectors) {
        order.push_back(s.number);
    }
    return order;
}

TEST(HfeTrack, CrcOfIdFieldsMatchesTheControllers)
{
    // ID fields of track 0, sector 0 as TI-formatted disks carry them.
    const uint8_t fm[] = {0xFE, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(FloppyCrc(fm, sizeof fm), 0xF1D3);
    const uint8_t mfm[] = {0xA1, 0xA1, 0xA1, 0xFE, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(FloppyCrc(mfm, sizeof mfm), 0xC93D);
}

TEST(HfeTrack, StandardTracksDecodeBackWithTheirInterleave)
{
    struct Case {
        TrackEncoding encoding;
        unsigned sectors;
        unsigned cylinder;
        unsigned side;
        std::vector<unsigned> order;
    };
    const Case cases[] = {
        {TrackEncoding::Fm, 9, 0, 0, {0, 7, 5, 3, 1, 8, 6, 4, 2}},
        {TrackEncoding::Fm, 9, 1, 0, {6, 4, 2, 0, 7, 5, 3, 1, 8}},
        {TrackEncoding::Fm, 9, 1, 1, {3, 1, 8, 6, 4, 2, 0, 7, 5}},
        {TrackEncoding::Mfm,
         18,
         5,
         1,
         {0, 11, 4, 15, 8, 1, 12, 5, 16, 9, 2, 13, 6, 17, 10, 3, 14, 7}},
        {TrackEncoding::Mfm, 16, 2, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.sectors);
        std::vector<uint8_t> data = TrackData(c.sectors, static_cast<uint8_t>(c.cylinder));
        std::vector<uint8_t> stream = Encode(c.encoding, c.cylinder, c.side, c.sectors, data);
        std::vector<TrackSector> found = DecodeTrackSide(stream.data(), stream.size(), c.encoding);
        ASSERT_EQ(found.size(), c.sectors);
        EXPECT_EQ(Order(found), c.order);
        for (const TrackSector &s : found) {
            EXPECT_TRUE(s.idCrcOk);
            EXPECT_TRUE(s.hasData);
            EXPECT_TRUE(s.dataCrcOk);
            EXPECT_EQ(s.cylinder, c.cylinder);
            EXPECT_EQ(s.side, c.side);
            EXPECT_TRUE(std::equal(s.data.begin(), s.data.end(), data.begin() + s.number * 256));
        }
    }
}

TEST(HfeTrack, TooManySectorsForATrackAreRefused)
{
    std::vector<uint8_t> data = TrackData(19, 0);
    std::vector<uint8_t> stream(kStandardSideBytes);
    EXPECT_FALSE(EncodeStandardTrackSide(TrackEncoding::Fm, 0, 0, 10, data.data(), stream.data()));
    EXPECT_FALSE(EncodeStandardTrackSide(TrackEncoding::Mfm, 0, 0, 19, data.data(), stream.data()));
    EXPECT_FALSE(EncodeStandardTrackSide(TrackEncoding::Fm, 0, 0, 0, data.data(), stream.data()));
}

TEST(HfeTrack, DamagedFieldsAreToldApartFromSoundOnes)
{
    for (TrackEncoding encoding : {TrackEncoding::Fm, TrackEncoding::Mfm}) {
        const unsigned n = encoding == TrackEncoding::Fm ? 9 : 18;
        std::vector<uint8_t> data = TrackData(n, 3);
        std::vector<uint8_t> stream = Encode(encoding, 0, 0, n, data);
        std::vector<TrackSector> found = DecodeTrackSide(stream.data(), stream.size(), encoding);
        ASSERT_EQ(found.size(), n);
        // A data cell in the middle of the second sector's field.
        const unsigned step = encoding == TrackEncoding::Fm ? 32 : 16;
        uint64_t dataCell = found[1].dataBit + 100 * step + (encoding == TrackEncoding::Fm ? 3 : 1);
        stream[dataCell / 8] ^= static_cast<uint8_t>(1u << (dataCell % 8));
        found = DecodeTrackSide(stream.data(), stream.size(), encoding);
        ASSERT_EQ(found.size(), n);
        EXPECT_TRUE(found[1].idCrcOk);
        EXPECT_FALSE(found[1].dataCrcOk);
        for (size_t i = 0; i < found.size(); ++i) {
            if (i != 1) {
                EXPECT_TRUE(found[i].dataCrcOk) << i;
            }
        }
    }
}

TEST(HfeTrack, DamagedIdFieldFailsItsCrc)
{
    std::vector<uint8_t> data = TrackData(9, 5);
    std::vector<uint8_t> stream = Encode(TrackEncoding::Fm, 0, 0, 9, data);
    // FM track: index mark and 16 gap bytes, 6 sync bytes, the ID mark; the
    // first sector's sector byte is the third ID byte after it.
    const uint64_t sectorByte = (1 + 16 + 6 + 3) * 32;
    const uint64_t cell = sectorByte + 4 * 7 + 3; // its last data cell
    stream[cell / 8] ^= static_cast<uint8_t>(1u << (cell % 8));
    std::vector<TrackSector> found =
        DecodeTrackSide(stream.data(), stream.size(), TrackEncoding::Fm);
    ASSERT_EQ(found.size(), 9u);
    EXPECT_FALSE(found[0].idCrcOk);
    EXPECT_EQ(found[0].number, 1u); // sector 0 now reads as sector 1
    EXPECT_TRUE(found[1].idCrcOk);
}

TEST(HfeTrack, RewritingADataFieldGivesTheTrackAFreshFormatWouldGive)
{
    for (TrackEncoding encoding : {TrackEncoding::Fm, TrackEncoding::Mfm}) {
        const unsigned n = encoding == TrackEncoding::Fm ? 9 : 18;
        std::vector<uint8_t> data = TrackData(n, 9);
        std::vector<uint8_t> stream = Encode(encoding, 3, 1, n, data);
        std::vector<TrackSector> found = DecodeTrackSide(stream.data(), stream.size(), encoding);
        ASSERT_EQ(found.size(), n);
        // New contents for every sector in turn, ending and starting with
        // bits that change the neighbouring MFM clock cells.
        for (const TrackSector &s : found) {
            std::vector<uint8_t> fresh(256, static_cast<uint8_t>(s.number % 2 ? 0x00 : 0xFF));
            fresh[0] = 0x00;
            fresh[255] = static_cast<uint8_t>(s.number);
            ASSERT_TRUE(RewriteDataField(stream.data(), stream.size(), encoding, s, fresh.data()));
            std::copy(fresh.begin(), fresh.end(), data.begin() + s.number * 256);
        }
        EXPECT_EQ(stream, Encode(encoding, 3, 1, n, data));
    }
}

TEST(HfeTrack, FieldsAcrossTheStreamEndAreFound)
{
    for (TrackEncoding encoding : {TrackEncoding::Fm, TrackEncoding::Mfm}) {
        const unsigned n = encoding == TrackEncoding::Fm ? 9 : 18;
        std::vector<uint8_t> data = TrackData(n, 1);
        std::vector<uint8_t> stream = Encode(encoding, 0, 0, n, data);
        std::vector<TrackSector> found = DecodeTrackSide(stream.data(), stream.size(), encoding);
        ASSERT_EQ(found.size(), n);
        // Turn the stream so that it begins in the middle of the first
        // sector's data field, a few bits off a byte boundary.
        const uint64_t bits = uint64_t{stream.size()} * 8;
        const uint64_t shift = found[0].dataBit + 1000 + 3;
        std::vector<uint8_t> turned(stream.size(), 0);
        for (uint64_t i = 0; i < bits; ++i) {
            uint64_t from = (i + shift) % bits;
            if ((stream[from / 8] >> (from % 8)) & 1u) {
                turned[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
            }
        }
        std::vector<TrackSector> again = DecodeTrackSide(turned.data(), turned.size(), encoding);
        ASSERT_EQ(again.size(), n);
        for (const TrackSector &s : again) {
            EXPECT_TRUE(s.dataCrcOk) << int(s.number);
            EXPECT_TRUE(std::equal(s.data.begin(), s.data.end(), data.begin() + s.number * 256));
        }
    }
}

TEST(HfeTrack, NoiseAndEmptyStreamsHoldNoSectors)
{
    std::vector<uint8_t> zeros(4096, 0);
    EXPECT_TRUE(DecodeTrackSide(zeros.data(), zeros.size(), TrackEncoding::Mfm).empty());
    EXPECT_TRUE(DecodeTrackSide(zeros.data(), zeros.size(), TrackEncoding::Fm).empty());
    EXPECT_TRUE(DecodeTrackSide(nullptr, 0, TrackEncoding::Fm).empty());
    uint8_t one = 0x89;
    EXPECT_TRUE(DecodeTrackSide(&one, 1, TrackEncoding::Mfm).empty());
}

} // namespace
} // namespace kestrel
