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

// The first sixteen bytes of a name from byte from on, as CompareNoCase sees them (up to the
// first NUL byte, ASCII capitals folded to lower case), as two numbers. Padding with zeros
// keeps a name before every longer one that starts with it, so comparing the numbers gives
// CompareNoCase's sign wherever they differ. longName says whether bytes follow the sixteen.
void Prefix(const std::string &name, uint64_t (&value)[2], bool &longName)
{
    const char *p = name.c_str();
    for (uint64_t &word : value) {
        word = 0;
        for (int i = 0; i < 8; ++i) {
            unsigned char c = static_cast<unsigned char>(*p);
            if (c >= 'A' && c <= 'Z')
                c = static_cast<unsigned char>(c - 'A' + 'a');
            word = word << 8 | c;
            if (c != 0)
                ++p;
        }
    }
    longName = *p != '\0';
}

// What a sort moves about: the ranks and the first sixteen bytes of each name as numbers, so
// that a comparison looks at a string only when two names agree in all sixteen (a TI name is
// ten bytes: it always fits).
struct SortKey {
    uint64_t rank;          // group, then what the order compares before names
    uint64_t namePrefix[2]; // the "TI name" key, 0 where the order has none
    uint64_t pcPrefix[2];   // the PC name, which every order compares last
    uint32_t index;         // where the entry was, for equal keys
    bool nameLong;          // the name keys go on beyond their prefixes
    bool pcLong;
};

SortKey MakeKey(const CatalogEntry &e, int order, bool pcDirectory, uint32_t index)
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
    if (order != kSortPcName)
        Prefix(CatalogNameKey(e, pcDirectory), key.namePrefix, key.nameLong);
    Prefix(e.pcName, key.pcPrefix, key.pcLong);
    return key;
}

struct KeyBefore {
    const Catalog &catalog;
    bool pcDirectory;
    bool operator()(const SortKey &a, const SortKey &b) const
    {
        if (a.rank != b.rank)
            return a.rank < b.rank;
        for (int i = 0; i < 2; ++i)
            if (a.namePrefix[i] != b.namePrefix[i])
                return a.namePrefix[i] < b.namePrefix[i];
        if (a.nameLong || b.nameLong)
            if (int c = CompareNoCase(CatalogNameKey(*catalog[a.index], pcDirectory),
                                      CatalogNameKey(*catalog[b.index], pcDirectory)))
                return c < 0;
        for (int i = 0; i < 2; ++i)
            if (a.pcPrefix[i] != b.pcPrefix[i])
                return a.pcPrefix[i] < b.pcPrefix[i];
        if (a.pcLong || b.pcLong)
            if (int c = CompareNoCase(catalog[a.index]->pcName, catalog[b.index]->pcName))
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
    // A folder comes in byte order, which is the name order wherever the names agree in case:
    // a catalog in order already costs one look at each neighbour.
    bool inOrder = true;
    for (size_t i = 1; i < catalog.size() && inOrder; ++i)
        inOrder = !CatalogSortsBefore(order, pcDirectory, *catalog[i], *catalog[i - 1]);
    if (inOrder)
        return;
    std::vector<SortKey> keys;
    keys.reserve(catalog.size());
    for (size_t i = 0; i < catalog.size(); ++i)
        keys.push_back(MakeKey(*catalog[i], order, pcDirectory, static_cast<uint32_t>(i)));
    // The index breaks every tie, so the plain sort keeps equal entries in
    // their order as a stable sort would.
    std::sort(keys.begin(), keys.end(), KeyBefore{catalog, pcDirectory});
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
