// protect on|off LOCATION/FILE: the write protection of a file in a
// hard-disk location.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/hd_file_ops.h"
#include "ops/register_all.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "protect on|off LOCATION/FILE";
constexpr int kMsgFileMissing = 35;
constexpr int kMsgOnlyInDirectory = 56;

int RunProtect(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    const auto &args = context.args;
    if (args.size() != 2 || (args[0] != "on" && args[0] != "off")) {
        std::fprintf(stderr, "kestrel-cli: on or off and a file expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    RegisterAllListers();
    Location location;
    std::string leaf;
    if (!ResolveLocationPath(location, args[1], ui, &leaf)) {
        return 1;
    }
    const CatalogEntry *found = leaf.empty() ? nullptr : FindEntryByName(location, leaf);
    if (found == nullptr) {
        ReportError(ui, kMsgFileMissing, {leaf.empty() ? args[1] : leaf});
        return 1;
    }
    if (location.kind != kLocHdImage && location.kind != kLocHdPartition) {
        ReportError(ui, kMsgOnlyInDirectory);
        return 1;
    }
    CatalogEntry entry = *found;
    if (args[0] == "on") {
        entry.ti.flags |= kFlagProtected;
    } else {
        entry.ti.flags &= static_cast<uint16_t>(~kFlagProtected);
    }
    return SetHdProtection(ui, location, entry) && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("protect", kUsage, RunProtect);

} // namespace kestrel::cli
