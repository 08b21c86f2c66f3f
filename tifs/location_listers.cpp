#include "tifs/location_listers.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace kestrel
{

namespace
{

template <typename Fn> struct Prioritized {
    int priority;
    int sequence; // keeps registration order among equal priorities
    Fn fn;
};

template <typename Fn> void InsertSorted(std::vector<Prioritized<Fn>> &list, int priority, Fn fn)
{
    if (fn == nullptr) {
        return;
    }
    for (const auto &item : list) {
        if (item.fn == fn) {
            return; // registering twice must not run a recogniser twice
        }
    }
    int sequence = static_cast<int>(list.size());
    list.push_back({priority, sequence, fn});
    std::stable_sort(list.begin(), list.end(),
                     [](const auto &a, const auto &b) { return a.priority < b.priority; });
}

struct Registry {
    std::vector<Prioritized<ImageRecognizer>> recognizers;
    std::vector<Prioritized<PathLister>> pathListers;
    std::map<uint16_t, EntryOpener> openers;
    std::map<std::pair<int, uint16_t>, EntryOpener> openersIn;
    std::map<int, LevelUp> levelUps;
    std::map<int, EntrySaver> savers;
};

Registry &TheRegistry()
{
    static Registry registry;
    return registry;
}

template <typename Map>
auto FindIn(const Map &map, typename Map::key_type key) -> typename Map::mapped_type
{
    auto it = map.find(key);
    return it == map.end() ? nullptr : it->second;
}

} // namespace

void RegisterImageRecognizer(int priority, ImageRecognizer recognizer)
{
    InsertSorted(TheRegistry().recognizers, priority, recognizer);
}

void RegisterEntryOpener(uint16_t entryKind, EntryOpener opener)
{
    TheRegistry().openers[entryKind] = opener;
}

void RegisterEntryOpenerIn(int locationKind, uint16_t entryKind, EntryOpener opener)
{
    TheRegistry().openersIn[{locationKind, entryKind}] = opener;
}

void RegisterPathLister(int priority, PathLister lister)
{
    InsertSorted(TheRegistry().pathListers, priority, lister);
}

void RegisterLevelUp(int locationKind, LevelUp up)
{
    TheRegistry().levelUps[locationKind] = up;
}

void RegisterEntrySaver(int locationKind, EntrySaver saver)
{
    TheRegistry().savers[locationKind] = saver;
}

EntryOpener FindEntryOpener(uint16_t entryKind)
{
    return FindIn(TheRegistry().openers, entryKind);
}

EntryOpener FindEntryOpenerIn(int locationKind, uint16_t entryKind)
{
    EntryOpener opener = FindIn(TheRegistry().openersIn, {locationKind, entryKind});
    return opener != nullptr ? opener : FindEntryOpener(entryKind);
}

LevelUp FindLevelUp(int locationKind)
{
    return FindIn(TheRegistry().levelUps, locationKind);
}

EntrySaver FindEntrySaver(int locationKind)
{
    return FindIn(TheRegistry().savers, locationKind);
}

bool RecognizeImage(const std::string &path, const uint8_t *first256, uint64_t fileSize,
                    CatalogEntry &entry)
{
    for (const auto &item : TheRegistry().recognizers) {
        if (item.fn(path, first256, fileSize, entry)) {
            return true;
        }
    }
    return false;
}

bool ListImagePath(Location &location, const std::string &path, Ui &ui, bool &reported)
{
    reported = false;
    for (const auto &item : TheRegistry().pathListers) {
        bool itemReported = false;
        if (item.fn(location, path, ui, itemReported)) {
            return true;
        }
        if (itemReported) {
            reported = true;
            return false;
        }
    }
    return false;
}

} // namespace kestrel
