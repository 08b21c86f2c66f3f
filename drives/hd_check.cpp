#include "drives/hd_check.h"
#include "tifs/disk_check/check_text.h"
#include "tifs/disk_check/owner_map.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <set>

#include "drives/hd_binding.h"
#include "tifs/byte_order.h"
#include "tifs/floppy/data_chain.h"

namespace kestrel
{

namespace
{

namespace hdvib
{
constexpr size_t kName = 0;
constexpr size_t kTotalAus = 10;
constexpr size_t kDirMark = 13; // "DIR" in a directory record
constexpr size_t kParameters = 16;
constexpr size_t kFiles = 22;
constexpr size_t kSubdirs = 23;
constexpr size_t kFileIndexAu = 24;
constexpr size_t kParentAu = 26; // directory records only
constexpr size_t kSubdirList = 28;
constexpr unsigned kSubdirMax = 114;
} // namespace hdvib

namespace hdfdr
{
constexpr size_t kSectors = 14;
constexpr size_t kMark = 28; // "FI"
constexpr size_t kAllocatedAus = 34;
constexpr size_t kIndexAu = 36;
} // namespace hdfdr

constexpr uint32_t kSystemSectors = 64;
constexpr uint32_t kBitmapFirst = 1;
constexpr uint32_t kBitmapSectors = 31;
constexpr uint32_t kAusPerBitmapSector = 2048;
constexpr unsigned kIndexWords = 127;
constexpr unsigned kDepthLimit = 32;
constexpr int kRequestSlot = 5; // the slot least likely to hold an open file

// The library finds names by a binary search that ignores letter case, so
// that is the order a list must keep.
int CompareNames(const uint8_t *a, const uint8_t *b)
{
    for (size_t i = 0; i < 10; ++i) {
        int x = a[i] >= 'a' && a[i] <= 'z' ? a[i] - 32 : a[i];
        int y = b[i] >= 'a' && b[i] <= 'z' ? b[i] - 32 : b[i];
        if (x != y) {
            return x - y;
        }
    }
    return 0;
}

class VolumeChecker
{
public:
    VolumeChecker(brackenly::ReadVolumeSectorFn read, DiskCheckResult &result)
        : m_read(read), m_result(result)
    {
        std::memset(&m_request, 0, sizeof m_request);
        m_request.slot = kRequestSlot;
    }

    void Run()
    {
        uint8_t vib[256];
        if (!Read(0, vib)) {
            Find("The volume information block cannot be read");
            return;
        }
        m_totalAus = GetWordBE(vib, hdvib::kTotalAus);
        m_spau = (vib[hdvib::kParameters] >> 4) + 1u;
        m_owners.Reset(m_totalAus);
        if (!ReadBitmap()) {
            return;
        }
        const unsigned rootIndex = GetWordBE(vib, hdvib::kFileIndexAu);
        const int system = Owner("the volume's system area");
        for (uint32_t s = 0; s < kSystemSectors; ++s) {
            if (s / m_spau != rootIndex) {
                Claim(s / m_spau, system);
            }
        }
        m_visited.insert(0);
        CheckDirectory(vib, 0, "", true, 0, 0);
        CheckBitmap();
    }

private:
    bool Read(uint32_t sector, uint8_t *buffer) { return m_read(&m_request, sector, buffer) == 0; }

    bool ReadAu(unsigned au, uint8_t *buffer) { return Read(au * m_spau, buffer); }

    void Find(const std::string &line) { m_result.findings.push_back(line); }

    int Owner(const std::string &name) { return m_owners.Add(name); }

    void Claim(unsigned au, int owner)
    {
        if (au >= m_totalAus) {
            return;
        }
        int earlier = OwnerMap::kNobody;
        if (!m_owners.Claim(au, owner, earlier)) {
            Find(CheckText("AU %u is claimed by %s and by %s", au, m_owners.Name(earlier),
                        m_owners.Name(owner)));
        }
    }

    bool ReadBitmap()
    {
        m_bitmap.assign(kBitmapSectors * 256, 0);
        for (uint32_t s = 0; s < kBitmapSectors; ++s) {
            if (!Read(kBitmapFirst + s, m_bitmap.data() + s * 256)) {
                Find(CheckText("Bitmap sector %u cannot be read", kBitmapFirst + s));
                return false;
            }
        }
        return true;
    }

    bool Marked(unsigned au) const
    {
        const size_t byte = size_t{au / kAusPerBitmapSector} * 256 + (au / 8) % 256;
        return byte < m_bitmap.size() && (m_bitmap[byte] & (0x80 >> (au % 8))) != 0;
    }

