// put [--yes|--no|--all] IMAGE[/SUBDIR] PCFILE...: adds TI files to a disk
// image or one of its subdirectories.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/floppy_cli.h"
#include "cli/hd_cli.h"
#include "cli/terminal_ui.h"
#include "platform/paths.h"
#include "tifs/floppy/floppy_writer.h"
#include "tifs/messages.h"
#include "tifs/ti_header.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "put [--yes|--no|--all] IMAGE[/SUBDIR] PCFILE...";
constexpr int kMsgCantOpenRead = 1;
constexpr int kMsgNotTiFile = 64;

int RunPut(CommandContext &context)
{
    TerminalUi &ui = *context.ui;
    std::vector<std::string> args = context.args;
    ui.TakeAnswerFlags(args);
    if (args.size() < 2) {
        std::fprintf(stderr, "kestrel-cli: IMAGE and PCFILE expected\nusage: kestrel-cli %s\n",
                     kUsage);
        return 1;
    }
    // Hard-disk images go through the hard-disk library (cli/hd_cli.h).
    if (IsHdPath(args[0])) {
        return PutIntoHd(args[0], std::vector<std::string>(args.begin() + 1, args.end()), ui);
    }
    Location location;
    FloppyTarget target;
    if (!ResolveFloppyTarget(args[0], location, target, ui)) {
        return 1;
    }
    AddFileState state;
    bool failed = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string &pcPath = args[i];
        std::FILE *f = std::fopen(pcPath.c_str(), "rb");
        uint8_t header[128] = {};
        size_t got = f != nullptr ? std::fread(header, 1, sizeof header, f) : 0;
        long size = 0;
        if (f != nullptr && std::fseek(f, 0, SEEK_END) == 0) {
            size = std::ftell(f);
        }
        if (f != nullptr) {
            std::fclose(f);
        }
        if (f == nullptr) {
            ReportError(ui, kMsgCantOpenRead, {pcPath});
            failed = true;
            continue;
        }
        CatalogEntry entry;
        entry.pcName = platform::LastComponent(pcPath);
        if (got != sizeof header || !DecodeHeader(header, entry.pcName, false, entry.ti)) {
            ReportError(ui, kMsgNotTiFile, {pcPath});
            failed = true;
            continue;
        }
        if (entry.ti.headerKind == kHeaderTifiles && size >= 128 &&
            IsClassic99(entry.ti, static_cast<uint64_t>(size) - 128)) {
            entry.ti.headerKind = kHeaderClassic99;
            entry.ti.sectors = static_cast<uint16_t>((size - 128 + 255) / 256);
        }
        if (AddFileToImage(target, entry, pcPath, state, ui) == kAddStopped) {
            failed = true;
            break;
        }
        failed = failed || ui.LastMessage() != 0;
    }
    return failed || ui.ErrorCount() != 0 ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("put", kUsage, RunPut);

} // namespace kestrel::cli
