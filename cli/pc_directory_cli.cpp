#include "cli/pc_directory_cli.h"

#include <filesystem>

#include "ops/delete_entries.h"
#include "ops/new_directory.h"
#include "ops/rename_entry.h"
#include "platform/paths.h"
#include "tifs/catalog.h"
#include "tifs/messages.h"

namespace kestrel::cli {

namespace {

constexpr int kMsgFileMissing = 35;

// Lists the folder of PATH/NAME and finds NAME in it.
CatalogEntry *FindInFolder(const std::string &path, Location &location, Ui &ui)
{
    location.path = location.startPath = platform::CutAtLastSeparator(path);
    if (location.path.empty())
        location.path = location.startPath = ".";
    if (!OpenLocation(location, ui))
        return nullptr;
    const std::string name = platform::LastComponent(path);
    for (auto &entry : location.entries)
        if (entry->pcName == name)
            return entry.get();
    ReportError(ui, kMsgFileMissing, {name});
    return nullptr;
}

} // namespace

bool IsPcDirectoryItem(const std::string &path)
{
    std::error_code ec;
    std::string folder = platform::CutAtLastSeparator(path);
    if (folder.empty())
        folder = ".";
    return std::filesystem::is_directory(folder, ec);
}

int RemoveFoundEntry(Location &location, CatalogEntry *entry, Ui &ui)
{
    if (entry == nullptr || !CheckDelete(location, entry, ui))
        return 1;
    return DeleteEntries(location, entry, DeleteOptions{}, ui) == 1 ? 0 : 1;
}

int RenameFoundEntry(Location &location, CatalogEntry *entry, const std::string &newName, Ui &ui)
{
    if (entry == nullptr || !CheckRename(location, entry, ui))
        return 1;
    RenameOptions options;
    options.newName = newName;
    return RenameEntry(location, *entry, options, ui) ? 0 : 1;
}

int RemoveFromPcDirectory(const std::string &path, Ui &ui)
{
    Location location;
    CatalogEntry *entry = FindInFolder(path, location, ui);
    return RemoveFoundEntry(location, entry, ui);
}

int RenameInPcDirectory(const std::string &path, const std::string &newName, Ui &ui)
{
    Location location;
    CatalogEntry *entry = FindInFolder(path, location, ui);
    return RenameFoundEntry(location, entry, newName, ui);
}

int MakeDirectoryInPcDirectory(const std::string &folder, const std::string &name, Ui &ui)
{
    Location location;
    location.path = location.startPath = folder;
    if (!OpenLocation(location, ui) || !CheckNewDirectory(location, ui))
        return 1;
    NewDirectoryOptions options;
    options.name = name;
    return CreateNewDirectory(location, options, ui) ? 0 : 1;
}

} // namespace kestrel::cli
