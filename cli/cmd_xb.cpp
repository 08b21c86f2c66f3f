// xb: PC text files of Extended BASIC tokenized by the tokenizer library
// into a directory, a disk image, a CF7A+ volume or a hard-disk image.
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/basic_conversion.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "xb [--merge] [--log] [--verbose] [--name TINAME] TEXTFILE... DEST";
constexpr int kMsgOnlyTiToPc = 12;

int RunXb(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    TakeOverwriteAnswer(ui, args);
    BasicConversionOptions options;
    std::string name;
    bool named = false;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (arg == "--merge") {
            options.program = false;
        } else if (arg == "--log") {
            options.log = true;
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "--name") {
            if (i + 1 >= args.size()) {
                return UsageFailure(kUsage, "--name needs a value");
            }
            name = args[++i];
            named = true;
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return UsageFailure(kUsage, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2) {
        return UsageFailure(kUsage, "TEXTFILE and DEST needed");
    }
    if (named && paths.size() > 2) {
        return UsageFailure(kUsage, "--name names one file only");
    }
    if (named && name.size() > 10) {
        return UsageFailure(kUsage, "--name takes at most 10 characters");
    }
    // Verbose logging is only offered together with the log.
    options.verbose = options.verbose && options.log;
    RegisterConversionListers();
    Location destination;
    if (!ResolveDestination(ui, paths.back(), destination)) {
        return 1;
    }
    if (!CheckBasicDestination(ui, destination)) {
        return 1;
    }
    std::vector<NamedEntry> sources;
    for (size_t i = 0; i + 1 < paths.size(); ++i) {
        NamedEntry source;
        if (!ResolveNamedEntry(ui, paths[i], source)) {
            return 1;
        }
        if (source.entry.ti.kind == kKindDos && source.location.kind == kLocPcDirectory) {
            sources.push_back(std::move(source));
        }
    }
    if (sources.empty()) {
        ReportError(ui, kMsgOnlyTiToPc);
        return 1;
    }
    BasicConversionBatch batch;
    for (const NamedEntry &source : sources) {
        const std::string tiName = named ? name : DefaultBasicName(source.entry.pcName);
        const std::string problem = BasicNameProblem(tiName);
        if (!problem.empty()) {
            ui.ShowWarning(problem);
            return 1;
        }
        const int result = ConvertTextToBasic(ui, destination, source.location, source.entry,
                                              tiName, options, batch);
        if (result != 0) {
            return 1;
        }
    }
    return ui.ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("xb", kUsage, RunXb);

} // namespace kestrel::cli
