#include "tifs/disk_check/disk_repair.h"
#include "tifs/disk_check/check_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/pc99.h"
#include "tifs/floppy/pc99_sector_write.h"
#include "tifs/floppy/vib.h"
#include "tifs/messages.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgCantOpenReadWrite = 3;
constexpr int kMsgCantWriteSector = 7;
constexpr int kMsgBackupFailed = 122;
constexpr int kMsgBackupExists = 123;

constexpr unsigned kIndexWords = 127;
constexpr size_t kFdrSectors = 14;
constexpr size_t kFdrFlags = 12;
constexpr size_t kFdrRecordsPerSector = 13;
constexpr size_t kFdrEofOffset = 16;
constexpr size_t kFdrRecordLength = 17;
constexpr size_t kFdrLevel3 = 18; // little-endian
constexpr size_t kFdrChain = 28;
constexpr size_t kChainBytes = kMaxClusters * 3;
constexpr uint8_t kFlagProgram = 0x01;
constexpr uint8_t kFlagVariable = 0x80;
constexpr int kNobody = -1;
constexpr int kSystem = -2;

using Sector = std::array<uint8_t, kSectorSize>;

// A sector of one byte value throughout (never written, or formatted) holds
// no FDR, whatever an index says.
bool HoldsNoFdr(const Sector &s)
{
    return std::all_of(s.begin(), s.end(), [&](uint8_t b) { return b == s[0]; });
}

struct File {
    unsigned directory = 0; // index into the planner's directories
    uint32_t fdrSector = 0;
    Sector fdr{};
    Sector original{};
    std::string name;
    std::vector<uint32_t> sectors; // file-relative order
    bool chainChanged = false;
};

struct Directory {
    uint32_t indexSector = 1;
    std::string prefix;
    Sector index{};
    std::vector<size_t> files; // into the planner's files, in name order
    unsigned listed = 0;       // words before the end of the original list
    bool changed = false;
};

class Planner
{
public:
    Planner(FloppyDisk &disk, Ui &ui, unsigned sectorLimit, DiskRepairPlan &plan)
        : m_disk(disk), m_ui(ui), m_plan(plan)
    {
        m_total = disk.Summary().totalSectors;
        m_limit = m_total;
        if (sectorLimit != 0 && m_limit > sectorLimit) {
            m_limit = sectorLimit;
        }
        const bool pc99 = Pc99GeometryFor(disk.ImageKind()) != nullptr;
        if (!pc99) {
            const uint64_t size = disk.Image().Size();
            const uint64_t present = size > disk.Base() ? (size - disk.Base()) / kSectorSize : 0;
            if (present < m_limit) {
                m_limit = static_cast<uint32_t>(present);
            }
        }
        m_auSize = AuSize(m_total);
        m_startUnit = ClusterStartUnit(disk.Summary().density);
        m_owner.assign(m_limit, kNobody);
        std::memcpy(m_vib.data(), disk.Vib(), kSectorSize);
    }

