#include "tifs/floppy/save_as_ti_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "tifs/byte_order.h"
#include "tifs/file_chooser.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/disk_sector_io.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/output_file.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenWrite = 2;
constexpr int kMsgCantReadSector = 6;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgDiskError = 8;
constexpr uint64_t kRunSectors = 64;

bool IsHardDiskContainer(uint16_t kind)
{
    return kind == 12 || kind == 13;
}
bool IsPc99Container(uint16_t kind)
{
    return kind == 10 || kind == 11;
}

// Sector access for the three ways a file can lie in an image.
class SourceSectors
{
public:
    SourceSectors(ImageAccess &image, const CatalogEntry &entry, const std::string &path)
        : m_image(image), m_entry(entry), m_path(path),
          m_disk(image, entry.containerKind == 16 ? entry.baseOffset : 0, path)
    {
    }

    // Reads what the chain needs to know about the disk. A sector dump whose
    // VIB does not decode is still read, bounded by the image's size.
    bool Prepare(Ui &ui, ChainFormat &format)
    {
        if (IsHardDiskContainer(m_entry.containerKind)) {
            format.hardDisk = true;
            format.sectorsPerAu = m_entry.containerWords[3] == 0 ? 1 : m_entry.containerWords[3];
            format.base = m_entry.baseOffset;
            format.limit = m_image.Size() / kSectorSize;
            return true;
        }
        if (IsPc99Container(m_entry.containerKind)) {
            if (!m_disk.Open(ui)) {
                return false;
            }
            m_pc99 = true;
        } else {
            uint8_t first[kSectorSize];
            DiskSummary summary;
            if (ReadDiskSector(m_image, m_disk.Base(), 0, first, ui, std::string()) &&
                DecodeVib(nullptr, first, summary) != 0) {
                m_total = summary.totalSectors;
                m_density = summary.density;
            } else {
                m_density = m_entry.density;
            }
        }
        uint64_t sizeBound =
            m_image.Size() > m_disk.Base() ? (m_image.Size() - m_disk.Base()) / kSectorSize : 0;
        format.startUnit = ClusterStartUnit(m_pc99 ? m_disk.Summary().density : m_density);
        format.limit =
            m_pc99 ? m_disk.Summary().totalSectors : (m_total != 0 ? m_total : sizeBound);
        if (format.limit == 0) {
            format.limit = 1; // nothing but sector 0 may be asked for
        }
        return true;
    }

    uint64_t FdrSector() const
    {
        if (IsHardDiskContainer(m_entry.containerKind)) {
            return uint64_t{m_entry.containerWords[1]} * m_entry.containerWords[3] +
                   m_entry.baseOffset;
        }
        return m_entry.ti.fdrSector;
    }

    // count consecutive sectors from first in one transfer where the image is
    // a sector dump; a PC99 track image, or a run that cannot be read whole,
    // goes sector by sector so that a failure names its sector. got: the
    // sectors read whole before a failure, which still belong to the file.
    bool ReadRun(uint64_t first, size_t count, uint8_t *buffer, Ui &ui, size_t &got)
    {
        got = 0;
        if (!m_pc99) {
            uint64_t base = IsHardDiskContainer(m_entry.containerKind) ? 0 : m_disk.Base();
            if (m_image.ReadAt(base + first * kSectorSize, buffer, count * kSectorSize)) {
                got = count;
                return true;
            }
        }
        for (; got < count; ++got) {
            if (!Read(first + got, buffer + got * kSectorSize, ui,
                      static_cast<unsigned>(first + got))) {
                return false;
            }
        }
        return true;
    }

    bool Read(uint64_t sector, uint8_t *buffer, Ui &ui, unsigned shownSector)
    {
        bool ok = false;
        if (m_pc99) {
            ok = m_disk.ReadSector(static_cast<uint32_t>(sector), buffer, ui);
            return ok; // the sector search reported its own failure
        }
        uint64_t base = IsHardDiskContainer(m_entry.containerKind) ? 0 : m_disk.Base();
        ok = m_image.ReadAt(base + sector * kSectorSize, buffer, kSectorSize);
        if (!ok && !m_image.ReportFault(base + sector * kSectorSize, kSectorSize, ui, m_path)) {
            ReportError(ui, kMsgCantReadSector, {shownSector, m_path});
        }
        return ok;
    }

private:
    ImageAccess &m_image;
    const CatalogEntry &m_entry;
    std::string m_path;
    FloppyDisk m_disk;
    bool m_pc99 = false;
    uint16_t m_total = 0;
    uint16_t m_density = 0;
};

} // namespace

