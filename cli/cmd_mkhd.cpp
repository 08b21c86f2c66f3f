// mkhd DIR NAME --volume LABEL:SECTORS [--volume ...]: a new hard-disk image
// DIR/NAME.img; one volume makes a single-volume image, two to four make
// partitions. --yes replaces an existing file.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/terminal_ui.h"
#include "drives/new_hd_image.h"
#include "ops/register_all.h"
#include "tifs/catalog.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "mkhd [--yes] DIR NAME --volume LABEL:SECTORS [--volume LABEL:SECTORS ...]";

int UsageError(const char *why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why, kUsage);
    return 1;
}

int RunMkhd(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    std::vector<std::string> positional;
    std::vector<std::string> labels;
    std::vector<uint32_t> sizes;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--volume") {
            positional.push_back(args[i]);
            continue;
        }
        if (i + 1 >= args.size()) {
            return UsageError("--volume needs LABEL:SECTORS");
        }
        const std::string &volumeArg = args[++i];
        size_t colon = volumeArg.rfind(':');
        if (colon == std::string::npos) {
            return UsageError("--volume needs LABEL:SECTORS");
        }
        char *end = nullptr;
        unsigned long long sectors = std::strtoull(volumeArg.c_str() + colon + 1, &end, 0);
        if (end == volumeArg.c_str() + colon + 1 || *end != '\0' || sectors < kNewHdMinSectors ||
            sectors > kNewHdMaxSectors) {
            return UsageError("SECTORS must lie between 65536 and 1015808");
        }
        labels.push_back(volumeArg.substr(0, colon));
        sizes.push_back(static_cast<uint32_t>(sectors));
    }
    if (positional.size() != 2 || labels.empty()) {
        return UsageError("DIR, NAME and at least one --volume expected");
    }
    if (labels.size() > 4) {
        return UsageError("at most four partitions");
    }
    if (positional[1].empty() || positional[1].size() > 11) {
        ui.ShowWarning("Please enter a file name");
        return 1;
    }
    for (const std::string &label : labels) {
        if (label.empty() || label.size() > 10) {
            ui.ShowWarning("Please enter a volume label");
            return 1;
        }
    }
    RegisterAllListers();
    Location pane;
    pane.path = pane.startPath = positional[0];
    NewHdImage description = DescribeNewHdImage(positional[1], labels.size() > 1, labels, sizes);
    bool ok = CreateNewHdImage(ui, pane, description);
    return ok && ui.ErrorCount() == 0 ? 0 : 1;
}

} // namespace

KESTREL_CLI_COMMAND("mkhd", kUsage, RunMkhd);

} // namespace kestrel::cli
