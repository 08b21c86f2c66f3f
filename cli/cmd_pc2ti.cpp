// pc2ti: plain PC files to TI files in a directory, a disk image, a CF7A+
// volume or a hard-disk image. Options left out come from the section
// "Pc_Ti_File_Conversion" for each file's extension.
#include <array>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "ops/conversion_rules.h"
#include "ops/pc_to_ti.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "pc2ti [--type DIS/FIX|DIS/VAR|INT/FIX|INT/VAR|PROGRAM] [--reclen N] "
                      "[--method 1-4] [--tabs N|--no-tabs] [--header W1,W2,W3] [--name TINAME] "
                      "PCFILE... DEST";
constexpr int kMsgOnlyTiToPc = 12;

struct Given {
    std::optional<uint8_t> type;
    std::optional<int> recordLength;
    std::optional<int> method;
    std::optional<int> tabWidth;
    std::optional<std::array<std::string, 3>> header;
    std::optional<std::string> name;
};

bool SplitHeader(const std::string &text, std::array<std::string, 3> &words)
{
    size_t start = 0;
    for (size_t i = 0; i < 3; ++i) {
        const size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (i == 2)) {
            return false;
        }
        words[i] =
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        start = comma + 1;
    }
    return true;
}

PcToTiOptions OptionsFor(const Given &given, const std::string &pcName)
{
    const PcToTiDefaults defaults = ReadPcToTiDefaults(pcName);
    PcToTiOptions options;
    options.name = given.name ? *given.name : DefaultTiFileName(pcName);
    options.typeFlags = given.type ? *given.type : defaults.typeFlags;
    options.recordLength = given.recordLength ? *given.recordLength : defaults.recordLength;
    options.method = given.method ? *given.method : defaults.method;
    options.tabWidth = given.tabWidth ? *given.tabWidth : 8;
    if (options.typeFlags == 0x01) {
        options.method = kPcTiBinary;
        options.tabWidth = 0;
    }
    if (given.header) {
        options.dataHeader = true;
        options.dataHeaderText = *given.header;
    }
    return options;
}

int RunPc2ti(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    TakeOverwriteAnswer(ui, args);
    Given given;
    std::vector<std::string> paths;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--no-tabs") {
            given.tabWidth = 0;
        } else if (arg == "--type" || arg == "--reclen" || arg == "--method" || arg == "--tabs" ||
                   arg == "--header" || arg == "--name") {
            if (!hasValue) {
                return UsageFailure(kUsage, arg + " needs a value");
            }
            const std::string value = args[++i];
            int number = 0;
            if (arg == "--type") {
                bool known = false;
                for (const auto &type : kTiFileTypes) {
                    std::string upper = value;
                    for (char &c : upper) {
                        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                    }
                    if (upper == type.name) {
                        given.type = type.flags;
                        known = true;
                    }
                }
                if (!known) {
                    return UsageFailure(kUsage, "unknown type " + value);
                }
            } else if (arg == "--reclen") {
                if (!ParseNumber(value, 1, 255, number)) {
                    return UsageFailure(kUsage, "--reclen takes 1 to 255");
                }
                given.recordLength = number;
            } else if (arg == "--method") {
                if (!ParseNumber(value, 1, 4, number)) {
                    return UsageFailure(kUsage, "--method takes 1 to 4");
                }
                given.method = number;
            } else if (arg == "--tabs") {
                if (!ParseNumber(value, 1, 20, number)) {
                    return UsageFailure(kUsage, "--tabs takes 1 to 20");
                }
                given.tabWidth = number;
            } else if (arg == "--header") {
                std::array<std::string, 3> words;
                if (!SplitHeader(value, words)) {
                    return UsageFailure(kUsage, "--header takes three words W1,W2,W3");
                }
                given.header = words;
            } else {
                given.name = value;
            }
        } else if (arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            return UsageFailure(kUsage, "unknown option " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() < 2) {
        return UsageFailure(kUsage, "PCFILE and DEST needed");
    }
    if (given.name && paths.size() > 2) {
        return UsageFailure(kUsage, "--name names one file only");
    }
    if (given.name && given.name->size() > 10) {
        return UsageFailure(kUsage, "--name takes at most 10 characters");
    }
    RegisterConversionListers();
    Location destination;
    if (!ResolveDestination(ui, paths.back(), destination)) {
        return 1;
    }
    std::vector<NamedEntry> sources;
    for (size_t i = 0; i + 1 < paths.size(); ++i) {
        NamedEntry named;
        if (!ResolveNamedEntry(ui, paths[i], named)) {
            return 1;
        }
        if (named.entry.ti.kind == kKindDos && named.location.kind == kLocPcDirectory) {
            sources.push_back(std::move(named));
        }
    }
    if (sources.empty()) {
        ReportError(ui, kMsgOnlyTiToPc);
        return 1;
    }
    PcToTiBatch batch;
    for (const NamedEntry &source : sources) {
        const PcToTiOptions options = OptionsFor(given, source.entry.pcName);
        const std::string problem = PcToTiOptionsProblem(options);
        if (!problem.empty()) {
            ui.ShowWarning(problem);
            return 1;
        }
        const int result =
            ConvertPcFile(ui, destination, source.location, source.entry, options, batch);
        if (result != kConversionDone) {
            return 1;
        }
    }
    return ui.ErrorCount() > 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("pc2ti", kUsage, RunPc2ti);

} // namespace kestrel::cli
