// extract CONTAINER... DESTDIR: every TI file of ARC archives and disk
// images into a new folder each (GAMES, GAMES(1) …);
// arc2dsk ARCHIVE... DESTDIR: ARC archives into new DSK images.
// Containers that lie in one location are handled as one batch.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/extract.h"
#include "platform/temp_dir.h"
#include "tifs/catalog.h"

namespace kestrel::cli
{

namespace
{

const char kExtractUsage[] = "extract CONTAINER... DESTDIR";
const char kArcUsage[] = "arc2dsk ARCHIVE... DESTDIR";

struct Group {
    Location location;
    std::vector<std::string> names;
};

int RunBatch(CommandContext &context, const char *usage, bool toDsk)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    TakeOverwriteAnswer(ui, args);
    if (args.size() < 2) {
        return UsageFailure(usage, "a container and DESTDIR expected");
    }
    RegisterConversionListers();
    // An archive inside a disk image is saved to the work file first.
    platform::TempDir work;
    ExtractOptions options;
    if (work.Create()) {
        options.archiveWorkFile = work.ArchiveFile();
    }
    Location destination;
    if (!ResolveDestination(ui, args.back(), destination)) {
        return 1;
    }
    bool failed = false;
    std::vector<Group> groups;
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        NamedEntry named;
        if (!ResolveNamedEntry(ui, args[i], named)) {
            failed = true;
            continue;
        }
        Group *group = nullptr;
        for (Group &g : groups) {
            if (g.location.path == named.location.path && g.location.kind == named.location.kind &&
                g.location.innerPath == named.location.innerPath) {
                group = &g;
            }
        }
        if (group == nullptr) {
            groups.push_back(Group{std::move(named.location), {}});
            group = &groups.back();
        }
        group->names.push_back(named.entry.pcName + "\n" + named.entry.ti.tiName);
    }
    for (Group &group : groups) {
        size_t marked = 0;
        for (auto &entry : group.location.entries) {
            for (const std::string &name : group.names) {
                if (entry->pcName + "\n" + entry->ti.tiName == name) {
                    entry->marked = true;
                    ++marked;
                }
            }
        }
        int done = toDsk ? ConvertArcsToDsk(destination, group.location, nullptr, options, ui)
                         : ExtractContainers(destination, group.location, nullptr, options, ui);
        if (done < 0 || static_cast<size_t>(done) < marked) {
            failed = true;
        }
    }
    return failed || ui.ErrorCount() != 0 ? 1 : 0;
}

int RunExtract(CommandContext &context)
{
    return RunBatch(context, kExtractUsage, false);
}

int RunArc2Dsk(CommandContext &context)
{
    return RunBatch(context, kArcUsage, true);
}

} // namespace

KESTREL_CLI_COMMAND("extract", kExtractUsage, RunExtract);
KESTREL_CLI_COMMAND("arc2dsk", kArcUsage, RunArc2Dsk);

} // namespace kestrel::cli
