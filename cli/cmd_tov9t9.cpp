// tov9t9 FILE... and totifiles FILE...: rewrite the PC header of TI files
// in a directory in place.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/header_conversion.h"

namespace kestrel::cli
{

int RunHeaderConversion(CommandContext &context, HeaderTarget target, const char *usage)
{
    TerminalUi &ui = *context.ui;
    if (context.args.empty()) {
        return UsageFailure(usage, "FILE needed");
    }
    for (const std::string &arg : context.args) {
        if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return UsageFailure(usage, "unknown option " + arg);
        }
    }
    RegisterConversionListers();
    int converted = 0;
    bool refused = false;
    for (const std::string &arg : context.args) {
        NamedEntry named;
        if (!ResolveNamedEntry(ui, arg, named)) {
            refused = true;
            continue;
        }
        const int n = ConvertHeaders(ui, named.location, {&named.entry}, target);
        if (n < 0) {
            refused = true;
        } else {
            converted += n;
        }
    }
    if (converted == 0 && !refused && ui.ErrorCount() == 0) {
        ui.ShowInfo(ConfirmationText({}, false, "convert"));
    }
    return ui.ErrorCount() > 0 || refused ? 1 : 0;
}

namespace
{

const char kUsageV9t9[] = "tov9t9 FILE...";

int RunToV9t9(CommandContext &context)
{
    return RunHeaderConversion(context, HeaderTarget::V9t9, kUsageV9t9);
}

} // namespace

KESTREL_CLI_COMMAND("tov9t9", kUsageV9t9, RunToV9t9);

} // namespace kestrel::cli
