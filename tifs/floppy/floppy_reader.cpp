#include "tifs/floppy/floppy_reader.h"

#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/floppy/pc99.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgDiskError = 8;
constexpr int kMsgNoDiskInfo = 9;
constexpr int kMsgNoSignature = 105;
constexpr unsigned kFdirWords = 128;

} // namespace

bool FloppyDisk::Open(Ui &ui)
{
    uint8_t first[kSectorSize];
    if (!ReadDiskSector(m_image, m_base, 0, first, ui, m_path)) {
        return false;
    }
    uint16_t kind = DecodeVib(m_base == 0 ? &m_image : nullptr, first, m_summary);
    if (kind == 0) {
        ReportError(ui, kMsgNoDiskInfo, {m_path});
        return false;
    }
    if (kind == 10 || kind == 11) {
        return ReadPc99Summary(m_image, kind, m_summary, ui, m_path, m_vib);
    }
    std::memcpy(m_vib, first, sizeof m_vib);
    return true;
}

bool FloppyDisk::ReadSector(uint32_t sector, uint8_t *buffer, Ui &ui)
{
    if (sector >= m_summary.totalSectors) {
        ReportError(ui, kMsgCantReadSector, {static_cast<unsigned>(sector), m_path});
        return false;
    }
    if (const Pc99Geometry *g = Pc99GeometryFor(m_summary.imageKind)) {
        uint8_t record[kPc99RecordMax];
        if (!ReadPc99Sector(m_image, m_summary, sector, record, ui, m_path)) {
            return false;
        }
        std::memcpy(buffer, record + g->data, kSectorSize);
        return true;
    }
    return ReadDiskSector(m_image, m_base, sector, buffer, ui, m_path);
}

bool ListFloppyDirectory(FloppyDisk &disk, const FloppyListing &how, Catalog &catalog, Ui &ui)
{
    const DiskSummary &summary = disk.Summary();
    uint16_t containerKind = how.containerKind != 0 ? how.containerKind : summary.imageKind;
    auto fillContainer = [&](CatalogEntry &e) {
        e.containerKind = containerKind;
        e.density = summary.density;
        e.tracksPerSide = static_cast<int16_t>(summary.tracksPerSide);
        e.sectorsPerTrack = static_cast<int16_t>(summary.sectorsPerTrack);
        e.baseOffset = how.baseOffset;
    };
    if (how.addParent) {
        CatalogEntry *up = AddEntry(catalog);
        up->ti.kind = kKindUpDir;
        up->pcName = "..";
        up->ti.tiName = "..";
    }
    bool pc99 = summary.imageKind == 10 || summary.imageKind == 11;
    if (how.fdirSector == 1 && !pc99) {
        for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
            SubdirSlot s = ReadSubdirSlot(disk.Vib(), slot);
            if (!s.used) {
                continue;
            }
            CatalogEntry *e = AddEntry(catalog);
            e->pcName = how.pcName;
            e->ti.tiName = s.name;
            e->ti.kind = kKindSubdir;
            e->ti.fdrSector = s.fdirSector;
            fillContainer(*e);
        }
    }
    uint8_t index[kSectorSize];
    if (!disk.ReadSector(how.fdirSector, index, ui)) {
        return false;
    }
    uint8_t fdr[kSectorSize];
    for (unsigned word = 0; word < kFdirWords; ++word) {
        uint16_t sector = GetWordBE(index, word * 2);
        if (sector == 0) {
            break;
        }
        if (sector >= summary.totalSectors) {
            ReportError(ui, kMsgDiskError, {disk.Path(), word, static_cast<unsigned>(sector)});
            return false;
        }
        if (!disk.ReadSector(sector, fdr, ui)) {
            return false;
        }
        CatalogEntry *e = AddEntry(catalog);
        e->pcName = how.pcName;
        if (!DecodeHeader(fdr, std::string(), true, e->ti)) {
            e->ti.kind = kKindUnknown;
        }
        e->ti.fdrSector = sector;
        fillContainer(*e);
    }
    return true;
}

bool ListFloppyImage(Location &location, const std::string &imagePath, uint16_t fdirSector,
                     const std::string &subdirName, bool addParent, Ui &ui)
{
    location.entries.clear();
    location.path = imagePath;
    location.fdirSector = fdirSector;
    location.containerDepth = fdirSector == 1 ? 1 : 2;
    location.subdirName = fdirSector == 1 ? std::string() : subdirName;
    location.innerPath = location.subdirName;
    location.kind = kLocDskImage;

    FloppyImageFile image;
    if (!image.Open(imagePath, false)) {
        ReportError(ui, kMsgCantOpenRead, {imagePath});
        return false;
    }
    FloppyDisk disk(image, 0, imagePath);
    if (!disk.Open(ui)) {
        return false;
    }
    bool pc99 = disk.ImageKind() == 10 || disk.ImageKind() == 11;
    location.kind = pc99 ? kLocPc99Image : kLocDskImage;
    if (disk.Summary().signature != "DSK") {
        // Listed all the same: the rest of the VIB passed for a disk's.
        ReportError(ui, kMsgNoSignature, {imagePath});
    }
    FloppyListing how;
    how.fdirSector = fdirSector;
    how.addParent = addParent;
    how.pcName = fdirSector == 1 ? imagePath : imagePath + "->" + location.subdirName;
    location.totalSectors = disk.Summary().totalSectors;
    return ListFloppyDirectory(disk, how, location.entries, ui);
}

namespace
{

// The file behind a first sector, opened only when the decoder asks for more
// than that sector (a PC99 track image): a folder scan hands every file of
// 256 bytes or more to the recognisers, and nearly none of them needs it.
class OnDemandImage : public ImageAccess
{
public:
    explicit OnDemandImage(const std::string &path) : m_path(path) {}
    bool ReadAt(uint64_t offset, uint8_t *buffer, size_t length) override
    {
        return Opened() && m_image.ReadAt(offset, buffer, length);
    }
    bool WriteAt(uint64_t, const uint8_t *, size_t) override { return false; }
    // The size is asked only of a first sector that passed for a VIB, so a
    // folder of TI files still opens each file once.
    uint64_t Size() const override { return Opened() ? m_image.Size() : 0; }

private:
    bool Opened() const
    {
        if (!m_tried) {
            m_tried = true;
            m_image.Open(m_path, false);
        }
        return m_image.IsOpen();
    }

    std::string m_path;
    mutable FileImage m_image;
    mutable bool m_tried = false;
};

} // namespace

bool RecognizeFloppyImage(const std::string &path, const uint8_t *first256, DiskSummary &summary)
{
    OnDemandImage image(path);
    return DecodeVib(&image, first256, summary) != 0;
}

} // namespace kestrel
