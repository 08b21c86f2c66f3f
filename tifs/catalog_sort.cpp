#include <algorithm>

#include "tifs/catalog.h"
#include "tifs/catalog_order.h"
#include "tifs/pc_directory_scan.h"

namespace kestrel
{

namespace
{

// Names end at a NUL byte, as they are compared. Called twice per comparison
// of a sort, so the bytes are looked at in place rather than copied.
bool BlankName(const std::string &name)
{
    for (const char *p = name.c_str(); *p != '\0'; ++p) {
        if (*p != ' ') {
            return false;
        }
    }
    return true;
}

int CompareBy(int order, const CatalogEntry &a, const CatalogEntry &b, bool pcDirectory)
{
    switch (order) {
    case kSortPcName:
        return CompareNoCase(a.pcName, b.pcName);
    case kSortTiName: {
        int c = CompareNoCase(CatalogNameKey(a, pcDirectory), CatalogNameKey(b, pcDirectory));
        return c != 0 ? c : CompareNoCase(a.pcName, b.pcName);
    }
    case kSortSectors:
        if (a.ti.sectors != b.ti.sectors) {
            return a.ti.sectors < b.ti.sectors ? -1 : 1;
        }
        return CompareBy(kSortTiName, a, b, pcDirectory);
    case kSortKind: {
        int ra = CatalogKindRank(a.ti.kind);
        int rb = CatalogKindRank(b.ti.kind);
        if (ra != rb) {
            return ra < rb ? -1 : 1;
        }
        return CompareBy(kSortSectors, a, b, pcDirectory);
    }
    case kSortProtection: {
        bool pa = (a.ti.flags & kFlagProtected) != 0;
        bool pb = (b.ti.flags & kFlagProtected) != 0;
        if (pa != pb) {
            return pa ? 1 : -1;
        }
        return CompareBy(kSortKind, a, b, pcDirectory);
    }
    default:
        return 0;
    }
}

} // namespace

int CatalogGroupRank(uint16_t kind)
{
    if (kind == kKindUpDir) {
        return 0;
    }
    if (kind == kKindSubdir) {
        return 1;
    }
    return 2;
}

int CatalogKindRank(uint16_t kind)
{
    switch (kind) {
    case kKindDsk:
        return 0;
    case kKindPc99Sd:
        return 1;
    case kKindPc99Dd:
        return 2;
    case kKindHfe:
        return 3;
    default:
        return 4 + kind;
    }
}

// In a PC folder only TI files are known by a TI name; a plain PC file (which has none) and
// an image (whose TI name is the disk label inside it) go by the file name the folder shows,
// so that the folder reads alphabetically.
const std::string &CatalogNameKey(const CatalogEntry &e, bool pcDirectory)
{
    if (BlankName(e.ti.tiName) || (pcDirectory && !IsTiFileKind(e.ti.kind))) {
        return e.pcName;
    }
    return e.ti.tiName;
}

int CompareNoCase(const std::string &a, const std::string &b)
{
    // The C strings end at a NUL byte, as names are compared everywhere else.
    const char *pa = a.c_str();
    const char *pb = b.c_str();
    for (;; ++pa, ++pb) {
        unsigned char ca = static_cast<unsigned char>(*pa);
        unsigned char cb = static_cast<unsigned char>(*pb);
        if (ca >= 'A' && ca <= 'Z') {
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        }
        if (cb >= 'A' && cb <= 'Z') {
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        }
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        if (ca == 0) {
            return 0;
        }
    }
}

bool CatalogSortsBefore(int order, bool pcDirectory, const CatalogEntry &a, const CatalogEntry &b)
{
    if (order < kSortPcName || order > kSortProtection) {
        return false;
    }
    int ga = CatalogGroupRank(a.ti.kind);
    int gb = CatalogGroupRank(b.ti.kind);
    if (ga != gb) {
        return ga < gb;
    }
    return CompareBy(order, a, b, pcDirectory) < 0;
}

void SortCatalog(Location &location)
{
    int order = location.sortOrder;
    if (order < kSortPcName || order > kSortProtection) {
        return;
    }
    // Keys made once per entry: a folder of a hundred thousand files is sorted without
    // folding two names for every comparison.
    SortCatalogByKeys(location.entries, order, location.kind == kLocPcDirectory);
}

} // namespace kestrel
