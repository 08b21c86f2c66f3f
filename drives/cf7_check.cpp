#include "drives/cf7_check.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "drives/cf7_card.h"
#include "drives/cf7_layout.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/vib.h"

namespace kestrel
{

namespace
{

constexpr size_t kNameEnd = 10;
constexpr size_t kMagicEnd = cf7header::kMagic + 4;
constexpr size_t kMountEnd = cf7header::kMount + mountrecord::kSize;

std::string Line(const char *format, unsigned long long a, unsigned long long b = 0,
                 unsigned long long c = 0)
{
    char text[256];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

bool IsReservedHeaderByte(size_t i)
{
    return !(i < kNameEnd || (i >= cf7header::kMagic && i < kMagicEnd) ||
             (i >= cf7header::kMount && i < kMountEnd));
}

void CheckCardShape(uint64_t fileSize, const uint8_t *header, CardCheckResult &result)
{
    const uint64_t tiBytes = fileSize - kCf7HeaderSize;
    const uint64_t sectors = tiBytes / kCf7TiSector;
    const uint32_t volumes = Cf7VolumeCount(sectors);
    if (tiBytes % kCf7TiSector != 0) {
        result.findings.push_back(
            Line("The card image ends %llu bytes into a TI sector", tiBytes % kCf7TiSector));
    }
    if (volumes == 0) {
        result.findings.push_back(
            Line("The card holds no whole volume: %llu bytes follow its header", tiBytes));
    } else if (sectors % kCf7VolumeSectors != 0) {
        result.findings.push_back(
            Line("The card ends %llu sectors into volume %llu, which is not there whole",
                 sectors % kCf7VolumeSectors, uint64_t{volumes} + 1));
    }
    for (size_t i = 0; i < kCf7HeaderSize; ++i) {
        if (IsReservedHeaderByte(i) && header[i] != 0) {
            result.findings.push_back(Line(
                "Card header byte %llu is >%02llX; a card header keeps it zero", i, header[i]));
        }
    }
    MountRecord mount;
    const uint8_t *record = header + cf7header::kMount;
    if (DecodeMountRecord(record, UINT32_MAX, mount)) {
        for (unsigned d = 0; d < 3; ++d) {
            if (mount.dsk[d] > volumes) {
                result.findings.push_back(
                    Line("The card mounts volume %llu as DSK%llu, but it holds %llu volumes",
                         mount.dsk[d], d + 1, volumes));
            }
        }
    }
}

// Every formatted volume of the open card.
void CheckVolumes(Cf7Card &card, const std::string &path, CardCheckResult &result, Ui &ui)
{
    for (uint32_t volume = 1; volume <= card.VolumeCount(); ++volume) {
        const uint64_t first = Cf7VolumeFirstSector(volume);
        uint8_t vibSector[kSectorSize];
        CardVolumeCheck check;
        check.volume = volume;
        check.pcName = Cf7VolumePcName(volume, card.Physical());
        if (!card.ReadSector(first, vibSector, ui)) {
            check.result.findings.push_back("Its first sector cannot be read");
            SummarizeDiskCheck(check.result);
            result.volumes.push_back(std::move(check));
            continue;
        }
        if (std::memcmp(vibSector + vib::kSignature, "DSK", 3) != 0) {
            continue; // not formatted: nothing to check
        }
        FloppyDisk disk(card.TiBytes(), first * kSectorSize, path);
        if (!disk.Open(ui) || disk.ImageKind() == 0) {
            check.result.findings.push_back("The volume holds no readable disk");
            SummarizeDiskCheck(check.result);
        } else {
            check.result = CheckFloppyFileSystem(disk, ui, kCf7VolumeSectors);
        }
        result.volumes.push_back(std::move(check));
    }
}

} // namespace

bool CardCheckResult::Clean() const
{
    if (!findings.empty()) {
        return false;
    }
    for (const CardVolumeCheck &v : volumes) {
        if (!v.result.Clean()) {
            return false;
        }
    }
    return true;
}

bool IsCardImageFile(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    uint8_t header[kCf7HeaderSize] = {};
    const bool whole = std::fread(header, 1, sizeof header, file) == sizeof header;
    std::fclose(file);
    return whole && IsCf7ImageHeader(header);
}

bool IsCardSectorsFile(const std::string &path)
{
    if (IsCardImageFile(path)) {
        return false;
    }
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    uint64_t size = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        size = static_cast<uint64_t>(ftello(file));
    }
    const uint32_t volumes = Cf7VolumeCount(size / kCf7PhysicalSector);
    bool found = false;
    for (uint32_t volume = 1; volume <= volumes && !found; ++volume) {
        uint8_t physical[kCf7PhysicalSector];
        const off_t at = static_cast<off_t>(Cf7VolumeFirstSector(volume) * kCf7PhysicalSector);
        if (fseeko(file, at, SEEK_SET) != 0 ||
            std::fread(physical, 1, sizeof physical, file) != sizeof physical) {
            break;
        }
        uint8_t ti[kCf7TiSector];
        GatherTiSector(physical, ti);
        found = std::memcmp(ti + vib::kSignature, "DSK", 3) == 0;
    }
    std::fclose(file);
    return found;
}

bool CheckCardSectorsFile(const std::string &path, CardCheckResult &result, Ui &ui)
{
    result = CardCheckResult();
    Cf7Card card;
    if (!card.OpenSectorsFile(path, ui)) {
        result.findings.push_back("The card's sectors cannot be read");
        return false;
    }
    // A card in a drive ends where the medium does; sectors past the last
    // whole volume are no volume, not damage.
    CheckVolumes(card, path, result, ui);
    return true;
}

bool CheckCardImage(const std::string &path, CardCheckResult &result, Ui &ui)
{
    result = CardCheckResult();
    Cf7Card card;
    if (!card.OpenImage(path, false, 1, ui)) {
        result.findings.push_back("The card image cannot be opened or has no card header");
        return false;
    }
    uint8_t header[kCf7HeaderSize];
    if (!card.ReadHeader(header, ui)) {
        result.findings.push_back("The card header cannot be read");
        return false;
    }
    // The card's TI bytes are the file less its header, to the last byte.
    const uint64_t fileSize = kCf7HeaderSize + card.TiBytes().Size();
    CheckCardShape(fileSize, header, result);
    CheckVolumes(card, path, result, ui);
    return true;
}

} // namespace kestrel

