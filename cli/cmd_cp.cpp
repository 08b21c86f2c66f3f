// cp [--yes|--no|--all] SRC... DEST: copies entries (PC files, or
// LOCATION/FILE inside a container) into a location, as the copy command of
// a pane does with the marked entries. Sources that lie in one location are
// copied as one batch (one "All" answer, one stop).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/copy.h"
#include "tifs/catalog.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "cp [--yes|--no|--all] SRC... DEST";

std::string LocationKey(const Location &location)
{
    return std::to_string(location.kind) + "\n" + location.path + "\n" + location.innerPath + "\n" +
           std::to_string(location.fdirSector) + "\n" +
           std::to_string(location.containerEntries.size());
}

struct SourceGroup {
    Location location;
    std::vector<std::string> names; // PC names of the entries to mark
};

int RunCp(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    TakeOverwriteAnswer(ui, args);
    if (args.size() < 2) {
        return UsageFailure(kUsage, "SRC and DEST expected");
    }
    RegisterConversionListers();
    Location destination;
    if (!ResolveDestination(ui, args.back(), destination)) {
        return 1;
    }
    bool failed = false;
    std::vector<SourceGroup> groups;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        NamedEntry named;
        if (!ResolveNamedEntry(ui, args[i], named)) {
            failed = true;
            continue;
        }
        std::string key = LocationKey(named.location);
        SourceGroup *group = nullptr;
        for (SourceGroup &g : groups) {
            if (LocationKey(g.location) == key) {
                group = &g;
            }
        }
        if (group == nullptr) {
            groups.push_back(SourceGroup{std::move(named.location), {}});
            group = &groups.back();
        }
        group->names.push_back(named.entry.pcName + "\n" + named.entry.ti.tiName);
    }
    for (SourceGroup &group : groups) {
        for (const std::string &name : group.names) {
            for (auto &entry : group.location.entries) {
                if (entry->pcName + "\n" + entry->ti.tiName == name) {
                    entry->marked = true;
                }
            }
        }
        CopyOptions options;
        int result = RunCopy(destination, group.location, nullptr, options, ui);
        if (result != 0) {
            failed = true;
        }
        if (result == kCopyStop) {
            break;
        }
    }
    return failed || ui.ErrorCount() != 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("cp", kUsage, RunCp);

} // namespace kestrel::cli
