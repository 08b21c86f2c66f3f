// mkdir LOCATION NAME: a new subdirectory in a PC folder, a hard-disk location, or the root
// of a floppy image or of a volume of a CF7A+ card image.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/pc_directory_cli.h"
#include "cli/terminal_ui.h"
#include "drives/dsr_error.h"
#include "drives/hd_file_ops.h"
#include "ops/new_directory.h"
#include "ops/register_all.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "mkdir LOCATION NAME";
constexpr int kMsgCantCreateHere = 44;
constexpr int kMsgCantCreateDirectory = 45;

int RunMkdir(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 2) {
        std::fprintf(stderr, "kestrel-cli: LOCATION and NAME expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    RegisterAllListers();
    Location location;
    if (!ResolveLocationPath(location, context.args[0], ui)) {
        return 1;
    }
    if (location.kind == kLocPcDirectory) {
        return MakeDirectoryInPcDirectory(location.path, context.args[1], ui);
    }
    if (location.kind == kLocDskImage || location.kind == kLocCf7Volume ||
        location.kind == kLocPc99Image) {
        NewDirectoryOptions options;
        options.name = context.args[1];
        bool made = CheckNewDirectory(location, ui) && CreateNewDirectory(location, options, ui);
        return made && ui.ErrorCount() == 0 ? 0 : 1;
    }
    if (location.kind != kLocHdImage && location.kind != kLocHdPartition) {
        ReportError(ui, kMsgCantCreateHere);
        return 1;
    }
    int answer = CreateHdDirectory(ui, location, context.args[1]);
    if (answer == -2) {
        return 1;
    }
    if (answer != 0) {
        ReportDsrError(ui, answer, kMsgCantCreateDirectory, {context.args[1]});
        return 1;
    }
    return ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("mkdir", kUsage, RunMkdir);

} // namespace kestrel::cli
