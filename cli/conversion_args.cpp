#include "cli/conversion_args.h"

#include <cstdio>
#include <filesystem>
#include <system_error>


#include "cli/terminal_ui.h"
#include "ops/register_all.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{

constexpr int kMsgNoSuchFile = 35;

} // namespace

bool ResolveNamedEntry(Ui &ui, const std::string &arg, NamedEntry &named)
{
    named = NamedEntry{};
    std::string leaf;
    std::error_code error;
    const std::filesystem::path asPath(arg);
    // A PC file given by its own path is looked up in its folder; a path
    // that goes on into a container is resolved by the catalog.
    if (std::filesystem::is_regular_file(asPath, error) && asPath.has_filename() &&
        arg.back() != '/') {
        const std::string folder = asPath.has_parent_path() ? asPath.parent_path().string() : ".";
        if (!ResolveLocationPath(named.location, folder, ui)) {
            return false;
        }
        leaf = asPath.filename().string();
    } else if (!ResolveLocationPath(named.location, arg, ui, &leaf)) {
        return false;
    }
    if (leaf.empty()) {
        std::fprintf(stderr, "kestrel-cli: %s names a location, not a file\n", arg.c_str());
        return false;
    }
    const CatalogEntry *found = FindEntryByName(named.location, leaf);
    if (found == nullptr) {
        ReportError(ui, kMsgNoSuchFile, {leaf});
        return false;
    }
    named.entry = *found;
    return true;
}

bool ResolveDestination(Ui &ui, const std::string &arg, Location &location)
{
    location = Location{};
    return ResolveLocationPath(location, arg, ui);
}

void TakeOverwriteAnswer(TerminalUi &ui, std::vector<std::string> &args)
{
    if (!ui.TakeAnswerFlags(args)) {
        // Without a terminal, what exists is kept and the rest goes on.
        ui.SetUnaskedAnswer(Answer::No);
    }
}

int UsageFailure(const char *usage, const std::string &why)
{
    std::fprintf(stderr, "kestrel-cli: %s\nusage: kestrel-cli %s\n", why.c_str(), usage);
    return 1;
}

void RegisterConversionListers()
{
    RegisterAllListers();
}

bool ParseNumber(const std::string &text, int low, int high, int &value)
{
    if (text.empty() || text.size() > 6) {
        return false;
    }
    int v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        v = v * 10 + (c - '0');
    }
    if (v < low || v > high) {
        return false;
    }
    value = v;
    return true;
}

} // namespace kestrel::cli