    void Run()
    {
        if (m_total < 2 || m_limit < 2 || m_total > kBitmapAus * m_auSize) {
            Unrepaired(CheckText("The disk's size (%u sectors) cannot be mended here", m_total));
            return;
        }
        m_owner[0] = kSystem;
        m_owner[1] = kSystem;
        m_directories.push_back(Directory{});
        if (Pc99GeometryFor(m_disk.ImageKind()) == nullptr) {
            for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
                SubdirSlot s = ReadSubdirSlot(m_vib.data(), slot);
                if (!s.used || s.fdirSector < 2 || s.fdirSector >= m_limit ||
                    m_owner[s.fdirSector] != kNobody) {
                    if (s.used) {
                        Unrepaired(CheckText("Subdirectory slot %zu points to sector %u, which "
                                          "cannot be its file index",
                                          slot, s.fdirSector));
                    }
                    continue;
                }
                m_owner[s.fdirSector] = kSystem;
                Directory d;
                d.indexSector = s.fdirSector;
                d.prefix = ShownTiName(reinterpret_cast<const uint8_t *>(s.name.data())) + ".";
                m_directories.push_back(d);
            }
        }
        for (size_t d = 0; d < m_directories.size(); ++d) {
            ReadIndex(d);
        }
        for (size_t f = 0; f < m_files.size(); ++f) {
            MendChain(m_files[f]);
        }
        // Every file takes what nobody held before any copy is placed, so
        // that a copy never lands on a later file's sector.
        std::vector<std::vector<size_t>> shared(m_files.size());
        for (size_t f = 0; f < m_files.size(); ++f) {
            shared[f] = Claim(f);
        }
        for (size_t f = 0; f < m_files.size(); ++f) {
            Copy(f, shared[f]);
        }
        for (File &file : m_files) {
            MendSizes(file);
            if (file.fdr != file.original) {
                m_plan.sectors[{DiskRepairPlan::kFdr, file.fdrSector}] = file.fdr;
            }
        }
        for (Directory &d : m_directories) {
            WriteIndex(d);
        }
        RebuildBitmap();
    }

