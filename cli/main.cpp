// kestrel-cli COMMAND [ARGS]: dispatches to the registered commands;
// kestrel-cli --version prints the version.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

// The version constants are the program's; the header holds nothing else.
#include "app/shell/version.h"
#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/hd_binding.h"
#include "ops/register_all.h"
#include "tifs/location_listers.h"
#include "tifs/settings.h"
#include "viewers/tokenizer_loader.h"

namespace
{

void PrintHelp(FILE *out)
{
    std::fprintf(out,
                 "usage: kestrel-cli COMMAND [ARGS]\n       kestrel-cli --version\n\ncommands:\n");
    for (const auto &command : kestrel::cli::Commands()) {
        std::fprintf(out, "  %s\n", command.usage);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("kestrel-cli %d.%d%c %ld\n", kestrel::kVersionMajor, kestrel::kVersionMinor,
                    kestrel::kVersionLetter, kestrel::kVersionBuild);
        return 0;
    }
    if (argc < 2 || std::strcmp(argv[1], "help") == 0 || std::strcmp(argv[1], "--help") == 0) {
        PrintHelp(stdout);
        return argc < 2 ? 1 : 0;
    }
    const std::string name = argv[1];
    for (const auto &command : kestrel::cli::Commands()) {
        if (name != command.name) {
            continue;
        }
        kestrel::LoadSettings(kestrel::ProgramSettings(), "Kestrel.ini");
        kestrel::RegisterAllListers();
        kestrel::cli::TerminalUi ui;
        kestrel::cli::CommandContext context;
        context.args.assign(argv + 2, argv + argc);
        context.ui = &ui;
        int status = command.run(context);
        // Close the hard-disk image and let go of both libraries while the
        // process is whole.
        kestrel::UnloadHdLibrary();
        kestrel::UnloadTokenizerLibrary();
        return status;
    }
    std::fprintf(stderr, "kestrel-cli: unknown command '%s'\n", name.c_str());
    PrintHelp(stderr);
    return 1;
}
