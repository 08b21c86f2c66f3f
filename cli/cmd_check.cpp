// check [--repair [--no-backup] [--backup FILE]] IMAGE: a check of a DSK or PC99 image, of every
// formatted volume of a CF7A+ card image, of every volume of a hard-disk image, or of an ARC
// archive. One line per finding, then a summary line per disk; the exit status is 0 when all is
// sound, 1 when anything is damaged and 2 when the file is of a kind that cannot be checked. With
// --repair the damage the repair can mend on a DSK or PC99 image or a card's volumes is mended
// after the image was copied to IMAGE.bak (or FILE); the check then runs
// again and its status is the command's.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/cf7_check.h"
#include "drives/hd_check.h"
#include "drives/hd_recognizer.h"
#include "tifs/arc/archive_check.h"
#include "tifs/disk_check/disk_check.h"
#include "tifs/disk_check/disk_repair.h"
#include "tifs/floppy/floppy_reader.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "check [--repair [--no-backup] [--backup FILE]] IMAGE";
constexpr int kDamaged = 1;
constexpr int kCannotCheck = 2;

void Print(const std::string &prefix, const std::vector<std::string> &findings,
           const std::string &summary)
{
    for (const std::string &line : findings) {
        std::printf("%s%s\n", prefix.c_str(), line.c_str());
    }
    std::printf("%s%s\n", prefix.c_str(), summary.c_str());
}

int CheckCard(const std::string &path, TerminalUi &ui)
{
    CardCheckResult result;
    if (!CheckCardImage(path, result, ui)) {
        Print(std::string(), result.findings, "the card cannot be checked");
        return kDamaged;
    }
    for (const std::string &line : result.findings) {
        std::printf("%s\n", line.c_str());
    }
    for (const CardVolumeCheck &v : result.volumes) {
        Print(v.pcName + ": ", v.result.findings, v.result.summary);
    }
    std::printf("%zu volumes checked: %s\n", result.volumes.size(),
                result.Clean() ? "clean" : "damaged");
    return result.Clean() ? 0 : kDamaged;
}

int CheckHardDisk(const std::string &path, TerminalUi &ui)
{
    std::vector<HdVolumeCheck> volumes;
    if (!CheckHdImage(path, volumes, ui)) {
        std::printf("the hard-disk image cannot be checked: the library cannot open it\n");
        return kDamaged;
    }
    bool damaged = false;
    unsigned checked = 0;
    for (const HdVolumeCheck &v : volumes) {
        const std::string prefix =
            volumes.size() > 1 ? "volume " + std::to_string(v.volume) + ": " : std::string();
        if (!v.checked) {
            std::printf("%snot initialized: nothing to check\n", prefix.c_str());
            continue;
        }
        ++checked;
        Print(prefix, v.result.findings, v.result.summary);
        damaged = damaged || !v.result.Clean();
    }
    if (volumes.size() > 1) {
        std::printf("%u volumes checked: %s\n", checked, damaged ? "damaged" : "clean");
    }
    return damaged ? kDamaged : 0;
}

int CheckArchive(const std::string &path)
{
    ArchiveCheckResult result;
    const bool read = CheckArchiveFile(path, result);
    Print(std::string(), result.findings, result.summary);
    return read && result.Clean() ? 0 : kDamaged;
}

bool ReadFirstSector(const std::string &path, uint8_t *sector, uint64_t &size)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const size_t got = std::fread(sector, 1, 256, file);
    size = 0;
    if (fseeko(file, 0, SEEK_END) == 0) {
        size = static_cast<uint64_t>(ftello(file));
    }
    std::fclose(file);
    if (got < 256) {
        std::fill(sector + got, sector + 256, 0);
    }
    return got > 0;
}

// A file named as a floppy image whose first sector no longer says so.
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
    return extension == "dsk" || extension == "pc99";
}

