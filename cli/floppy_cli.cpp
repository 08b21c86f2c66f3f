#include "cli/floppy_cli.h"

#include "ops/register_all.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"

namespace kestrel::cli
{

namespace
{
constexpr int kMsgOnlyTiFilesToDsk = 40;
}

bool ResolveFloppyTarget(const std::string &path, Location &location, FloppyTarget &target, Ui &ui)
{
    RegisterAllListers();
    if (!ResolveLocationPath(location, path, ui)) {
        return false;
    }
    if (location.kind != kLocDskImage) {
        ReportError(ui, kMsgOnlyTiFilesToDsk);
        return false;
    }
    target = TargetForLocation(location);
    return true;
}

bool SplitLeaf(const std::string &path, std::string &container, std::string &leaf)
{
    size_t cut = path.find_last_of('/');
    if (cut == std::string::npos || cut + 1 >= path.size()) {
        return false;
    }
    container = path.substr(0, cut);
    leaf = path.substr(cut + 1);
    return true;
}

} // namespace kestrel::cli