    // An AU a record may live in: inside the volume and past the system area.
    bool RecordAu(unsigned au) const { return au != 0 && au < m_totalAus; }

    void CheckDirectory(const uint8_t *record, unsigned recordAu, const std::string &path,
                        bool root, unsigned parentAu, unsigned depth)
    {
        const std::string shown = root ? std::string("the root") : path;
        if (!root) {
            if (std::memcmp(record + hdvib::kDirMark, "DIR", 3) != 0) {
                Find(CheckText("%s: its directory record lacks \"DIR\"", shown.c_str()));
            }
            const unsigned parent = GetWordBE(record, hdvib::kParentAu);
            if (parent != parentAu) {
                Find(CheckText("%s: its directory record names AU %u as parent, not %u", shown.c_str(),
                            parent, parentAu));
            }
        }
        const unsigned indexAu = GetWordBE(record, hdvib::kFileIndexAu);
        const unsigned files = record[hdvib::kFiles];
        const unsigned subdirs = record[hdvib::kSubdirs];
        if (!RecordAu(indexAu)) {
            Find(
                CheckText("%s: its file index AU %u lies outside the volume", shown.c_str(), indexAu));
        } else {
            Claim(indexAu, Owner("the file index of " + shown));
            CheckFileIndex(indexAu, files, path, shown);
        }
        if (subdirs > hdvib::kSubdirMax) {
            Find(CheckText("%s: it says it has %u subdirectories; a directory holds at most %u",
                        shown.c_str(), subdirs, hdvib::kSubdirMax));
        }
        uint8_t previous[10] = {};
        for (unsigned i = 0; i < subdirs && i < hdvib::kSubdirMax; ++i) {
            const unsigned au = GetWordBE(record, hdvib::kSubdirList + 2 * i);
            if (!RecordAu(au)) {
                Find(CheckText("%s: subdirectory %u points to AU %u, outside the volume",
                            shown.c_str(), i, au));
                continue;
            }
            if (!m_visited.insert(au).second) {
                Find(CheckText("%s: subdirectory %u points to AU %u, a directory already seen",
                            shown.c_str(), i, au));
                continue;
            }
            uint8_t ddr[256];
            if (!ReadAu(au, ddr)) {
                Find(CheckText("%s: the directory record in AU %u cannot be read", shown.c_str(), au));
                continue;
            }
            const std::string name = path + ShownTiName(ddr);
            if (i > 0 && CompareNames(previous, ddr) >= 0) {
                Find(CheckText("%s: subdirectory %s is out of order after %s", shown.c_str(),
                            ShownTiName(ddr).c_str(), ShownTiName(previous).c_str()));
            }
            std::memcpy(previous, ddr, 10);
            ++m_result.directories;
            Claim(au, Owner("the directory record of " + name));
            if (depth + 1 >= kDepthLimit) {
                Find(CheckText("%s: directories nest deeper than %u", name.c_str(), kDepthLimit));
                continue;
            }
            CheckDirectory(ddr, au, name + ".", false, recordAu, depth + 1);
        }
    }

    void CheckFileIndex(unsigned indexAu, unsigned files, const std::string &path,
                        const std::string &shown)
    {
        uint8_t index[256];
        if (!ReadAu(indexAu, index)) {
            Find(CheckText("%s: its file index in AU %u cannot be read", shown.c_str(), indexAu));
            return;
        }
        unsigned listed = 0;
        uint8_t previous[10] = {};
        for (unsigned word = 0; word < kIndexWords && word < files; ++word) {
            const unsigned au = GetWordBE(index, word * 2);
            if (au == 0) {
                break;
            }
            ++listed;
            if (!RecordAu(au)) {
                Find(CheckText("%s: file index entry %u points to AU %u, outside the volume",
                            shown.c_str(), word, au));
                continue;
            }
            uint8_t fdr[256];
            if (!ReadAu(au, fdr)) {
                Find(CheckText("%s: the file descriptor in AU %u cannot be read", shown.c_str(), au));
                continue;
            }
            if (listed > 1 && CompareNames(previous, fdr) >= 0) {
                Find(CheckText("%s: file %s is out of order after %s", shown.c_str(),
                            ShownTiName(fdr).c_str(), ShownTiName(previous).c_str()));
            }
            std::memcpy(previous, fdr, 10);
            CheckFile(au, fdr, indexAu, path + ShownTiName(fdr));
        }
        if (listed != files) {
            Find(CheckText("%s: its record says %u files, its file index lists %u", shown.c_str(),
                        files, listed));
        }
    }

