// Paths that lead into containers: "demo/games.dsk/UTIL/HELLO". The leading
// part is a PC path; each further name is an entry inside what the previous
// one opened.
#include <cerrno>
#include <vector>

#include "platform/paths.h"
#include "tifs/catalog.h"
#include "tifs/location_listers.h"
#include "tifs/messages.h"
#include "tifs/pc_directory.h"
#include "tifs/settings.h"
#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr int kMsgCantRead = 0;
constexpr int kMsgFileMissing = 35;

std::string TrimTrailingBlanks(const std::string &text)
{
    std::string trimmed(text.c_str());
    while (!trimmed.empty() && IsSpaceChar(static_cast<unsigned char>(trimmed.back()))) {
        trimmed.pop_back();
    }
    return trimmed;
}

std::vector<std::string> SplitNames(const std::string &path)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(platform::kPathSeparator, start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (end > start) {
            names.push_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return names;
}

// Kinds whose entry is a file to hand back as a leaf rather than a place to go.
bool IsFileKind(uint16_t kind)
{
    return kind <= kKindProgram || kind == kKindUnknown || kind == kKindDos;
}

bool OpenEntryReporting(Location &location, const CatalogEntry &entry, const std::string &path,
                        Ui &ui)
{
    int before = ui.LastMessage();
    ui.SetLastMessage(-1);
    bool opened = OpenEntry(location, entry, ui);
    bool reported = ui.LastMessage() != -1;
    if (!reported) {
        ui.SetLastMessage(before);
    }
    if (!opened && !reported) {
        ReportSystemError(ui, ENOTDIR, kMsgCantRead, {path});
    }
    return opened;
}

bool EnterFromFolder(Location &location, const std::string &file, const std::string &path, Ui &ui)
{
    std::string folder = ParentPcPath(file);
    std::string name = platform::LastComponent(file);
    location.startPath = folder;
    location.path = folder;
    if (!OpenLocation(location, ui)) {
        return false;
    }
    const CatalogEntry *entry = nullptr;
    for (const auto &e : location.entries) {
        if (e->pcName == name) {
            entry = e.get();
            break;
        }
    }
    if (entry == nullptr) {
        ReportSystemError(ui, ENOENT, kMsgCantRead, {path});
        return false;
    }
    return OpenEntryReporting(location, *entry, path, ui);
}

} // namespace

const CatalogEntry *FindEntryByName(const Location &location, const std::string &name)
{
    if (name.empty()) {
        return nullptr;
    }
    if (location.kind == kLocPcDirectory) {
        for (const auto &e : location.entries) {
            if (e->pcName == name) {
                return e.get();
            }
        }
    }
    // Volumes of a card are also reached by their number ("card.cf7/3"), as
    // their PC name "VOL #003" shows it.
    bool allDigits = name.find_first_not_of("0123456789") == std::string::npos;
    if (allDigits && name.size() <= 9) {
        unsigned long wanted = std::stoul(name);
        for (const auto &e : location.entries) {
            if (e->ti.kind != kKindCf7DriveVolume && e->ti.kind != kKindCf7ImageVolume) {
                continue;
            }
            size_t hash = e->pcName.find('#');
            if (hash == std::string::npos || hash + 1 >= e->pcName.size()) {
                continue;
            }
            const std::string digits = e->pcName.substr(hash + 1);
            if (digits.find_first_not_of("0123456789") == std::string::npos &&
                digits.size() <= 9 && std::stoul(digits) == wanted) {
                return e.get();
            }
        }
    }
    bool zub = ProgramSettings().zubCompatible;
    for (const auto &e : location.entries) {
        std::string tiName = TrimTrailingBlanks(e->ti.tiName);
        if (tiName.empty()) {
            continue;
        }
        if (CompareNoCase(tiName, name) == 0 ||
            CompareNoCase(TiNameToPcName(e->ti.tiName, zub), name) == 0) {
            return e.get();
        }
    }
    return nullptr;
}

bool ResolveLocationPath(Location &location, const std::string &path, Ui &ui, std::string *leaf)
{
    if (leaf != nullptr) {
        leaf->clear();
    }
    std::vector<std::string> names = SplitNames(path);
    bool absolute = !path.empty() && path[0] == platform::kPathSeparator;

    // The longest leading part that exists on the PC side; a file ends it,
    // since what follows is inside that file.
    std::string pcPart = absolute ? std::string(1, platform::kPathSeparator) : std::string();
    size_t next = 0;
    int error = 0;
    bool pcPartIsFile = false;
    for (; next < names.size(); ++next) {
        std::string candidate = pcPart.empty() ? names[next] : JoinPcPath(pcPart, names[next]);
        int kind = PcPathKind(candidate, &error);
        if (kind == 0) {
            break;
        }
        pcPart = candidate;
        if (kind == 2) {
            pcPartIsFile = true;
            ++next;
            break;
        }
    }
    // A last name with "*" is a search pattern in the folder before it.
    if (!pcPartIsFile && next + 1 == names.size() && names[next].find('*') != std::string::npos) {
        pcPart = JoinPcPath(pcPart.empty() ? std::string(".") : pcPart, names[next]);
        ++next;
    }
    if (pcPart.empty()) {
        if (names.empty()) {
            pcPart.assign(1, '.');
        } else {
            // Nothing of the path exists: report it as the missing folder it names.
            location.entries.clear();
            ReportSystemError(ui, error != 0 ? error : ENOENT, kMsgCantRead, {path});
            return false;
        }
    }

    ResetContainerState(location);
    location.startPath = pcPart;
    location.path = pcPart;
    location.pcLevelsEntered = 0;
    location.entries.clear();
    if (pcPartIsFile) {
        bool reported = false;
        if (!ListImagePath(location, pcPart, ui, reported)) {
            if (reported) {
                return false;
            }
            // No module lists the file by its path: enter it from its folder,
            // as Enter on its entry would.
            if (!EnterFromFolder(location, pcPart, path, ui)) {
                return false;
            }
        }
    } else if (!OpenLocation(location, ui)) {
        return false;
    }

    bool insideContainer = pcPartIsFile;
    for (; next < names.size(); ++next) {
        const std::string &name = names[next];
        bool last = next + 1 == names.size();
        const CatalogEntry *found = FindEntryByName(location, name);
        if (found == nullptr) {
            if (insideContainer) {
                ReportError(ui, kMsgFileMissing, {name});
            } else {
                ReportSystemError(ui, ENOENT, kMsgCantRead, {path});
            }
            return false;
        }
        if (last && leaf != nullptr && IsFileKind(found->ti.kind)) {
            *leaf = name;
            return true;
        }
        if (!OpenEntryReporting(location, *found, path, ui)) {
            return false;
        }
        insideContainer = insideContainer || location.kind != kLocPcDirectory;
    }
    return true;
}

} // namespace kestrel
