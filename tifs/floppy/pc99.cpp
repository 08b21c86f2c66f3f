#include "tifs/floppy/pc99.h"

#include <cstdio>
#include <cstring>

#include "platform/paths.h"
#include "tifs/floppy/output_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgNoDiskInfo = 9;
constexpr int kMsgSameName = 11;
constexpr int kMsgNoMemory = 13;

constexpr Pc99Geometry kSingle = {9, 3253, 16, 334, 6, 7, 8, 9, 10, 31};
constexpr Pc99Geometry kDouble = {18, 6872, 40, 340, 13, 14, 15, 16, 17, 58};

} // namespace

const Pc99Geometry *Pc99GeometryFor(uint16_t imageKind)
{
    if (imageKind == 10) {
        return &kSingle;
    }
    if (imageKind == 11) {
        return &kDouble;
    }
    return nullptr;
}

bool Pc99SectorPlace(const Pc99Geometry &geometry, unsigned tracksPerSide, uint32_t sector,
                     uint64_t &imageTrack, unsigned &sectorNumber)
{
    uint64_t track = sector / geometry.sectorsPerTrack;
    sectorNumber = sector % geometry.sectorsPerTrack;
    if (tracksPerSide != 0 && track >= tracksPerSide) {
        if (track >= 2ull * tracksPerSide) {
            return false;
        }
        track = 3ull * tracksPerSide - track - 1;
    }
    imageTrack = track;
    return true;
}

bool ReadPc99PhysicalRecord(ImageAccess &image, uint16_t imageKind, uint32_t position,
                            uint8_t *record)
{
    const Pc99Geometry *g = Pc99GeometryFor(imageKind);
    if (g == nullptr) {
        return false;
    }
    uint64_t track = position / g->sectorsPerTrack;
    uint64_t index = position % g->sectorsPerTrack;
    uint64_t offset = track * g->trackLength + g->firstRecord + index * g->recordLength;
    return image.ReadAt(offset, record, g->recordLength);
}

bool ReadPc99Sector(ImageAccess &image, const DiskSummary &summary, uint32_t sector,
                    uint8_t *record, Ui &ui, const std::string &path)
{
    const Pc99Geometry *g = Pc99GeometryFor(summary.imageKind);
    uint64_t track = 0;
    unsigned number = 0;
    if (g != nullptr && Pc99SectorPlace(*g, summary.tracksPerSide, sector, track, number)) {
        for (unsigned i = 0; i < g->sectorsPerTrack; ++i) {
            uint64_t offset = track * g->trackLength + g->firstRecord + i * g->recordLength;
            if (!image.ReadAt(offset, record, g->recordLength)) {
                break;
            }
            if (record[g->idMark] == 0xFE && record[g->idSector] == number) {
                return true;
            }
        }
    }
    if (!path.empty()) {
        ReportError(ui, kMsgCantReadSector, {static_cast<unsigned>(sector), path});
    }
    return false;
}

bool ReadPc99Summary(ImageAccess &image, uint16_t imageKind, DiskSummary &summary, Ui &ui,
                     const std::string &path, uint8_t *vibSector)
{
    const Pc99Geometry *g = Pc99GeometryFor(imageKind);
    if (g == nullptr) {
        ReportError(ui, kMsgNoDiskInfo, {path});
        return false;
    }
    DiskSummary search;
    search.imageKind = imageKind;
    search.sectorsPerTrack = static_cast<uint16_t>(g->sectorsPerTrack);
    uint8_t record[kPc99RecordMax];
    if (!ReadPc99Sector(image, search, 0, record, ui, path)) {
        return false;
    }
    if (DecodeVib(nullptr, record + g->data, summary) == 0) {
        ReportError(ui, kMsgNoDiskInfo, {path});
        return false;
    }
    summary.imageKind = imageKind;
    if (vibSector != nullptr) {
        std::memcpy(vibSector, record + g->data, kSectorSize);
    }
    return true;
}

