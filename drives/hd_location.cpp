#include "drives/hd_location.h"

#include <cstring>

#include "drives/hd_binding.h"
#include "tifs/messages.h"

namespace kestrel
{

namespace
{

constexpr int kMsgPartitionMissing = 58;
constexpr int kMsgPartitionNotInitialized = 59;

bool SamePathNoCase(const std::string &a, const std::string &b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        int x = static_cast<unsigned char>(a[i]);
        int y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x += 32;
        if (y >= 'A' && y <= 'Z')
            y += 32;
        if (x != y) {
            return false;
        }
    }
    return true;
}

void RebuildInnerPath(Location &location)
{
    location.innerPath.clear();
    for (size_t i = 1; i < location.containerEntries.size(); ++i) {
        if (i > 1) {
            location.innerPath += '.';
        }
        location.innerPath += HdName(location.containerEntries[i].ti.tiName);
    }
}

} // namespace

std::string HdName(const std::string &tiName)
{
    std::string name;
    for (char c : tiName) {
        if (c == ' ' || c == '\0' || name.size() == 10) {
            break;
        }
        name.push_back(c);
    }
    return name;
}

int HdDepth(const Location &location)
{
    return static_cast<int>(location.containerEntries.size());
}

uint32_t HdVolumeSector(const Location &location)
{
    return location.containerEntries.empty() ? 0 : location.containerEntries.back().baseOffset;
}

bool PushHdName(Location &location, const CatalogEntry &entry)
{
    if (HdDepth(location) >= kHdNameStackLimit) {
        return false;
    }
    location.containerEntries.push_back(entry);
    location.hdLevel = HdDepth(location) + 1;
    location.insideContainer = true;
    RebuildInnerPath(location);
    return true;
}

void PopHdName(Location &location)
{
    if (!location.containerEntries.empty()) {
        location.containerEntries.pop_back();
    }
    location.hdLevel = location.containerEntries.empty() ? 0 : HdDepth(location) + 1;
    location.insideContainer = !location.containerEntries.empty();
    RebuildInnerPath(location);
}

bool PointHdLibrary(const Location &location, Ui &ui)
{
    if (!BindHdLibrary(ui)) {
        return false;
    }
    HdBinding &b = TheHdBinding();
    if (!SamePathNoCase(location.path, CachedHdImagePath())) {
        SetCachedHdImagePath(location.path);
        b.openImage(location.path.c_str());
    }
    int32_t answer = b.selectVolumeBySector(HdVolumeSector(location));
    if (answer == -1) {
        ReportError(ui, kMsgPartitionMissing);
    } else if (answer == 1) {
        ReportError(ui, kMsgPartitionNotInitialized);
    }
    return true;
}

std::string HdTiPath(const Location &location, const std::string &tiName)
{
    std::string rest = location.innerPath;
    if (location.kind == kLocHdPartition) {
        size_t dot = rest.find('.');
        rest = dot == std::string::npos ? std::string() : rest.substr(dot + 1);
    }
    if (!rest.empty() && rest[0] == '.') {
        rest.erase(0, 1);
    }
    std::string path = rest.empty() ? std::string(".") : "." + rest + ".";
    if (!tiName.empty()) {
        path += HdName(tiName);
    }
    return path;
}

brackenly::FileRequest HdRequest()
{
    brackenly::FileRequest request;
    std::memset(&request, 0, sizeof request);
    request.slot = 1;
    return request;
}

void SetRequestPath(brackenly::FileRequest &request, const std::string &path)
{
    size_t n = std::min(path.size(), sizeof request.path - 1);
    std::memcpy(request.path, path.data(), n);
    request.path[n] = '\0';
}

brackenly::FileRequest HdRequestFromEntry(const CatalogEntry &entry)
{
    brackenly::FileRequest request = HdRequest();
    request.isDirectory = entry.ti.kind == kKindSubdir ? 1 : 0;
    request.flags = static_cast<uint8_t>(entry.ti.flags & ~kFlagArchive);
    // A PROGRAM entry carries its byte size where other files keep the
    // record length; the FDR's record length byte of a program is 0.
    request.recordLength = (entry.ti.flags & kFlagProgram) ? 0 : entry.ti.recordLength;
    request.sectors = entry.ti.sectors;
    request.endOfFileOffset = entry.ti.eofOffset;
    request.level3Count = entry.ti.level3Count;
    request.recordsPerSector = entry.ti.recordsPerSector;
    SetRequestPath(request, entry.ti.tiName);
    return request;
}

} // namespace kestrel
