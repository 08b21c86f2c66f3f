// layout PC99IMAGE: the disk layout report (side, track and sector order).
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "platform/paths.h"
#include "tifs/floppy/pc99.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "layout PC99IMAGE";

int RunLayout(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    if (context.args.size() != 1) {
        std::fprintf(stderr, "kestrel-cli: PC99IMAGE expected\nusage: kestrel-cli %s\n", kUsage);
        return 1;
    }
    const std::string &path = context.args[0];
    std::string text;
    bool ok = DiskLayoutReport(path, platform::LastComponent(path), text, ui);
    // The report keeps its CR LF line ends in the editor; a terminal wants LF.
    std::string out;
    for (char c : text) {
        if (c != '\r') {
            out.push_back(c);
        }
    }
    std::fputs(out.c_str(), stdout);
    if (!out.empty()) {
        std::fputc('\n', stdout);
    }
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("layout", kUsage, RunLayout);

} // namespace kestrel::cli
