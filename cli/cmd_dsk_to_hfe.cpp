// dsk-to-hfe SRC TARGET: writes a sector dump as an HFE track image.
#include <cstdio>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "tifs/floppy/hfe_convert.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "dsk-to-hfe SRC TARGET";

int RunDskToHfe(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 2) {
        std::fprintf(stderr, "kestrel-cli: SRC and TARGET expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    bool ok = ConvertDskToHfe(context.args[0], context.args[1], ui);
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("dsk-to-hfe", kUsage, RunDskToHfe);

} // namespace kestrel::cli