namespace
{

// Opens a PC99 image and reads its VIB; the kind comes from the first bytes.
bool OpenPc99(FileImage &image, const std::string &path, DiskSummary &summary, Ui &ui)
{
    if (!image.Open(path, false)) {
        ReportError(ui, kMsgCantOpenRead, {path});
        return false;
    }
    uint8_t first[kSectorSize] = {};
    DiskSummary probe;
    uint16_t kind = 0;
    if (image.ReadAt(0, first, sizeof first)) {
        kind = DecodeVib(&image, first, probe);
    }
    if (kind != 10 && kind != 11) {
        ReportError(ui, kMsgNoDiskInfo, {path});
        return false;
    }
    return ReadPc99Summary(image, kind, summary, ui, path);
}

} // namespace

bool ConvertPc99ToDsk(const std::string &source, const std::string &target, Ui &ui)
{
    FileImage image;
    DiskSummary summary;
    if (!OpenPc99(image, source, summary, ui)) {
        return false;
    }
    if (platform::SameFile(source, target)) {
        ReportError(ui, kMsgSameName);
        return false;
    }
    OutputFile out(target);
    if (!out.Open()) {
        ReportError(ui, kMsgCantOpenWrite, {target});
        return false;
    }
    const Pc99Geometry *g = Pc99GeometryFor(summary.imageKind);
    uint8_t record[kPc99RecordMax];
    ui.SetProgressRange(summary.totalSectors);
    for (uint32_t sector = 0; sector < summary.totalSectors; ++sector) {
        if (!ReadPc99Sector(image, summary, sector, record, ui, source)) {
            out.Finish(false);
            return false;
        }
        if (!out.Write(record + g->data, kSectorSize)) {
            ReportError(ui, kMsgCantWriteSector, {static_cast<unsigned>(sector), target});
            out.Finish(false);
            return false;
        }
        ui.SetProgressPosition(sector + 1);
    }
    if (!out.Finish(true)) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<unsigned>(summary.totalSectors), target});
        return false;
    }
    return true;
}

bool DiskLayoutReport(const std::string &imagePath, const std::string &pcName, std::string &text,
                      Ui &ui)
{
    text.clear();
    FileImage image;
    DiskSummary summary;
    if (!OpenPc99(image, imagePath, summary, ui)) {
        return false;
    }
    const Pc99Geometry *g = Pc99GeometryFor(summary.imageKind);
    size_t capacity =
        (3 * size_t{g->sectorsPerTrack} + 14) * (size_t{summary.tracksPerSide} * summary.sides + 5);
    try {
        text.reserve(capacity);
    } catch (...) {
        ReportError(ui, kMsgNoMemory);
        return false;
    }
    auto append = [&](const std::string &piece) {
        if (text.size() + piece.size() > capacity) {
            return false;
        }
        text += piece;
        return true;
    };
    append("\tDisklayout of " + pcName + "\r\n\r\n");
    append("\tSide Track Sectors\r\n");
    append("\t-----------------------------------------------------------------\r\n");
    uint8_t record[kPc99RecordMax];
    int lastSide = -1;
    int lastTrack = -1;
    for (uint32_t p = 0; p < summary.totalSectors; ++p) {
        if (!ReadPc99PhysicalRecord(image, summary.imageKind, p, record)) {
            ReportError(ui, kMsgCantReadSector, {static_cast<unsigned>(p), imagePath});
            return false;
        }
        int side = record[g->idSide];
        int track = record[g->idTrack];
        int sector = record[g->idSector];
        char piece[64];
        if (side == lastSide && track == lastTrack) {
            std::snprintf(piece, sizeof piece, " %02d", sector);
        } else {
            std::snprintf(piece, sizeof piece, "%s\t%2d   %02d     %02d",
                          lastSide < 0 ? "" : "\r\n", side, track, sector);
        }
        if (!append(piece)) {
            break;
        }
        lastSide = side;
        lastTrack = track;
    }
    return true;
}

std::string DiskLayoutTitle(const std::string &locationPath, const std::string &subdirName)
{
    std::string title = std::string("Kestrel - ") + locationPath;
    if (!subdirName.empty()) {
        title += "->" + subdirName;
    }
    return title;
}

} // namespace kestrel
