#include "tifs/floppy/pc99_sector_write.h"

#include <cstring>

#include "tifs/floppy/pc99.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr uint8_t kMfmSync = 0xA1;
constexpr size_t kCrcBytes = 2;

uint16_t CrcStep(uint16_t crc, uint8_t byte)
{
    crc ^= static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
        crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ 0x1021)
                             : static_cast<uint16_t>(crc << 1);
    }
    return crc;
}

} // namespace

uint16_t Pc99DataCrc(uint16_t imageKind, uint8_t mark, const uint8_t *data)
{
    uint16_t crc = 0xFFFF;
    if (imageKind == 11) {
        for (int i = 0; i < 3; ++i) {
            crc = CrcStep(crc, kMfmSync);
        }
    }
    crc = CrcStep(crc, mark);
    for (size_t i = 0; i < kSectorSize; ++i) {
        crc = CrcStep(crc, data[i]);
    }
    return crc;
}

bool WritePc99Sector(ImageAccess &image, const DiskSummary &summary, uint32_t sector,
                     const uint8_t *data, Ui &ui, const std::string &path)
{
    const Pc99Geometry *g = Pc99GeometryFor(summary.imageKind);
    uint64_t track = 0;
    unsigned number = 0;
    if (g == nullptr || !Pc99SectorPlace(*g, summary.tracksPerSide, sector, track, number)) {
        ReportError(ui, kMsgCantReadSector, {static_cast<unsigned>(sector), path});
        return false;
    }
    uint8_t record[kPc99RecordMax];
    for (unsigned i = 0; i < g->sectorsPerTrack; ++i) {
        const uint64_t offset = track * g->trackLength + g->firstRecord + i * g->recordLength;
        if (!image.ReadAt(offset, record, g->recordLength)) {
            break;
        }
        if (record[g->idMark] != 0xFE || record[g->idSector] != number) {
            continue;
        }
        const uint8_t mark = record[g->data - 1];
        const bool hasCrc =
            g->data + kSectorSize + kCrcBytes <= g->recordLength &&
            ((record[g->data + kSectorSize] << 8) | record[g->data + kSectorSize + 1]) ==
                Pc99DataCrc(summary.imageKind, mark, record + g->data);
        uint8_t field[kSectorSize + kCrcBytes];
        std::memcpy(field, data, kSectorSize);
        size_t length = kSectorSize;
        if (hasCrc) {
            const uint16_t crc = Pc99DataCrc(summary.imageKind, mark, data);
            field[kSectorSize] = static_cast<uint8_t>(crc >> 8);
            field[kSectorSize + 1] = static_cast<uint8_t>(crc);
            length += kCrcBytes;
        }
        if (!image.WriteAt(offset + g->data, field, length)) {
            ReportError(ui, kMsgCantWriteSector, {static_cast<unsigned>(sector), path});
            return false;
        }
        return true;
    }
    ReportError(ui, kMsgCantReadSector, {static_cast<unsigned>(sector), path});
    return false;
}

} // namespace kestrel
