#include "tifs/disk_check/disk_check.h"
#include "tifs/disk_check/check_text.h"
#include "tifs/disk_check/owner_map.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"
#include "tifs/floppy/floppy_geometry.h"
#include "tifs/floppy/pc99_check.h"
#include "tifs/floppy/vib.h"
#include "tifs/ti_file.h"

namespace kestrel
{

namespace
{

constexpr unsigned kIndexWords = 127;

// FDR fields the check needs.
constexpr size_t kFdrReserved = 10; // a word, written as zero
constexpr size_t kFdrFlags = 12;
constexpr size_t kFdrRecordsPerSector = 13;
constexpr size_t kFdrSectors = 14;
constexpr size_t kFdrLevel3 = 18; // little-endian
constexpr size_t kFdrRecordLength = 17;
constexpr uint8_t kFlagProgram = 0x01;
constexpr uint8_t kFlagVariable = 0x80;
constexpr uint8_t kFlagsReserved = 0x64;
constexpr size_t kNameLength = 10;

// Why the 10 name bytes cannot name a TI file or disk, or null when they
// can. A file's name may not be blank; a disk's may (TI software shows it
// as unnamed). Characters that would cut a TI path ('.') or a PC path ('/')
// and bytes no keyboard gives are damage, and so is a blank inside a name.
const char *NameProblem(const uint8_t *name, bool mayBeBlank)
{
    size_t length = kNameLength;
    while (length > 0 && name[length - 1] == ' ') {
        --length;
    }
    if (length == 0) {
        return mayBeBlank ? nullptr : "is blank";
    }
    for (size_t i = 0; i < length; ++i) {
        const uint8_t c = name[i];
        if (c == 0) {
            return "holds a NUL byte";
        }
        if (c < 0x20 || c >= 0x7F) {
            return "holds a control byte";
        }
        if (c == '.') {
            return "holds a \".\"";
        }
        if (c == '/') {
            return "holds a \"/\"";
        }
        if (c == ' ') {
            return "has a blank inside";
        }
    }
    return nullptr;
}

class Checker
{
public:
    Checker(FloppyDisk &disk, Ui &ui, DiskCheckResult &result, unsigned sectorLimit)
        : m_disk(disk), m_ui(ui), m_result(result), m_sectorLimit(sectorLimit)
    {
        m_total = disk.Summary().totalSectors;
        m_auSize = AuSize(m_total);
        m_owners.Reset(m_total);
        m_format.startUnit = ClusterStartUnit(disk.Summary().density);
        m_format.limit = m_total;
    }

    void Run()
    {
        if (m_total < 2) {
            Find(CheckText("The disk says it has %u sectors; a disk needs at least 2", m_total));
            return;
        }
        const bool pc99 = m_disk.ImageKind() == 10 || m_disk.ImageKind() == 11;
        const uint64_t size = m_disk.Image().Size();
        const uint64_t present = size > m_disk.Base() ? (size - m_disk.Base()) / kSectorSize : 0;
        if (m_sectorLimit != 0 && m_total > m_sectorLimit) {
            Find(CheckText("The disk says it has %u sectors, but its volume holds %u", m_total,
                        m_sectorLimit));
        } else if (!pc99 && present < m_total) {
            Find(CheckText("The image holds %llu sectors, but the disk says it has %u",
                        static_cast<unsigned long long>(present), m_total));
        }
        CheckVolumeFields();
        if (pc99) {
            CheckPc99Tracks(m_disk.Image(), m_disk.Summary(), m_result.findings);
        }
        Claim(0, Owner("the volume information block"));
        Claim(1, Owner("the file index"));
        CheckIndex(1, "");
        if (!pc99) {
            for (size_t slot = 0; slot < vib::kSlotCount; ++slot) {
                SubdirSlot s = ReadSubdirSlot(m_disk.Vib(), slot);
                if (!s.used) {
                    continue;
                }
                const auto *raw = reinterpret_cast<const uint8_t *>(s.name.data());
                std::string name = ShownTiName(raw);
                if (const char *problem = NameProblem(raw, false)) {
                    Find(CheckText("Subdirectory slot %zu: the name \"%s\" %s", slot, name.c_str(),
                                problem));
                }
                if (s.fdirSector < 2 || s.fdirSector >= m_total) {
                    Find(CheckText("Subdirectory %s: its file index sector %u is outside the disk",
                                name.c_str(), s.fdirSector));
                    continue;
                }
                ++m_result.directories;
                Claim(s.fdirSector, Owner("the file index of " + name));
                CheckIndex(s.fdirSector, name + ".");
            }
        }
        CheckBitmap();
    }

private:
    void CheckVolumeFields()
    {
        const uint8_t *v = m_disk.Vib();
        if (const char *problem = NameProblem(v + vib::kName, true)) {
            Find(CheckText("The disk name \"%s\" %s", ShownTiName(v + vib::kName).c_str(), problem));
        }
        if (v[vib::kSectorsPerTrack] == 0) {
            Find("The volume information block says 0 sectors per track");
        }
    }

