// view [--hex | --forth] LOCATION/FILE: the text a viewer window would show
// for a file, its caption on the first line.
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.h"
#include "cli/conversion_args.h"
#include "cli/terminal_ui.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"
#include "viewers/text_view.h"
#include "viewers/tifile_view.h"
#include "viewers/view_caption.h"

namespace kestrel::cli
{

namespace
{

const char kUsage[] = "view [--hex | --forth] LOCATION/FILE";
constexpr int kMsgCantRead = 4;

int UsageError(const char *why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why, kUsage);
    return 1;
}

void Print(const std::string &caption, const std::string &text)
{
    std::fwrite(caption.data(), 1, caption.size(), stdout);
    std::fputc('\n', stdout);
    std::fwrite(text.data(), 1, text.size(), stdout);
}

// A plain PC file is shown as it is, under its PC name.
bool ViewPcFile(const Location &location, const CatalogEntry &entry, Ui &ui, TextView &view)
{
    const std::string path = location.path.empty() || location.path.back() == '/'
                                 ? location.path + entry.pcName
                                 : location.path + "/" + entry.pcName;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        ReportError(ui, 1, {path});
        return false;
    }
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        view.text.append(buffer, n);
    }
    if (std::ferror(file)) {
        ReportError(ui, kMsgCantRead, {path});
    }
    std::fclose(file);
    view.caption = std::string(kProgramName) + " - " + entry.pcName;
    view.hasText = true;
    return true;
}

int RunView(CommandContext &context)
{
    int mode = kViewAuto;
    std::string target;
    for (const std::string &arg : context.args) {
        if (arg == "--hex" || arg == "--forth") {
            if (mode != kViewAuto) {
                return UsageError("--hex and --forth exclude each other");
            }
            mode = arg == "--hex" ? kViewHex : kViewForth;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError(("unknown option " + arg).c_str());
        } else if (!target.empty()) {
            return UsageError("one LOCATION/FILE only");
        } else {
            target = arg;
        }
    }
    if (target.empty()) {
        return UsageError("LOCATION/FILE missing");
    }

    TerminalUi &ui = *context.ui;
    NamedEntry named;
    if (!ResolveNamedEntry(ui, target, named)) {
        return 1;
    }
    const Location &location = named.location;
    const CatalogEntry entry = named.entry;
    TextView view;
    bool shown = false;
    if (IsTiFileKind(entry.ti.kind)) {
        shown = ComposeTiFileView(location, entry, mode, ui, view);
    } else if (entry.ti.kind == kKindDos) {
        shown = ViewPcFile(location, entry, ui, view);
    } else {
        return UsageError("not a file that can be viewed");
    }
    if (shown) {
        Print(view.caption, view.text);
    }
    return ui.ErrorCount() > 0 || !shown ? 1 : 0;
}

} // namespace

KESTREL_CLI_COMMAND("view", kUsage, RunView);

} // namespace kestrel::cli
