// mkdsk DIR LABEL [--preset N]: a new empty floppy image DIR/LABEL.dsk.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "tifs/floppy/floppy_writer.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "mkdsk [--yes] DIR LABEL [--preset N]  (N: 0 SSSD, 1 DSSD, 2 DSDD, "
                      "3 CF7A+, 4 DSSD/80, 5 DSDD/80)";

int RunMkdsk(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    int preset = kDefaultPreset;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--preset" && i + 1 < args.size()) {
            char *end = nullptr;
            long value = std::strtol(args[i + 1].c_str(), &end, 10);
            if (*end != '\0' || FindPreset(static_cast<int>(value)) == nullptr) {
                std::fprintf(stderr, "kestrel-cli: preset 0 to 5 expected\n");
                return 1;
            }
            preset = static_cast<int>(value);
            ++i;
        } else {
            rest.push_back(args[i]);
        }
    }
    if (rest.size() != 2) {
        std::fprintf(stderr, "kestrel-cli: DIR and LABEL expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    if (!CreateImage(rest[0], rest[1], preset, ui)) {
        return 1;
    }
    return ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("mkdsk", kUsage, RunMkdsk);

} // namespace kestrel::cli
