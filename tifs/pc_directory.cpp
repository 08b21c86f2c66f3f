#include "tifs/pc_directory.h"

#include <cerrno>

#include <sys/stat.h>

#include "platform/paths.h"

namespace kestrel
{

std::string JoinPcPath(const std::string &dir, const std::string &name)
{
    return platform::JoinPath(dir, name);
}

std::string ParentPcPath(const std::string &path)
{
    std::string parent = platform::CutAtLastSeparator(platform::RemoveTrailingSeparator(path));
    if (parent.empty()) {
        return platform::IsRootPath(path) ? path : std::string(".");
    }
    return parent;
}

std::string StripTrailingSeparator(const std::string &path)
{
    return platform::RemoveTrailingSeparator(path);
}

int PcPathKind(const std::string &path, int *error)
{
    struct stat info;
    if (stat(path.c_str(), &info) != 0) {
        if (error != nullptr) {
            *error = errno;
        }
        return 0;
    }
    return S_ISDIR(info.st_mode) ? 1 : 2;
}

} // namespace kestrel