namespace kestrel
{

namespace
{

// Plans the repair of each formatted volume of the open card.
bool PlanCard(Cf7Card &card, const std::string &path, std::vector<DiskRepairPlan> &plans,
              std::vector<uint32_t> &volumes, Ui &ui)
{
    for (uint32_t volume = 1; volume <= card.VolumeCount(); ++volume) {
        const uint64_t first = Cf7VolumeFirstSector(volume);
        uint8_t vibSector[kSectorSize];
        if (!card.ReadSector(first, vibSector, ui)) {
            return false;
        }
        if (std::memcmp(vibSector + vib::kSignature, "DSK", 3) != 0) {
            continue;
        }
        FloppyDisk disk(card.TiBytes(), first * kSectorSize, path);
        if (!disk.Open(ui) || disk.ImageKind() == 0) {
            continue;
        }
        plans.push_back(PlanFloppyRepair(disk, ui, kCf7VolumeSectors));
        volumes.push_back(volume);
    }
    return true;
}

void Collect(const std::vector<DiskRepairPlan> &plans, const std::vector<uint32_t> &volumes,
             RepairReport &report)
{
    report.changes.clear();
    report.unrepaired.clear();
    for (size_t i = 0; i < plans.size(); ++i) {
        const std::string prefix = Cf7VolumePcName(volumes[i], false) + ": ";
        for (const std::string &line : plans[i].changes) {
            report.changes.push_back(prefix + line);
        }
        for (const std::string &line : plans[i].unrepaired) {
            report.unrepaired.push_back(prefix + line);
        }
    }
}

} // namespace

bool RepairCardImage(const std::string &path, const RepairOptions &options, RepairReport &report,
                     Ui &ui)
{
    report = RepairReport();
    std::vector<DiskRepairPlan> plans;
    std::vector<uint32_t> volumes;
    {
        Cf7Card card;
        if (!card.OpenImage(path, false, 1, ui) || !PlanCard(card, path, plans, volumes, ui)) {
            return false;
        }
    }
    Collect(plans, volumes, report);
    const bool writes =
        std::any_of(plans.begin(), plans.end(), [](const DiskRepairPlan &p) { return !p.Empty(); });
    if (!writes) {
        return true;
    }
    if (options.backup) {
        const std::string backup = RepairBackupPath(path, options);
        if (!BackUpImage(path, backup, options.replaceBackup, ui)) {
            return false;
        }
        report.backupPath = backup;
    }
    Cf7Card card;
    plans.clear();
    volumes.clear();
    if (!card.OpenImage(path, true, 3, ui) || !PlanCard(card, path, plans, volumes, ui)) {
        return false;
    }
    Collect(plans, volumes, report);
    report.wrote = true;
    bool written = true;
    for (size_t i = 0; i < plans.size() && written; ++i) {
        FloppyDisk disk(card.TiBytes(), Cf7VolumeFirstSector(volumes[i]) * kSectorSize, path);
        written = disk.Open(ui) && ApplyFloppyRepair(disk, plans[i], ui);
    }
    return card.Finish(ui) && written;
}

} // namespace kestrel
