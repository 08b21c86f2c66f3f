// attr [--protect on|off|keep] [--archive on|off|keep] FILE...: the
// write-protect and archive flags of TI files in a directory or inside a
// hard-disk image.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/file_attributes.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "attr [--protect on|off|keep] [--archive on|off|keep] FILE...";

bool ParseState(const std::string &text, int &state)
{
    if (text == "on") {
        state = kAttrSet;
    } else if (text == "off") {
        state = kAttrClear;
    } else if (text == "keep") {
        state = kAttrKeep;
    } else {
        return false;
    }
    return true;
}

int RunAttr(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    AttributeOptions options;
    std::vector<std::string> files;
    const std::vector<std::string> &args = context.args;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--protect" || args[i] == "--archive") {
            int &state = args[i] == "--protect" ? options.protect : options.archive;
            if (i + 1 >= args.size() || !ParseState(args[i + 1], state)) {
                return UsageFailure(kUsage, args[i] + " takes on, off or keep");
            }
            ++i;
        } else if (args[i].size() > 1 && args[i][0] == '-' && args[i][1] == '-') {
            return UsageFailure(kUsage, "unknown option " + args[i]);
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.empty()) {
        return UsageFailure(kUsage, "FILE needed");
    }
    RegisterConversionListers();
    bool failed = false;
    for (const std::string &file : files) {
        NamedEntry named;
        if (!ResolveNamedEntry(ui, file, named)) {
            failed = true;
            continue;
        }
        if (SetAttributes(ui, named.location, {&named.entry}, options) < 0) {
            failed = true;
        }
    }
    return failed || ui.ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("attr", kUsage, RunAttr);

} // namespace kestrel::cli
