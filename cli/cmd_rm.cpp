// rm IMAGE[/SUBDIR]/FILE...: deletes TI files from a disk image (and empty subdirectories from
// its root), a hard-disk image, a card volume or a PC folder.
#include <cstdio>
#include <string>

#include "cli/card_volume_cli.h"
#include "cli/command.h"
#include "cli/floppy_cli.h"
#include "cli/hd_cli.h"
#include "cli/pc_directory_cli.h"
#include "cli/terminal_ui.h"
#include "tifs/catalog.h"
#include "tifs/floppy/floppy_subdirectory.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "rm IMAGE[/SUBDIR]/FILE...";
constexpr int kMsgFileMissing = 35;

int RunRm(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.empty()) {
        std::fprintf(stderr, "kestrel-cli: IMAGE/FILE expected\nusage: kestrel-cli %s\n", kUsage);
        return 1;
    }
    bool failed = false;
    for (const std::string &arg : context.args) {
        // PC folders and card volumes go through the pane operations, hard-disk images through
        // the hard-disk library (cli/hd_cli.h).
        if (IsPcDirectoryItem(arg)) {
            failed = RemoveFromPcDirectory(arg, ui) != 0 || failed;
            continue;
        }
        if (IsCardVolumeItem(arg)) {
            failed = RemoveFromCardVolume(arg, ui) != 0 || failed;
            continue;
        }
        if (IsHdPath(arg)) {
            failed = !RemoveFromHd(arg, ui) || failed;
            continue;
        }
        std::string container, leaf;
        Location location;
        FloppyTarget target;
        if (!SplitLeaf(arg, container, leaf)) {
            ReportError(ui, kMsgFileMissing, {arg});
            failed = true;
            continue;
        }
        if (!ResolveFloppyTarget(container, location, target, ui)) {
            failed = true;
            continue;
        }
        const CatalogEntry *entry = FindEntryByName(location, leaf);
        const bool subdirectory = entry != nullptr && entry->ti.kind == kKindSubdir;
        if (entry == nullptr || (!IsTiFileKind(entry->ti.kind) && !subdirectory)) {
            ReportError(ui, kMsgFileMissing, {leaf});
            failed = true;
            continue;
        }
        if (subdirectory ? !DeleteFloppySubdirectory(target, *entry, ui)
                         : !DeleteFileFromImage(target, *entry, ui)) {
            failed = true;
        }
    }
    return failed || ui.ErrorCount() != 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("rm", kUsage, RunRm);

} // namespace kestrel::cli