    int Owner(const std::string &name) { return m_owners.Add(name); }

    void Find(const std::string &line) { m_result.findings.push_back(line); }

    // Records that owner uses sector; a second claim is a finding.
    void Claim(uint32_t sector, int owner)
    {
        if (sector >= m_total) {
            return;
        }
        int earlier = OwnerMap::kNobody;
        if (!m_owners.Claim(sector, owner, earlier)) {
            Find(CheckText("Sector %u is claimed by %s and by %s", sector, m_owners.Name(earlier),
                        m_owners.Name(owner)));
        }
    }

    void CheckIndex(uint16_t indexSector, const std::string &prefix)
    {
        uint8_t index[kSectorSize];
        if (!m_disk.ReadSector(indexSector, index, m_ui)) {
            Find(CheckText("The file index in sector %u cannot be read", indexSector));
            return;
        }
        uint8_t previous[10] = {};
        bool havePrevious = false;
        for (unsigned word = 0; word < kIndexWords; ++word) {
            const uint16_t sector = GetWordBE(index, word * 2);
            if (sector == 0) {
                break;
            }
            if (sector < 2 || sector >= m_total) {
                Find(CheckText("File index %u entry %u points to sector %u, outside the disk's "
                            "file area",
                            indexSector, word, sector));
                continue;
            }
            uint8_t fdr[kSectorSize];
            if (!m_disk.ReadSector(sector, fdr, m_ui)) {
                Find(CheckText("The file descriptor in sector %u cannot be read", sector));
                continue;
            }
            if (havePrevious && std::memcmp(previous, fdr, 10) >= 0) {
                Find(CheckText("File index %u entry %u (%s) is out of order after %s", indexSector,
                            word, ShownTiName(fdr).c_str(), ShownTiName(previous).c_str()));
            }
            if (const char *problem = NameProblem(fdr, false)) {
                Find(CheckText("File index %u entry %u: the name \"%s\" %s", indexSector, word,
                            ShownTiName(fdr).c_str(), problem));
            }
            std::memcpy(previous, fdr, 10);
            havePrevious = true;
            CheckFile(sector, fdr, prefix + ShownTiName(fdr));
        }
    }

    void CheckFile(uint16_t fdrSector, const uint8_t *fdr, const std::string &name)
    {
        ++m_result.files;
        const int owner = Owner(name);
        Claim(fdrSector, owner);
        ChainResult chain;
        if (!DecodeDataChain(fdr, m_format, 0, chain)) {
            switch (chain.problem) {
            case ChainProblem::OutsideDisk:
                Find(CheckText("%s: chain entry %u runs outside the disk (sector %llu)", name.c_str(),
                            chain.problemEntry,
                            static_cast<unsigned long long>(chain.problemSector)));
                break;
            case ChainProblem::Overlap:
                Find(CheckText("%s: chain entry %u reuses sectors of an earlier entry (a loop)",
                            name.c_str(), chain.problemEntry));
                break;
            case ChainProblem::Backwards:
                Find(CheckText("%s: chain entry %u runs backwards", name.c_str(), chain.problemEntry));
                break;
            default:
                Find(CheckText("%s: chain entry %u is damaged", name.c_str(), chain.problemEntry));
                break;
            }
        }
        for (const Cluster &c : chain.clusters) {
            for (uint64_t s = c.first; s <= c.last && s < m_total; ++s) {
                Claim(static_cast<uint32_t>(s), owner);
            }
        }
        const unsigned allocated = GetWordBE(fdr, kFdrSectors);
        if (chain.problem == ChainProblem::None && chain.covered != allocated) {
            Find(CheckText("%s: %u sectors allocated, but its chain covers %llu", name.c_str(),
                        allocated, static_cast<unsigned long long>(chain.covered)));
        }
        const uint8_t flags = fdr[kFdrFlags];
        const unsigned level3 = GetWordLE(fdr, kFdrLevel3);
        const unsigned perSector = fdr[kFdrRecordsPerSector];
        const unsigned recordLength = fdr[kFdrRecordLength];
        const unsigned reserved = GetWordBE(fdr, kFdrReserved);
        if (reserved != 0) {
            Find(CheckText("%s: its reserved bytes 10-11 hold >%04X, not zero", name.c_str(),
                        reserved));
        }
        if (flags & kFlagsReserved) {
            Find(CheckText("%s: its status flags >%02X have reserved bits set", name.c_str(), flags));
        }
        if (flags & kFlagProgram) {
            // A memory image has no records: its record fields stay zero, and
            // a value there is a damaged byte.
            if (perSector != 0 || recordLength != 0 || level3 != 0) {
                Find(CheckText("%s: a PROGRAM file with records per sector %u, record length %u "
                            "and record count %u, where all are 0",
                            name.c_str(), perSector, recordLength, level3));
            }
        } else {
            CheckRecordFields(name, flags, recordLength, perSector);
            unsigned needed = 0;
            if (flags & kFlagVariable) {
                needed = level3; // sectors in use
            } else if (perSector != 0) {
                needed = (level3 + perSector - 1) / perSector;
            }
            if (needed > allocated) {
                Find(CheckText("%s: its records need %u sectors, but only %u are allocated",
                            name.c_str(), needed, allocated));
            }
        }
    }

