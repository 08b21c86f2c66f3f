#include "tifs/floppy/hfe_convert.h"

#include <vector>

#include "platform/paths.h"
#include "tifs/disk_summary.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/hfe_image.h"
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
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgNoDiskInfo = 9;
constexpr int kMsgNotHfe = 103;
constexpr int kMsgNoHfeLayout = 104;
constexpr int kMsgOntoItself = 106;

} // namespace

bool ConvertHfeToDsk(const std::string &source, const std::string &target, Ui &ui)
{
    FloppyImageFile image;
    if (!image.Open(source, false)) {
        ReportError(ui, kMsgCantOpenRead, {source});
        return false;
    }
    if (image.TrackImage() == nullptr) {
        ReportError(ui, kMsgNotHfe, {source});
        return false;
    }
    if (platform::SameFile(source, target)) {
        ReportError(ui, kMsgOntoItself, {source});
        return false;
    }
    // The VIB says how much of the tracks is the disk; a disk that fills
    // fewer sides than the file carries keeps its own size.
    uint64_t sectors = image.Size() / kSectorSize;
    uint8_t first[kSectorSize];
    DiskSummary summary;
    if (image.ReadAt(0, first, sizeof first) && DecodeVib(nullptr, first, summary) != 0 &&
        summary.totalSectors != 0 && summary.totalSectors <= sectors) {
        sectors = summary.totalSectors;
    }
    OutputFile out(target);
    if (!out.Open()) {
        ReportError(ui, kMsgCantOpenWrite, {target});
        return false;
    }
    ui.SetProgressRange(static_cast<uint32_t>(sectors));
    uint8_t data[kSectorSize];
    for (uint32_t s = 0; s < sectors; ++s) {
        if (!ReadDiskSector(image, 0, s, data, ui, source)) {
            out.Finish(false);
            return false;
        }
        if (!out.Write(data, kSectorSize)) {
            ReportError(ui, kMsgCantWriteSector, {s, target});
            out.Finish(false);
            return false;
        }
        ui.SetProgressPosition(s + 1);
    }
    if (!out.Finish(true)) {
        ReportError(ui, kMsgCantWriteSector, {static_cast<unsigned>(sectors), target});
        return false;
    }
    return true;
}

bool ConvertDskToHfe(const std::string &source, const std::string &target, Ui &ui)
{
    FileImage image;
    if (!image.Open(source, false)) {
        ReportError(ui, kMsgCantOpenRead, {source});
        return false;
    }
    uint8_t first[kSectorSize];
    DiskSummary summary;
    if (!ReadDiskSector(image, 0, 0, first, ui, source)) {
        return false;
    }
    if (DecodeVib(&image, first, summary) != 9) {
        ReportError(ui, kMsgNoDiskInfo, {source});
        return false;
    }
    if (platform::SameFile(source, target)) {
        ReportError(ui, kMsgOntoItself, {source});
        return false;
    }
    FloppyLayout geometry;
    HfeLayout layout;
    const bool known =
        ResolveFloppyLayout(summary.totalSectors, summary.tracksPerSide, summary.sides,
                            summary.sectorsPerTrack, summary.density, geometry);
    layout.cylinders = geometry.tracksPerSide;
    layout.sides = geometry.sides;
    layout.sectorsPerTrack = geometry.sectorsPerTrack;
    layout.encoding = summary.density >= 2 ? TrackEncoding::Mfm : TrackEncoding::Fm;
    if (!known || summary.density > 2 || layout.cylinders > hfe::kMaxCylinders ||
        layout.sectorsPerTrack > MaxSectorsPerTrack(layout.encoding)) {
        ReportError(
            ui, kMsgNoHfeLayout,
            {source,
             geometry.sectorsPerTrack != 0 ? geometry.sectorsPerTrack : summary.sectorsPerTrack,
             summary.density});
        return false;
    }
    std::vector<uint8_t> dump(size_t{summary.totalSectors} * kSectorSize);
    for (uint32_t s = 0; s < summary.totalSectors; ++s) {
        // A short image leaves its missing sectors formatted but empty.
        if (!image.ReadAt(uint64_t{s} * kSectorSize, dump.data() + size_t{s} * kSectorSize,
                          kSectorSize)) {
            dump.resize(size_t{s} * kSectorSize);
            break;
        }
    }
    std::vector<uint8_t> hfeBytes;
    if (!BuildHfeImage(layout, dump, hfeBytes, &ui)) {
        ReportError(ui, kMsgNoHfeLayout, {source, layout.sectorsPerTrack, summary.density});
        return false;
    }
    OutputFile out(target);
    if (!out.Open()) {
        ReportError(ui, kMsgCantOpenWrite, {target});
        return false;
    }
    if (!out.Write(hfeBytes.data(), hfeBytes.size()) || !out.Finish(true)) {
        ReportError(ui, kMsgCantWriteSector, {0, target});
        out.Finish(false);
        return false;
    }
    return true;
}

} // namespace kestrel
