#include "drives/image_check.h"

#include <cctype>
#include <cstdio>

#include "drives/cf7_check.h"
#include "drives/hd_check.h"
#include "drives/hd_recognizer.h"
#include "tifs/arc/archive_check.h"
#include "tifs/disk_check/disk_check.h"
#include "tifs/floppy/floppy_reader.h"
#include "tifs/floppy/hfe_image.h"

namespace kestrel
{

namespace
{

bool HasDiskExtension(const std::string &path)
{
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find('/', dot) != std::string::npos) {
        return false;
    }
    std::string extension = path.substr(dot + 1);
    for (char &c : extension) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return extension == "dsk" || extension == "pc99" || extension == "hfe";
}

void Add(ImageCheck &check, const std::string &prefix, const std::vector<std::string> &findings,
         const std::string &summary)
{
    for (const std::string &line : findings) {
        check.lines.push_back(prefix + line);
    }
    check.lines.push_back(prefix + summary);
}

} // namespace

ImageCheckKind ImageCheckKindOf(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return ImageCheckKind::None;
    }
    uint8_t first[256] = {};
    const size_t got = std::fread(first, 1, sizeof first, file);
    uint64_t size = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        size = static_cast<uint64_t>(ftello(file));
    }
    std::fclose(file);
    if (got == 0) {
        return ImageCheckKind::None;
    }
    if (IsCardImageFile(path)) {
        return ImageCheckKind::Card;
    }
    DiskSummary summary;
    // An HFE file holds its sector dump behind a header of its own, which the
    // floppy check reads through.
    if (HasHfeSignature(first, got) || RecognizeFloppyImage(path, first, summary)) {
        return ImageCheckKind::Floppy;
    }
    if (IsArchiveFile(path)) {
        return ImageCheckKind::Archive;
    }
    CatalogEntry entry;
    if (RecognizeHdImageFile(path, first, size, entry)) {
        return ImageCheckKind::HardDisk;
    }
    if (IsCardSectorsFile(path)) {
        return ImageCheckKind::CardSectors;
    }
    return HasDiskExtension(path) ? ImageCheckKind::Floppy : ImageCheckKind::None;
}

ImageCheck CheckImageFile(const std::string &path, Ui &ui)
{
    ImageCheck check;
    check.kind = ImageCheckKindOf(path);
    switch (check.kind) {
    case ImageCheckKind::Floppy: {
        DiskCheckResult result;
        const bool opened = CheckDiskImage(path, 0, result, ui);
        Add(check, std::string(), result.findings, result.summary);
        check.clean = opened && result.Clean();
        break;
    }
    case ImageCheckKind::Card:
    case ImageCheckKind::CardSectors: {
        CardCheckResult result;
        const bool read = check.kind == ImageCheckKind::Card
                              ? CheckCardImage(path, result, ui)
                              : CheckCardSectorsFile(path, result, ui);
        if (!read) {
            Add(check, std::string(), result.findings, "the card cannot be checked");
            break;
        }
        check.lines = result.findings;
        for (const CardVolumeCheck &v : result.volumes) {
            Add(check, v.pcName + ": ", v.result.findings, v.result.summary);
        }
        check.clean = result.Clean();
        check.lines.push_back(std::to_string(result.volumes.size()) +
                              " volumes checked: " + (check.clean ? "clean" : "damaged"));
        break;
    }
    case ImageCheckKind::HardDisk: {
        std::vector<HdVolumeCheck> volumes;
        if (!CheckHdImage(path, volumes, ui)) {
            check.lines.push_back(
                "the hard-disk image cannot be checked: the library cannot open it");
            break;
        }
        check.clean = true;
        for (const HdVolumeCheck &v : volumes) {
            const std::string prefix =
                volumes.size() > 1 ? "volume " + std::to_string(v.volume) + ": " : std::string();
            if (!v.checked) {
                check.lines.push_back(prefix + "not initialized: nothing to check");
                continue;
            }
            Add(check, prefix, v.result.findings, v.result.summary);
            check.clean = check.clean && v.result.Clean();
        }
        break;
    }
    case ImageCheckKind::Archive: {
        ArchiveCheckResult result;
        const bool read = CheckArchiveFile(path, result);
        Add(check, std::string(), result.findings, result.summary);
        check.clean = read && result.Clean();
        break;
    }
    case ImageCheckKind::None:
        check.lines.push_back(path + ": not a disk image, card image, hard-disk image or "
                                     "archive that can be checked");
        break;
    }
    return check;
}

bool RepairImageFile(const std::string &path, const RepairOptions &options, RepairReport &report,
                     Ui &ui)
{
    switch (ImageCheckKindOf(path)) {
    case ImageCheckKind::Floppy:
        return RepairDiskImage(path, options, report, ui);
    case ImageCheckKind::Card:
        return RepairCardImage(path, options, report, ui);
    default:
        report = RepairReport();
        return false;
    }
}

} // namespace kestrel
