// check [--repair [--no-backup] [--backup FILE]] IMAGE: a check of a DSK or PC99 image, of every
// formatted volume of a CF7A+ card image, of every volume of a hard-disk image, or of an ARC
// archive. One line per finding, then a summary line per disk; the exit status is 0 when all is
// sound, 1 when anything is damaged and 2 when the file is of a kind that cannot be checked. With
// --repair the damage the repair can mend on a DSK or PC99 image or a card's volumes is mended
// after the image was copied to IMAGE.bak (or FILE); the check then runs
// again and its status is the command's.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/image_check.h"
#include "tifs/disk_check/disk_repair.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "check [--repair [--no-backup] [--backup FILE]] IMAGE";
constexpr int kDamaged = 1;
constexpr int kCannotCheck = 2;

int PrintCheck(const ImageCheck &check)
{
    for (const std::string &line : check.lines) {
        std::printf("%s\n", line.c_str());
    }
    if (check.kind == ImageCheckKind::None) {
        return kCannotCheck;
    }
    return check.clean ? 0 : kDamaged;
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
    const int status = PrintCheck(CheckImageFile(path, *context.ui));
    if (!args.repair || status != kDamaged) {
        return status;
    }
    if (!CheckImageFile(path, *context.ui).Repairable()) {
        std::printf("%s: only DSK and PC99 images and card volumes can be repaired\n",
                    path.c_str());
        return kDamaged;
    }
    RepairReport report;
    const bool repaired = RepairImageFile(path, args.options, report, *context.ui);
    PrintRepair(report);
    if (!repaired) {
        return kDamaged;
    }
    std::printf("after the repair:\n");
    return PrintCheck(CheckImageFile(path, *context.ui));
}

} // namespace

KESTREL_CLI_COMMAND("check", kUsage, RunCheck);

} // namespace kestrel::cli