private:
    void Change(const std::string &line) { m_plan.changes.push_back(line); }
    void Unrepaired(const std::string &line) { m_plan.unrepaired.push_back(line); }

    bool Read(uint32_t sector, Sector &s) { return m_disk.ReadSector(sector, s.data(), m_ui); }

    void ReadIndex(size_t which)
    {
        Directory &d = m_directories[which];
        if (!Read(d.indexSector, d.index)) {
            Unrepaired(CheckText("The file index in sector %u cannot be read", d.indexSector));
            return;
        }
        std::vector<size_t> kept;
        for (unsigned word = 0; word < kIndexWords; ++word) {
            const uint16_t sector = GetWordBE(d.index.data(), word * 2);
            if (sector == 0) {
                break;
            }
            d.listed = word + 1;
            const char *why = nullptr;
            Sector fdr{};
            if (sector < 2 || sector >= m_limit) {
                why = "outside the disk's file area";
            } else if (m_owner[sector] == kSystem) {
                why = "at a system sector";
            } else if (m_seenFdrs.count(sector) != 0) {
                why = "at an FDR listed before";
            } else if (!Read(sector, fdr)) {
                why = "at a sector that cannot be read";
            } else if (HoldsNoFdr(fdr)) {
                why = "at no FDR";
            }
            if (why != nullptr) {
                Change(CheckText("File index %u entry %u (sector %u) was dropped: it pointed %s",
                              d.indexSector, word, sector, why));
                d.changed = true;
                continue;
            }
            m_seenFdrs.insert(sector);
            File file;
            file.directory = static_cast<unsigned>(which);
            file.fdrSector = sector;
            file.fdr = fdr;
            file.original = fdr;
            file.name = d.prefix + ShownTiName(fdr.data());
            kept.push_back(m_files.size());
            m_files.push_back(std::move(file));
        }
        std::vector<size_t> sorted = kept;
        std::stable_sort(sorted.begin(), sorted.end(), [&](size_t a, size_t b) {
            return std::memcmp(m_files[a].fdr.data(), m_files[b].fdr.data(), 10) < 0;
        });
        if (sorted != kept) {
            Change(CheckText("File index %u was put in name order", d.indexSector));
            d.changed = true;
        }
        d.files = sorted;
        // FDR sectors belong to their files before any data does.
        for (size_t f : d.files) {
            m_owner[m_files[f].fdrSector] = static_cast<int>(f);
        }
    }

    // The readable part of the chain, no longer than the file's size.
    void MendChain(File &file)
    {
        ChainFormat format;
        format.startUnit = m_startUnit;
        format.limit = m_limit;
        ChainResult chain;
        const bool sound = DecodeDataChain(file.fdr.data(), format, 0, chain);
        for (const Cluster &c : chain.clusters) {
            for (uint64_t s = c.first; s <= c.last; ++s) {
                file.sectors.push_back(static_cast<uint32_t>(s));
            }
        }
        const unsigned size = GetWordBE(file.fdr.data(), kFdrSectors);
        if (!sound) {
            Change(CheckText("%s: its chain was cut to the %zu sectors before its damaged entry %u",
                          file.name.c_str(), file.sectors.size(), chain.problemEntry));
            file.chainChanged = true;
        }
        if (file.sectors.size() > size) {
            Change(CheckText("%s: %zu chained sectors beyond its %u were released", file.name.c_str(),
                          file.sectors.size() - size, size));
            file.sectors.resize(size);
            file.chainChanged = true;
        }
    }

    bool AllocateSector(uint32_t &sector)
    {
        const unsigned aus = m_limit / m_auSize;
        const unsigned firstData = std::min(FirstDataAu(m_total), aus);
        for (unsigned pass = 0; pass < 2; ++pass) {
            const unsigned from = pass == 0 ? firstData : FirstFdrAu(m_auSize);
            const unsigned to = pass == 0 ? aus : firstData;
            for (unsigned au = from; au < to; ++au) {
                bool free = true;
                for (unsigned s = au * m_auSize; s < (au + 1) * m_auSize; ++s) {
                    free = free && m_owner[s] == kNobody;
                }
                if (free) {
                    sector = au * m_auSize;
                    return true;
                }
            }
        }
        return false;
    }

    // Takes the file's sectors that nobody holds yet; returns the positions
    // of the others, which the file gets copies of.
    std::vector<size_t> Claim(size_t f)
    {
        File &file = m_files[f];
        std::vector<size_t> shared;
        for (size_t i = 0; i < file.sectors.size(); ++i) {
            int &owner = m_owner[file.sectors[i]];
            if (owner == kNobody || owner == static_cast<int>(f)) {
                owner = static_cast<int>(f);
            } else {
                shared.push_back(i);
            }
        }
        return shared;
    }

    void Copy(size_t f, const std::vector<size_t> &shared)
    {
        File &file = m_files[f];
        if (shared.empty()) {
            return;
        }
        if (m_startUnit != 1) {
            Unrepaired(CheckText("%s: %zu sectors are also used elsewhere; copies on this density "
                              "are not made here",
                              file.name.c_str(), shared.size()));
            return;
        }
        std::vector<uint32_t> replaced = file.sectors;
        std::vector<uint32_t> taken;
        for (size_t i : shared) {
            uint32_t fresh = 0;
            if (!AllocateSector(fresh)) {
                for (uint32_t s : taken) {
                    m_owner[s] = kNobody;
                }
                Unrepaired(CheckText("%s: %zu sectors are also used elsewhere, and the disk has "
                                  "no room for copies of its own",
                                  file.name.c_str(), shared.size()));
                return;
            }
            // The whole AU becomes the file's; only its first sector holds a copy.
            for (unsigned s = fresh; s < fresh + m_auSize; ++s) {
                m_owner[s] = static_cast<int>(f);
                taken.push_back(s);
            }
            replaced[i] = fresh;
        }
        if (CountRuns(replaced) > kMaxClusters) {
            for (uint32_t s : taken) {
                m_owner[s] = kNobody;
            }
            Unrepaired(CheckText("%s: its copies would need more than %u chain entries",
                              file.name.c_str(), kMaxClusters));
            return;
        }
        for (size_t i : shared) {
            Sector data{};
            if (!Read(file.sectors[i], data)) {
                Unrepaired(CheckText("%s: sector %u cannot be read to copy it", file.name.c_str(),
                                  file.sectors[i]));
                return;
            }
            m_plan.sectors[{DiskRepairPlan::kData, replaced[i]}] = data;
            Change(CheckText("%s: sector %u, also used elsewhere, was copied to sector %u",
                          file.name.c_str(), file.sectors[i], replaced[i]));
        }
        file.sectors = replaced;
        file.chainChanged = true;
    }

    static size_t CountRuns(const std::vector<uint32_t> &sectors)
    {
        size_t runs = 0;
        for (size_t i = 0; i < sectors.size(); ++i) {
            runs += (i == 0 || sectors[i] != sectors[i - 1] + 1) ? 1 : 0;
        }
        return runs;
    }

    void MendSizes(File &file)
    {
        uint8_t *fdr = file.fdr.data();
        const unsigned size = static_cast<unsigned>(file.sectors.size());
        if (file.chainChanged) {
            std::memset(fdr + kFdrChain, 0, kChainBytes);
            unsigned entry = 0;
            for (size_t i = 0; i < file.sectors.size(); ++i) {
                size_t j = i;
                while (j + 1 < file.sectors.size() && file.sectors[j + 1] == file.sectors[j] + 1) {
                    ++j;
                }
                PutClusterEntry(fdr, entry++, file.sectors[i] / m_startUnit,
                                static_cast<unsigned>(j));
                i = j;
            }
        }
        const unsigned stated = GetWordBE(fdr, kFdrSectors);
        if (stated != size) {
            Change(CheckText("%s: its size was set from %u to the %u sectors it has",
                          file.name.c_str(), stated, size));
            PutWordBE(fdr, kFdrSectors, static_cast<uint16_t>(size));
            if ((fdr[kFdrFlags] & kFlagProgram) && size < stated) {
                fdr[kFdrEofOffset] = 0; // its last sector now is a whole one
            }
        }
        if (fdr[kFdrFlags] & kFlagProgram) {
            return;
        }
        const unsigned level3 = GetWordLE(fdr, kFdrLevel3);
        unsigned most = size; // variable records: the count is of sectors
        if ((fdr[kFdrFlags] & kFlagVariable) == 0) {
            const unsigned length = fdr[kFdrRecordLength];
            unsigned perSector = fdr[kFdrRecordsPerSector];
            if (perSector == 0 && length == 1) {
                perSector = 256;
            }
            if (perSector == 0) {
                return;
            }
            most = size * perSector;
        }
        if (level3 > most) {
            Change(CheckText("%s: its record count was set from %u to the %u its sectors hold",
                          file.name.c_str(), level3, most));
            PutWordLE(fdr, kFdrLevel3, static_cast<uint16_t>(std::min(most, 0xFFFFu)));
        }
    }

    void WriteIndex(Directory &d)
    {
        if (!d.changed) {
            return;
        }
        // Only the list itself is rewritten; whatever lies after its end
        // stays as it was.
        Sector index = d.index;
        for (unsigned w = 0; w < d.listed; ++w) {
            PutWordBE(index.data(), w * 2, 0);
        }
        for (size_t i = 0; i < d.files.size(); ++i) {
            PutWordBE(index.data(), i * 2, static_cast<uint16_t>(m_files[d.files[i]].fdrSector));
        }
        if (index != d.index) {
            m_plan.sectors[{DiskRepairPlan::kIndex, d.indexSector}] = index;
        }
    }

    void RebuildBitmap()
    {
        Sector vibSector = m_vib;
        const unsigned aus = (m_total + m_auSize - 1) / m_auSize;
        unsigned marked = 0, cleared = 0;
        for (unsigned au = 0; au < aus && au < kBitmapAus; ++au) {
            bool used = false;
            for (unsigned s = au * m_auSize; s < (au + 1) * m_auSize; ++s) {
                // Sectors past the image's end cannot be given out: they stay used.
                used = used || s >= m_limit || m_owner[s] != kNobody;
            }
            if (used != IsAuUsed(vibSector.data(), au)) {
                MarkAu(vibSector.data(), au, used);
                ++(used ? marked : cleared);
            }
        }
        if (marked + cleared != 0) {
            Change(CheckText("The bitmap was rebuilt: %u AUs marked used, %u marked free", marked,
                          cleared));
            m_plan.sectors[{DiskRepairPlan::kVib, 0}] = vibSector;
        }
    }

    FloppyDisk &m_disk;
    Ui &m_ui;
    DiskRepairPlan &m_plan;
    uint32_t m_total = 0;
    uint32_t m_limit = 0;
    unsigned m_auSize = 1;
    unsigned m_startUnit = 1;
    Sector m_vib{};
    std::vector<int> m_owner;
    std::vector<Directory> m_directories;
    std::vector<File> m_files;
    std::set<uint32_t> m_seenFdrs;
};

} // namespace

