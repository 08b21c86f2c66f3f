// ren IMAGE[/SUBDIR]/OLD NEW: renames a TI file inside a disk image, a hard-disk image or a
// card volume, or an item of a PC folder.
#include <cctype>
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
#include "tifs/ti_header.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "ren IMAGE[/SUBDIR]/OLD NEW";
constexpr int kMsgFileMissing = 35;
constexpr int kMsgInvalidName = 16;

int RunRen(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 2) {
        std::fprintf(stderr, "kestrel-cli: IMAGE/OLD and NEW expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    // PC folders and card volumes go through the pane operations, hard-disk images through
    // the hard-disk library (cli/hd_cli.h).
    if (IsPcDirectoryItem(context.args[0])) {
        return RenameInPcDirectory(context.args[0], context.args[1], ui);
    }
    if (IsCardVolumeItem(context.args[0])) {
        return RenameInCardVolume(context.args[0], context.args[1], ui);
    }
    if (IsHdPath(context.args[0])) {
        return RenameInHd(context.args[0], context.args[1], ui);
    }
    std::string container, leaf;
    Location location;
    FloppyTarget target;
    if (!SplitLeaf(context.args[0], container, leaf)) {
        ReportError(ui, kMsgFileMissing, {context.args[0]});
        return 1;
    }
    if (!ResolveFloppyTarget(container, location, target, ui)) {
        return 1;
    }
    const CatalogEntry *found = FindEntryByName(location, leaf);
    const bool subdirectory = found != nullptr && found->ti.kind == kKindSubdir;
    if (found == nullptr || (!IsTiFileKind(found->ti.kind) && !subdirectory)) {
        ReportError(ui, kMsgFileMissing, {leaf});
        return 1;
    }
    const std::string &newName = context.args[1];
    bool valid = !newName.empty() && newName.size() <= 10;
    std::string name10;
    for (char c : newName) {
        unsigned char u = static_cast<unsigned char>(c);
        valid = valid && u > 0x20 && u < 0x7F && c != '.';
        name10.push_back(static_cast<char>(std::toupper(u)));
    }
    if (!valid) {
        ReportError(ui, kMsgInvalidName, {newName});
        return 1;
    }
    CatalogEntry entry = *found;
    bool renamed = subdirectory ? RenameFloppySubdirectory(target, entry, PadTiName(name10), ui)
                                : RenameFileInImage(target, entry, PadTiName(name10), name10, ui);
    if (!renamed) {
        return 1;
    }
    return ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("ren", kUsage, RunRen);

} // namespace kestrel::cli