    // Records per sector follow from the record length. Writers differ in
    // how they count a variable record's length byte and the sector's end
    // mark, so any of their sums is sound; 256 records of one byte are
    // stored as 0, as the byte cannot hold 256.
    void CheckRecordFields(const std::string &name, uint8_t flags, unsigned recordLength,
                           unsigned perSector)
    {
        if (recordLength == 0) {
            Find(CheckText("%s: record length 0%s", name.c_str(),
                        perSector == 0 ? " and 0 records per sector" : ""));
            return;
        }
        bool sound = false;
        if (flags & kFlagVariable) {
            sound = perSector == 256 / (recordLength + 1) ||
                    perSector == 255 / (recordLength + 1) || perSector == 254 / recordLength;
        } else {
            sound = perSector == (256 / recordLength) % 256;
        }
        if (!sound) {
            Find(CheckText("%s: %u records per sector cannot go with a record length of %u",
                        name.c_str(), perSector, recordLength));
        }
    }

    void CheckBitmap()
    {
        unsigned aus = (m_total + m_auSize - 1) / m_auSize;
        if (aus > kBitmapAus) {
            aus = kBitmapAus;
        }
        // Runs of the same disagreement make one line.
        int runKind = 0; // 1: set for no file, 2: clear for a used AU
        unsigned runStart = 0;
        auto flush = [&](unsigned end) {
            if (runKind == 0) {
                return;
            }
            Find(BitmapRunText(runStart, end - 1, runKind == 1));
            runKind = 0;
        };
        for (unsigned au = 0; au < aus; ++au) {
            bool used = false;
            for (unsigned s = au * m_auSize; s < (au + 1) * m_auSize && s < m_total; ++s) {
                used = used || m_owners.Used(s);
            }
            if (used) {
                m_result.sectorsInUse += m_auSize;
            }
            const bool marked = IsAuUsed(m_disk.Vib(), au);
            const int kind = marked == used ? 0 : (marked ? 1 : 2);
            if (kind != runKind) {
                flush(au);
                runKind = kind;
                runStart = au;
            }
        }
        flush(aus);
    }

    FloppyDisk &m_disk;
    Ui &m_ui;
    DiskCheckResult &m_result;
    unsigned m_sectorLimit = 0;
    unsigned m_total = 0;
    unsigned m_auSize = 1;
    ChainFormat m_format;
    OwnerMap m_owners;
};

} // namespace

void SummarizeDiskCheck(DiskCheckResult &result)
{
    result.summary = CheckText("%u files, %u subdirectories, %u sectors in use: ", result.files,
                            result.directories, result.sectorsInUse);
    if (result.Clean()) {
        result.summary += "clean";
    } else {
        result.summary +=
            CheckText("%zu problem%s", result.findings.size(), result.findings.size() == 1 ? "" : "s");
    }
}

DiskCheckResult CheckFloppyFileSystem(FloppyDisk &disk, Ui &ui, unsigned sectorLimit)
{
    DiskCheckResult result;
    Checker checker(disk, ui, result, sectorLimit);
    checker.Run();
    SummarizeDiskCheck(result);
    return result;
}

bool CheckDiskImage(const std::string &path, uint64_t base, DiskCheckResult &result, Ui &ui)
{
    result = DiskCheckResult();
    FloppyImageFile image;
    if (!image.Open(path, false)) {
        result.findings.push_back("The image cannot be opened");
        SummarizeDiskCheck(result);
        return false;
    }
    FloppyDisk disk(image, base, path);
    if (!disk.Open(ui) || disk.ImageKind() == 0) {
        result.findings.push_back("The image holds no readable disk");
        SummarizeDiskCheck(result);
        return false;
    }
    result = CheckFloppyFileSystem(disk, ui);
    return true;
}

} // namespace kestrel
