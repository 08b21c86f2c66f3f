// get [--tifiles] LOCATION/FILE [TARGET]: saves a file inside a container as
// a TI file (V9T9 header, or TIFILES with --tifiles or the setting).
// With --text a member of an archive is saved as PC text instead.
#include <cstdio>
#include <string>

#include "cli/cmd_get_text.h"
#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "ops/register_all.h"
#include "platform/paths.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "get [--tifiles | --text] LOCATION/FILE [TARGET]";
constexpr int kMsgOnlyExtractFromDsk = 10;

int RunGet(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args;
    bool tifiles = ProgramSettings().extractTiFiles;
    bool text = false; // archive members only: "Save as PC-file"
    for (const std::string &arg : context.args) {
        if (arg == "--text") {
            text = true;
        } else if (arg == "--tifiles") {
            tifiles = true;
        } else {
            args.push_back(arg);
        }
    }
    if (args.empty() || args.size() > 2) {
        std::fprintf(stderr, "kestrel-cli: LOCATION/FILE expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    RegisterAllListers();
    Location location;
    std::string leaf;
    if (!ResolveLocationPath(location, args[0], ui, &leaf)) {
        return 1;
    }
    const CatalogEntry *entry = leaf.empty() ? nullptr : FindEntryByName(location, leaf);
    EntrySaver saver = FindEntrySaver(location.kind);
    if (entry == nullptr || saver == nullptr) {
        ReportError(ui, kMsgOnlyExtractFromDsk);
        return 1;
    }
    std::string target = args.size() == 2
                             ? args[1]
                             : TiNameToPcName(entry->ti.tiName, ProgramSettings().zubCompatible);
    if (PcPathKind(target) == 1) {
        target = platform::JoinPath(
            target, TiNameToPcName(entry->ti.tiName, ProgramSettings().zubCompatible));
    }
    if (text) {
        if (!IsArchiveLocation(location)) {
            std::fprintf(stderr, "kestrel-cli: --text saves members of archives only\n");
            return 1;
        }
        bool done = GetArchiveMemberAsText(location, *entry, target, ui);
        return done && ui.ErrorCount() == 0 ? 0 : 1;
    }
    bool savedSetting = ProgramSettings().extractTiFiles;
    ProgramSettings().extractTiFiles = tifiles;
    bool ok = saver(location, *entry, target, ui);
    ProgramSettings().extractTiFiles = savedSetting;
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("get", kUsage, RunGet);

} // namespace kestrel::cli
