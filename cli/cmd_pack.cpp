// pack [--plain] [--yes|--no] DEST.ark TIFILE...: packs TI files (in PC folders or inside any
// container) into an ARC archive, LZW-compressed unless --plain. DEST.ark names the archive in
// a PC folder (a TIFILES file) or inside a disk image, card volume or hard-disk directory.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/pack_archive.h"
#include "ops/register_all.h"
#include "tifs/catalog.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "pack [--plain] [--yes|--no] DEST.ark TIFILE...";

// "dir/name" into the folder or container part and the archive's name.
void SplitDestination(const std::string &path, std::string &container, std::string &name)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        container = ".";
        name = path;
    } else {
        container = slash == 0 ? std::string("/") : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

int RunPack(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    // As put: an existing archive without --yes, --no or --all and nobody at
    // the terminal to ask is a refusal, and the run fails.
    ui.TakeAnswerFlags(args);
    PackOptions options;
    std::vector<std::string> names;
    for (const std::string &arg : args) {
        if (arg == "--plain") {
            options.plain = true;
        } else {
            names.push_back(arg);
        }
    }
    if (names.size() < 2) {
        std::fprintf(stderr, "kestrel-cli: DEST.ark and TIFILE expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    RegisterAllListers();
    std::string container;
    SplitDestination(names[0], container, options.name);
    Location destination;
    if (!ResolveDestination(ui, container, destination) || !CheckPack(destination, ui)) {
        return 1;
    }
    // Each file keeps the location that lists it until the archive is written.
    std::vector<NamedEntry> named(names.size() - 1);
    std::vector<PackSource> sources;
    for (size_t i = 1; i < names.size(); ++i) {
        if (!ResolveNamedEntry(ui, names[i], named[i - 1])) {
            return 1;
        }
    }
    for (const NamedEntry &file : named) {
        sources.push_back({&file.location, &file.entry});
    }
    int result = PackEntries(destination, sources, options, ui);
    return result == 0 && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("pack", kUsage, RunPack);

} // namespace kestrel::cli
