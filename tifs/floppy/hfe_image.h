// HFE bit-stream images (version 1) of TI floppies, seen as the sector dump
// they hold: logical sector n lies where a DSK image keeps it, so the floppy
// reader, writer and check work on them through ImageAccess unchanged.
//
// File layout: a 512-byte header, a track list of 4 bytes per cylinder
// (block offset and byte length, little-endian), and per cylinder its blocks
// of 512 bytes, each the next 256 stream bytes of side 0 followed by the next
// 256 of side 1. Logical sectors run over side 0 from cylinder 0 outwards and
// then over side 1 from the last cylinder inwards, as on a TI disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tifs/floppy/disk_sector_io.h"
#include "tifs/floppy/hfe_track.h"

namespace kestrel
{

namespace hfe
{
constexpr size_t kHeaderSize = 512;
constexpr size_t kBlockSize = 512;
constexpr size_t kSideChunk = 256;
constexpr size_t kSignature = 0; // 8 bytes
constexpr size_t kSignatureLength = 8;
constexpr size_t kRevision = 8;
constexpr size_t kCylinders = 9;
constexpr size_t kSides = 10;
constexpr size_t kEncoding = 11;
constexpr size_t kBitRate = 12; // kbit/s, little-endian
constexpr size_t kRpm = 14;     // little-endian
constexpr size_t kInterfaceMode = 16;
constexpr size_t kUnused = 17;
constexpr size_t kTrackList = 18; // block number, little-endian
constexpr size_t kWriteAllowed = 20;
constexpr size_t kSingleStep = 21;
constexpr size_t kAlternateEncodings = 22; // 4 bytes
constexpr size_t kTrackEntrySize = 4;      // block offset, byte length

constexpr uint8_t kEncodingMfm = 0;
constexpr uint8_t kEncodingFm = 2;
constexpr uint8_t kInterfaceShugart = 7;
constexpr uint16_t kBitRateKbps = 250;
// One turn of a standard track, both sides together, in stream bytes.
constexpr uint16_t kFmTrackLength = 25008;
constexpr uint16_t kMfmTrackLength = 25024;
constexpr unsigned kMaxCylinders = 100;
} // namespace hfe

// True when the first bytes (at least 8) carry the HFE signature.
bool HasHfeSignature(const uint8_t *bytes, size_t length);

// Why a sector of a track image cannot be read.
enum class SectorFault { None, NotFound, IdCrc, DataCrc };

class HfeImage : public ImageAccess
{
public:
    // raw holds the HFE file; it must outlive this object.
    explicit HfeImage(ImageAccess &raw) : m_raw(raw) {}

    // Reads the header and track list and decodes cylinder 0 to learn the
    // sector count of a track. False when the bytes are no HFE image whose
    // geometry this program reads (1 or 2 sides, FM or MFM, at most 100
    // cylinders).
    bool Open();

    unsigned Cylinders() const { return m_cylinders; }
    unsigned Sides() const { return m_sides; }
    unsigned SectorsPerTrack() const { return m_sectorsPerTrack; }
    TrackEncoding Encoding() const { return m_encoding; }

    // The logical sector dump. A read fails when any sector it touches is
    // missing or fails its CRC; a write fails for a sector without a data
    // field. A write re-encodes the sector's data field in place and writes
    // back the blocks of its cylinder only.
    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override;
    bool WriteAt(uint64_t offset, const uint8_t *buffer, size_t length) override;
    uint64_t Size() const override;
    bool ReportFault(uint64_t offset, size_t length, Ui &ui, const std::string &path) override;

    // Where logical sector n lies; false beyond the disk.
    bool Place(uint32_t sector, unsigned &cylinder, unsigned &side, unsigned &number) const;
    // The state of logical sector n (loading its track when needed).
    SectorFault Fault(uint32_t sector);

private:
    struct Track {
        bool loaded = false;
        bool present = false; // its blocks lie inside the file
        uint64_t offset = 0;
        size_t length = 0; // both sides, as the track list says
        std::vector<uint8_t> blocks;
        std::vector<uint8_t> side[2];
        std::vector<TrackSector> sectors[2];
    };

    Track *LoadTrack(unsigned cylinder);
    TrackSector *Find(unsigned cylinder, unsigned side, unsigned number, SectorFault &fault);
    bool WriteSector(uint32_t sector, const uint8_t *data);

    ImageAccess &m_raw;
    unsigned m_cylinders = 0;
    unsigned m_sides = 0;
    unsigned m_sectorsPerTrack = 0;
    TrackEncoding m_encoding = TrackEncoding::Mfm;
    std::vector<Track> m_tracks;
};

// The geometry of a standard HFE image to be written.
struct HfeLayout {
    unsigned cylinders = 40;
    unsigned sides = 1;
    unsigned sectorsPerTrack = 9;
    TrackEncoding encoding = TrackEncoding::Fm;
};

// Builds a whole HFE file from a sector dump of cylinders x sides x sectors
// per track sectors (sectors the dump lacks are formatted with 0xE5). With
// a Ui, the progress position counts the cylinders done. False when the
// layout does not fit standard tracks.
bool BuildHfeImage(const HfeLayout &layout, const std::vector<uint8_t> &sectorDump,
                   std::vector<uint8_t> &out, Ui *progress = nullptr);

} // namespace kestrel