bool WriteFloppySector(FloppyDisk &disk, uint32_t sector, const uint8_t *data, Ui &ui)
{
    if (Pc99GeometryFor(disk.ImageKind()) != nullptr) {
        return WritePc99Sector(disk.Image(), disk.Summary(), sector, data, ui, disk.Path());
    }
    return WriteDiskSector(disk.Image(), disk.Base(), sector, data, ui, disk.Path());
}

DiskRepairPlan PlanFloppyRepair(FloppyDisk &disk, Ui &ui, unsigned sectorLimit)
{
    DiskRepairPlan plan;
    Planner(disk, ui, sectorLimit, plan).Run();
    return plan;
}

bool ApplyFloppyRepair(FloppyDisk &disk, const DiskRepairPlan &plan, Ui &ui)
{
    for (const auto &[where, bytes] : plan.sectors) {
        if (!WriteFloppySector(disk, where.second, bytes.data(), ui)) {
            return false;
        }
    }
    return true;
}

std::string RepairBackupPath(const std::string &path, const RepairOptions &options)
{
    return options.backupPath.empty() ? path + ".bak" : options.backupPath;
}

bool RepairDiskImage(const std::string &path, const RepairOptions &options, RepairReport &report,
                     Ui &ui)
{
    report = RepairReport();
    {
        FloppyImageFile image;
        if (!image.Open(path, false)) {
            ReportError(ui, kMsgCantOpenRead, {path});
            return false;
        }
        FloppyDisk disk(image, 0, path);
        if (!disk.Open(ui)) {
            return false;
        }
        DiskRepairPlan plan = PlanFloppyRepair(disk, ui);
        report.unrepaired = plan.unrepaired;
        if (plan.Empty()) {
            report.changes = plan.changes;
            return true;
        }
    }
    if (options.backup) {
        const std::string backup = RepairBackupPath(path, options);
        if (!BackUpImage(path, backup, options.replaceBackup, ui)) {
            return false;
        }
        report.backupPath = backup;
    }
    FloppyImageFile image;
    if (!image.Open(path, true)) {
        ReportError(ui, kMsgCantOpenReadWrite, {path});
        return false;
    }
    FloppyDisk disk(image, 0, path);
    if (!disk.Open(ui)) {
        return false;
    }
    DiskRepairPlan plan = PlanFloppyRepair(disk, ui);
    report.changes = plan.changes;
    report.unrepaired = plan.unrepaired;
    report.wrote = true;
    const bool written = ApplyFloppyRepair(disk, plan, ui);
    if (!image.Flush()) {
        ReportError(ui, kMsgCantWriteSector, {0u, path});
        return false;
    }
    return written;
}

bool BackUpImage(const std::string &path, const std::string &backup, bool replace, Ui &ui)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!replace && fs::exists(fs::symlink_status(backup, error))) {
        ReportError(ui, kMsgBackupExists, {backup});
        return false;
    }
    // Written beside the backup's name first, so that a half copy never
    // stands where a whole backup is expected.
    const std::string partial = backup + ".partial";
    fs::remove(partial, error);
    if (!fs::copy_file(path, partial, error) ||
        fs::file_size(partial, error) != fs::file_size(path, error)) {
        fs::remove(partial, error);
        ReportError(ui, kMsgBackupFailed, {backup});
        return false;
    }
    fs::rename(partial, backup, error);
    if (error) {
        fs::remove(partial, error);
        ReportError(ui, kMsgBackupFailed, {backup});
        return false;
    }
    return true;
}

} // namespace kestrel
