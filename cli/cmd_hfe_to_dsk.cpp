// hfe-to-dsk SRC TARGET: writes the sector dump an HFE track image holds.
#include <cstdio>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "tifs/floppy/hfe_convert.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "hfe-to-dsk SRC TARGET";

int RunHfeToDsk(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 2) {
        std::fprintf(stderr, "kestrel-cli: SRC and TARGET expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    bool ok = ConvertHfeToDsk(context.args[0], context.args[1], ui);
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("hfe-to-dsk", kUsage, RunHfeToDsk);

} // namespace kestrel::cli
