// ti2pc: TI files from any location to plain PC files in a directory. The
// method and extension left out come from "Ti_Pc_File_Conversion".
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/conversion_rules.h"
#include "ops/ti_to_pc.h"
#include "tifs/messages.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "ti2pc [--method 1-3] [--ext .EXT] [--name PCNAME] LOCATION/FILE... DESTDIR";
constexpr int kMsgOnlyTiToPc = 12;
constexpr int kMsgNoPcFilesThere = 49;

bool SameKindAs(const TiFileDescriptor &a, const TiFileDescriptor &b)
{
    if ((a.flags & kFlagTypeMask) != (b.flags & kFlagTypeMask)) {
        return false;
    }
    return (a.flags & kFlagProgram) != 0 || a.recordLength == b.recordLength;
}

int RunTi2pc(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    TakeOverwriteAnswer(ui, args);
    std::optional<int> method;
    std::optional<std::string> extension;
    std::optional<std::string> name;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--method" || arg == "--ext" || arg == "--name") {
            if (i + 1 >= args.size()) {
                return UsageFailure(kUsage, arg + " needs a value");
            }
            const std::string value = args[++i];
            int number = 0;
            if (arg == "--method") {
                if (!ParseNumber(value, 1, 3, number)) {
                    return UsageFailure(kUsage, "--method takes 1 to 3");
                }
                method = number;
            } else if (arg == "--ext") {
                extension = value.empty() || value[0] == '.' ? value : "." + value;
            } else {
                name = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return UsageFailure(kUsage, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2) {
        return UsageFailure(kUsage, "LOCATION/FILE and DESTDIR needed");
    }
    if (name && paths.size() > 2) {
        return UsageFailure(kUsage, "--name names one file only");
    }
    if (name && name->size() > 80) {
        return UsageFailure(kUsage, "--name takes at most 80 characters");
    }
    RegisterConversionListers();
    Location destination;
    if (!ResolveDestination(ui, paths.back(), destination)) {
        return 1;
    }
    if (destination.kind != kLocPcDirectory) {
        ReportError(ui, kMsgNoPcFilesThere);
        ReportError(ui, kMsgOnlyTiToPc);
        return 1;
    }
    std::vector<NamedEntry> sources;
    for (size_t i = 0; i + 1 < paths.size(); ++i) {
        NamedEntry named;
        if (!ResolveNamedEntry(ui, paths[i], named)) {
            return 1;
        }
        if (IsTiFileKind(named.entry.ti.kind)) {
            sources.push_back(std::move(named));
        }
    }
    if (sources.empty()) {
        ReportError(ui, kMsgOnlyTiToPc);
        return 1;
    }
    // As in the dialog's batch: only files of the first file's type (and,
    // but for PROGRAM, record length) go through.
    const TiFileDescriptor first = sources.front().entry.ti;
    TiToPcBatch batch;
    for (const NamedEntry &source : sources) {
        if (!SameKindAs(first, source.entry.ti)) {
            std::fprintf(stderr, "kestrel-cli: %s skipped (not of the first file's type)\n",
                         source.entry.pcName.c_str());
            continue;
        }
        TiToPcOptions options = TiToPcOptionsFromSettings(source.entry.ti);
        if (method) {
            options.method = *method;
        }
        if (name) {
            options.pcName = *name;
        } else if (extension) {
            std::string tiName = source.entry.ti.tiName;
            while (!tiName.empty() && tiName.back() == ' ') {
                tiName.pop_back();
            }
            options.pcName = TiNameToPcName(tiName, ProgramSettings().zubCompatible) + *extension;
        }
        const std::string problem = TiToPcOptionsProblem(options);
        if (!problem.empty()) {
            ui.ShowWarning(problem);
            return 1;
        }
        if (ConvertTiFile(ui, destination, source.location, source.entry, options, batch) !=
            kConversionDone) {
            return 1;
        }
    }
    return ui.ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("ti2pc", kUsage, RunTi2pc);

} // namespace kestrel::cli