bool SaveEntryAsTiFile(const Location &location, const CatalogEntry &entry,
                       const std::string &target, Ui &ui)
{
    const std::string &imagePath = location.path;
    FloppyImageFile image;
    if (!image.Open(imagePath, false)) {
        ReportError(ui, kMsgCantOpenRead, {imagePath});
        return false;
    }
    SourceSectors source(image, entry, imagePath);
    ChainFormat format;
    if (!source.Prepare(ui, format)) {
        return false;
    }
    uint8_t fdrSector[kSectorSize];
    if (!source.Read(source.FdrSector(), fdrSector, ui, entry.ti.fdrSector)) {
        return false;
    }

    uint8_t header[kHeaderSize];
    std::memcpy(header, fdrSector, fdr::kChain);
    std::memset(header + fdr::kChain, 0, kHeaderSize - fdr::kChain);
    header[fdr::kFlags] &= 0x8B;
    if (header[fdr::kFlags] & kFlagProgram) {
        header[fdr::kRecordLength] = 0;
    }
    if (ProgramSettings().extractTiFiles) {
        MakeTifilesHeaderFromFdr(header);
    }

    uint16_t sectors = GetWordBE(fdrSector, fdr::kSectors);
    ChainResult chain;
    DecodeDataChain(fdrSector, format, sectors, chain);

    OutputFile out(target);
    if (!out.Open()) {
        ReportError(ui, kMsgCantOpenWrite, {target});
        return false;
    }
    if (!out.Write(header, kHeaderSize)) {
        ReportError(ui, kMsgCantWriteSector, {0, target});
        return false;
    }
    // Each cluster moves in pieces of up to kRunSectors sectors: one read and
    // one buffered write per piece rather than per sector.
    std::vector<uint8_t> data(kRunSectors * kSectorSize);
    unsigned written = 0;
    for (const Cluster &cluster : chain.clusters) {
        for (uint64_t s = cluster.first; s <= cluster.last && written < sectors;) {
            size_t count = static_cast<size_t>(
                std::min<uint64_t>({cluster.last - s + 1, sectors - written, kRunSectors}));
            size_t got = 0;
            const bool whole = source.ReadRun(s, count, data.data(), ui, got);
            if (!whole) {
                // What was read before the failure is kept, as a sector-by-sector save keeps it.
                out.Write(data.data(), got * kSectorSize);
                return false;
            }
            if (!out.Write(data.data(), count * kSectorSize)) {
                ReportError(ui, kMsgCantWriteSector, {written + 1, target});
                return false;
            }
            written += static_cast<unsigned>(count);
            s += count;
        }
    }
    if (written < sectors) {
        if (chain.problem == ChainProblem::OutsideDisk) {
            ReportError(ui, kMsgCantReadSector,
                        {static_cast<unsigned>(chain.problemSector), imagePath});
        } else {
            ReportError(ui, kMsgDiskError, {imagePath, chain.problemEntry, written});
        }
        out.Finish(false);
        return false;
    }
    if (!out.Finish(true)) {
        ReportError(ui, kMsgCantWriteSector, {written, target});
        return false;
    }
    return true;
}

bool SaveEntryAsTiFileChoosing(const Location &location, const CatalogEntry &entry, Ui &ui,
                               std::string *chosen)
{
    std::string name = TiNameToPcName(entry.ti.tiName, ProgramSettings().zubCompatible);
    if (ChooseFileWithRemembered(ui, true, "save_as_ti_path", "Save as TI-file", "", "", name) !=
        0) {
        return false;
    }
    if (chosen != nullptr) {
        *chosen = name;
    }
    return SaveEntryAsTiFile(location, entry, name, ui);
}

} // namespace kestrel