void PrintRepair(const RepairReport &report)
{
    if (!report.backupPath.empty()) {
        std::printf("backup: %s\n", report.backupPath.c_str());
    }
    for (const std::string &line : report.changes) {
        std::printf("repaired: %s\n", line.c_str());
    }
    for (const std::string &line : report.unrepaired) {
        std::printf("not repaired: %s\n", line.c_str());
    }
    if (!report.wrote) {
        std::printf("nothing written: the repair has nothing it can mend\n");
    }
}

struct CheckArgs {
    bool repair = false;
    RepairOptions options;
    std::string path;
};

bool ParseArgs(const std::vector<std::string> &args, CheckArgs &out)
{
    bool backupOption = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--repair") {
            out.repair = true;
        } else if (a == "--no-backup") {
            out.options.backup = false;
            backupOption = true;
        } else if (a == "--backup" && i + 1 < args.size()) {
            out.options.backupPath = args[++i];
            backupOption = true;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return false;
        } else if (out.path.empty()) {
            out.path = a;
        } else {
            return false;
        }
    }
    const bool conflicting = !out.options.backup && !out.options.backupPath.empty();
    return !out.path.empty() && (out.repair || !backupOption) && !conflicting;
}

int RunCheck(CommandContext &context)
{
    CheckArgs args;
    if (!ParseArgs(context.args, args)) {
        std::fprintf(stderr, "kestrel-cli: IMAGE expected\nusage: kestrel-cli %s\n", kUsage);
        return kDamaged;
    }
    const std::string &path = args.path;
    uint8_t first[256];
    uint64_t size = 0;
    if (!ReadFirstSector(path, first, size)) {
        std::fprintf(stderr, "kestrel-cli: %s: cannot be read\n", path.c_str());
        return kDamaged;
    }
    if (IsCardImageFile(path)) {
        const int status = CheckCard(path, *context.ui);
        if (!args.repair || status == 0) {
            return status;
        }
        RepairReport report;
        const bool repaired = RepairCardImage(path, args.options, report, *context.ui);
        PrintRepair(report);
        if (!repaired) {
            return kDamaged;
        }
        std::printf("after the repair:\n");
        return CheckCard(path, *context.ui);
    }
    DiskSummary summary;
    if (RecognizeFloppyImage(path, first, summary)) {
        DiskCheckResult result;
        bool opened = CheckDiskImage(path, 0, result, *context.ui);
        Print(std::string(), result.findings, result.summary);
        if (!args.repair || !opened || result.Clean()) {
            return opened && result.Clean() ? 0 : kDamaged;
        }
        RepairReport report;
        const bool repaired = RepairDiskImage(path, args.options, report, *context.ui);
        PrintRepair(report);
        if (!repaired) {
            return kDamaged;
        }
        std::printf("after the repair:\n");
        opened = CheckDiskImage(path, 0, result, *context.ui);
        Print(std::string(), result.findings, result.summary);
        return opened && result.Clean() ? 0 : kDamaged;
    }
    if (args.repair) {
        std::printf("%s: only DSK and PC99 images and card volumes can be repaired\n",
                    path.c_str());
        return kCannotCheck;
    }
    if (IsArchiveFile(path)) {
        return CheckArchive(path);
    }
    CatalogEntry entry;
    if (RecognizeHdImageFile(path, first, size, entry)) {
        return CheckHardDisk(path, *context.ui);
    }
    if (HasDiskExtension(path)) {
        // Named as a disk but with no VIB to know it by: damage, not another kind.
        DiskCheckResult result;
        CheckDiskImage(path, 0, result, *context.ui);
        Print(std::string(), result.findings, result.summary);
        return kDamaged;
    }
    std::printf("%s: not a disk image, card image, hard-disk image or archive that can be "
                "checked\n",
                path.c_str());
    return kCannotCheck;
}

} // namespace

KESTREL_CLI_COMMAND("check", kUsage, RunCheck);

} // namespace kestrel::cli
