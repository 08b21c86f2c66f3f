// pc99-to-dsk SRC TARGET: writes a PC99 track image as a sector dump.
#include <cstdio>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "tifs/floppy/pc99.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "pc99-to-dsk SRC TARGET";

int RunPc99ToDsk(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 2) {
        std::fprintf(stderr, "kestrel-cli: SRC and TARGET expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    bool ok = ConvertPc99ToDsk(context.args[0], context.args[1], ui);
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("pc99-to-dsk", kUsage, RunPc99ToDsk);

} // namespace kestrel::cli
