#include "tifs/catalog_order.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "tifs/catalog.h"
#include "tifs/location.h"
#include "tifs/pc_directory_scan.h"

namespace kestrel
{

namespace
{

// A name as CompareNoCase sees it: up to its first NUL byte, ASCII capitals
// folded to lower case. Byte-wise comparison of two folded names (unsigned,
// the shorter first when one is a prefix of the other) then gives the sign
// CompareNoCase gives.
std::string Folded(const std::string &name)
{
    std::string out(name.c_str());
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// What a sort moves about: the ranks and the first sixteen bytes of each
// folded name as numbers, so that most comparisons never look at a string
// (a TI name is ten bytes: it always fits).
// Names are folded without NUL bytes, so padding with zeros keeps a name
// before every longer one that starts with it.
struct SortKey {
    uint64_t rank;       // group, then what the order compares before names
    uint64_t namePrefix[2]; // the "TI name" key, 0 where the order has none
    uint64_t pcPrefix[2];   // the PC name, which every order compares last
    uint32_t index;      // where the entry was, for equal keys
};

struct SortNames {
    std::vector<std::string> name, pc;
};

uint64_t Prefix(const std::string &folded, size_t from)
{
    uint64_t value = 0;
    for (size_t i = from; i < from + 8; ++i)
        value = value << 8 | (i < folded.size() ? static_cast<unsigned char>(folded[i]) : 0u);
    return value;
}

SortKey MakeKey(const CatalogEntry &e, int order, bool pcDirectory, uint32_t index,
                SortNames &names)
{
    SortKey key{};
    key.index = index;
    const uint16_t kind = e.ti.kind;
    uint64_t rank = 0;
    switch (order) {
    case kSortSectors:
        rank = e.ti.sectors;
        break;
    case kSortKind:
        rank = static_cast<uint64_t>(CatalogKindRank(kind)) << 16 | e.ti.sectors;
        break;
    case kSortProtection:
        rank = static_cast<uint64_t>((e.ti.flags & kFlagProtected) != 0) << 33 |
               static_cast<uint64_t>(CatalogKindRank(kind)) << 16 | e.ti.sectors;
        break;
    default:
        break;
    }
    key.rank = static_cast<uint64_t>(CatalogGroupRank(kind)) << 40 | rank;
    if (order != kSortPcName) {
        names.name[index] = Folded(CatalogNameKey(e, pcDirectory));
        key.namePrefix[0] = Prefix(names.name[index], 0);
        key.namePrefix[1] = Prefix(names.name[index], 8);
    }
    names.pc[index] = Folded(e.pcName);
    key.pcPrefix[0] = Prefix(names.pc[index], 0);
    key.pcPrefix[1] = Prefix(names.pc[index], 8);
    return key;
}

struct KeyBefore {
    const SortNames &names;
    bool operator()(const SortKey &a, const SortKey &b) const
    {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        for (int i = 0; i < 2; ++i)
            if (a.namePrefix[i] != b.namePrefix[i])
                return a.namePrefix[i] < b.namePrefix[i];
        if (int c = names.name[a.index].compare(names.name[b.index]))
            return c < 0;
        for (int i = 0; i < 2; ++i)
            if (a.pcPrefix[i] != b.pcPrefix[i])
                return a.pcPrefix[i] < b.pcPrefix[i];
        if (int c = names.pc[a.index].compare(names.pc[b.index]))
            return c < 0;
        return a.index < b.index;
    }
};

bool SortsByKeys(int order)
{
    return order >= kSortPcName && order <= kSortProtection;
}

} // namespace

void SortCatalogByKeys(Catalog &catalog, int order, bool pcDirectory)
{
    if (!SortsByKeys(order) || catalog.size() < 2)
        return;
    SortNames names;
    names.name.resize(catalog.size());
    names.pc.resize(catalog.size());
    std::vector<SortKey> keys;
    keys.reserve(catalog.size());
    for (size_t i = 0; i < catalog.size(); ++i)
        keys.push_back(MakeKey(*catalog[i], order, pcDirectory, static_cast<uint32_t>(i), names));
    // The index breaks every tie, so the plain sort keeps equal entries in
    // their order as a stable sort would.
    std::sort(keys.begin(), keys.end(), KeyBefore{names});
    Catalog sorted;
    sorted.reserve(catalog.size());
    for (const SortKey &key : keys)
        sorted.push_back(std::move(catalog[key.index]));
    catalog.swap(sorted);
}

void MergeSortedBatch(Catalog &catalog, Catalog &&batch, int order, bool pcDirectory)
{
    if (batch.empty())
        return;
    SortCatalogByKeys(batch, order, pcDirectory);
    const size_t middle = catalog.size();
    catalog.insert(catalog.end(), std::make_move_iterator(batch.begin()),
                   std::make_move_iterator(batch.end()));
    batch.clear();
    if (!SortsByKeys(order) || middle == 0)
        return;
    // Entries of the batch that sort after the last listed one stay where
    // they are; only the rest is merged, so a batch that continues the list
    // (the usual case in name order) costs no pass over it.
    auto before = [order, pcDirectory](const std::unique_ptr<CatalogEntry> &a,
                                       const std::unique_ptr<CatalogEntry> &b) {
        return CatalogSortsBefore(order, pcDirectory, *a, *b);
    };
    auto mid = catalog.begin() + static_cast<std::ptrdiff_t>(middle);
    if (!before(*mid, *(mid - 1)))
        return;
    // Equal entries of the batch go after the listed ones: upper_bound.
    auto from = std::upper_bound(catalog.begin(), mid, *mid, before);
    std::inplace_merge(from, mid, catalog.end(), before);
}

} // namespace kestrel
