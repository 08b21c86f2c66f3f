#include "viewers/view_caption.h"

#include "tifs/catalog.h"

namespace kestrel
{

std::string ViewFileName(const Location &location, const CatalogEntry &entry)
{
    if (location.kind == kLocPcDirectory && !location.insideContainer) {
        return entry.pcName;
    }
    std::string name = entry.ti.tiName;
    while (!name.empty() && name.back() == ' ') {
        name.pop_back();
    }
    return name;
}

std::string FileViewCaption(const Location &location, const std::string &fileName)
{
    // The path line's text begins with a blank of its own.
    std::string where = PathLineText(location);
    if (!where.empty() && where.front() == ' ') {
        where.erase(0, 1);
    }
    return std::string(kProgramName) + " - " + where + "->" + fileName;
}

void MarkTruncated(std::string &caption, size_t textLength)
{
    if (textLength > kViewTextLimit) {
        caption += kTruncatedSuffix;
    }
}

} // namespace kestrel
