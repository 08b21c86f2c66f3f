#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace kestrel::platform {

namespace fs = std::filesystem;

bool IsPathSeparator(char c)
{
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::string JoinPath(const std::string& dir, const std::string& name)
{
    if (dir.empty())
        return name;
    std::string out = dir;
    size_t start = 0;
    while (start < name.size() && IsPathSeparator(name[start]))
        ++start;
    if (!IsPathSeparator(out.back()))
        out += kPathSeparator;
    out.append(name, start, std::string::npos);
    return out;
}

std::string RemoveTrailingSeparator(const std::string& path)
{
    if (path.size() > 1 && IsPathSeparator(path.back()) && !IsRootPath(path))
        return path.substr(0, path.size() - 1);
    return path;
}

std::string WithTrailingSeparator(const std::string& path)
{
    if (path.empty() || IsPathSeparator(path.back()))
        return path;
    return path + kPathSeparator;
}

namespace {

size_t LastSeparator(const std::string& path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

} // namespace

std::string CutAtLastSeparator(const std::string& path)
{
    size_t pos = LastSeparator(path);
    if (pos == std::string::npos)
        return std::string();
    if (pos == 0)
        return path.substr(0, 1); // the root keeps its separator
    return path.substr(0, pos);
}

std::string DirectoryPart(const std::string& path)
{
    size_t pos = LastSeparator(path);
    if (pos == std::string::npos)
        return std::string();
    return path.substr(0, pos + 1);
}

std::string LastComponent(const std::string& path)
{
    size_t pos = LastSeparator(path);
    if (pos == std::string::npos)
        return path;
    return path.substr(pos + 1);
}

bool IsRootPath(const std::string& path)
{
    if (path.empty())
        return false;
#ifdef _WIN32
    // "C:", "C:\" and "\" are roots there.
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':')
        start = 2;
    for (size_t i = start; i < path.size(); ++i)
        if (!IsPathSeparator(path[i]))
            return false;
    return true;
#else
    for (char c : path)
        if (!IsPathSeparator(c))
            return false;
    return true;
#endif
}

bool SameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (fs::equivalent(fs::path(a), fs::path(b), ec) && !ec)
        return true;
    // One or both do not exist (a target still to be made): compare what
    // the names would resolve to, with case, as the file system does.
    fs::path ca = fs::weakly_canonical(fs::path(a), ec);
    if (ec)
        ca = fs::path(a).lexically_normal();
    std::error_code ec2;
    fs::path cb = fs::weakly_canonical(fs::path(b), ec2);
    if (ec2)
        cb = fs::path(b).lexically_normal();
    return fs::path(RemoveTrailingSeparator(ca.string())) ==
           fs::path(RemoveTrailingSeparator(cb.string()));
}

} // namespace kestrel::platform
