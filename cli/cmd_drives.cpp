// drives: the physical drives that carry a TI hard disk, a CF7A+ card or a
// PC-formatted medium, one line each as the backup dialog lists them.
// KESTREL_DRIVES=a.img:b.cf7 makes image files stand in for drives.
#include <cstdio>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/physical_drives.h"

namespace kestrel::cli
{

namespace
{

int RunDrives(CommandContext &context)
{
    if (!context.args.empty()) {
        std::fprintf(stderr, "kestrel-cli: drives takes no arguments\n");
        return 1;
    }
    std::vector<DriveItem> items = FindPhysicalDrives(kWantHardDisks | kWantCards);
    if (items.empty()) {
        context.ui->ShowWarning("No physical drive with a SCSI, IDE, WDS or CF7A+ image found.");
        return 1;
    }
    for (const DriveItem &item : items) {
        std::printf("%s\n", BackupDriveLine(item).c_str());
    }
    return 0;
}

} // namespace

KESTREL_CLI_COMMAND("drives", "drives", RunDrives);

} // namespace kestrel::cli