    void CheckFile(unsigned fdrAu, const uint8_t *fdr, unsigned indexAu, const std::string &name)
    {
        ++m_result.files;
        const int owner = Owner(name);
        Claim(fdrAu, owner);
        if (std::memcmp(fdr + hdfdr::kMark, "FI", 2) != 0) {
            Find(CheckText("%s: its file descriptor lacks \"FI\"", name.c_str()));
        }
        const unsigned link = GetWordBE(fdr, hdfdr::kIndexAu);
        if (link != indexAu) {
            Find(CheckText("%s: its file descriptor names AU %u as its file index, not %u",
                        name.c_str(), link, indexAu));
        }
        ChainFormat format;
        format.hardDisk = true;
        format.sectorsPerAu = m_spau;
        format.limit = uint64_t{m_totalAus} * m_spau;
        ChainResult chain;
        if (!DecodeDataChain(fdr, format, 0, chain)) {
            switch (chain.problem) {
            case ChainProblem::OutsideDisk:
                Find(CheckText("%s: chain entry %u runs outside the volume", name.c_str(),
                            chain.problemEntry));
                break;
            case ChainProblem::Overlap:
                Find(CheckText("%s: chain entry %u reuses AUs of an earlier entry (a loop)",
                            name.c_str(), chain.problemEntry));
                break;
            default:
                Find(CheckText("%s: chain entry %u runs backwards", name.c_str(), chain.problemEntry));
                break;
            }
        }
        uint64_t aus = 0;
        for (const Cluster &c : chain.clusters) {
            for (uint64_t s = c.first; s <= c.last; s += m_spau) {
                Claim(static_cast<unsigned>(s / m_spau), owner);
                ++aus;
            }
        }
        if (chain.problem != ChainProblem::None) {
            return;
        }
        const unsigned allocatedAus = GetWordBE(fdr, hdfdr::kAllocatedAus);
        if (allocatedAus != aus) {
            Find(CheckText("%s: %u AUs allocated, but its chain holds %llu", name.c_str(),
                        allocatedAus, static_cast<unsigned long long>(aus)));
        }
        const unsigned sectors = GetWordBE(fdr, hdfdr::kSectors);
        if (sectors > aus * m_spau) {
            Find(CheckText("%s: %u sectors, but its chain holds only %llu", name.c_str(), sectors,
                        static_cast<unsigned long long>(aus * m_spau)));
        }
    }

    void CheckBitmap()
    {
        int runKind = 0; // 1: set for no file, 2: clear for a used AU
        unsigned runStart = 0;
        auto flush = [&](unsigned end) {
            if (runKind == 0) {
                return;
            }
            Find(BitmapRunText(runStart, end - 1, runKind == 1));
            runKind = 0;
        };
        for (unsigned au = 0; au < m_totalAus; ++au) {
            const bool used = m_owners.Used(au);
            if (used) {
                m_result.sectorsInUse += m_spau;
            }
            const bool marked = Marked(au);
            const int kind = marked == used ? 0 : (marked ? 1 : 2);
            if (kind != runKind) {
                flush(au);
                runKind = kind;
                runStart = au;
            }
        }
        flush(m_totalAus);
    }

    brackenly::ReadVolumeSectorFn m_read;
    DiskCheckResult &m_result;
    brackenly::FileRequest m_request;
    unsigned m_totalAus = 0;
    unsigned m_spau = 1;
    std::vector<uint8_t> m_bitmap;
    OwnerMap m_owners;
    std::set<unsigned> m_visited;
};

} // namespace

bool CheckHdImage(const std::string &path, std::vector<HdVolumeCheck> &volumes, Ui &ui)
{
    volumes.clear();
    if (!BindHdLibrary(ui)) {
        return false;
    }
    HdBinding &b = TheHdBinding();
    auto read = reinterpret_cast<brackenly::ReadVolumeSectorFn>(
        b.library.Ordinal(brackenly::kOrdReadVolumeSector));
    if (read == nullptr) {
        return false;
    }
    // The library keeps one image open; give it this one afresh, so that it
    // reads the volumes as they are on the file now.
    SetCachedHdImagePath(path);
    if (b.openImage(path.c_str()) != 0) {
        SetCachedHdImagePath(std::string());
        return false;
    }
    for (int32_t index = 0; index < 4; ++index) {
        const int32_t answer = b.selectVolume(index);
        if (answer == -1) {
            break;
        }
        HdVolumeCheck check;
        check.volume = static_cast<unsigned>(index + 1);
        if (answer == 0) {
            check.checked = true;
            VolumeChecker(read, check.result).Run();
            SummarizeDiskCheck(check.result);
        }
        volumes.push_back(std::move(check));
    }
    b.selectVolume(0);
    return !volumes.empty();
}

} // namespace kestrel
