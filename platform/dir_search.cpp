#include "platform/dir_search.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"

namespace kestrel::platform {

namespace fs = std::filesystem;

namespace {

bool GlobMatch(const std::string& pattern, const std::string& name)
{
    // Iterative matching with one backtrack point: linear in practice and
    // without recursion, whatever the pattern holds.
    size_t p = 0, n = 0;
    size_t starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

int ErrorOf(const std::error_code& ec)
{
    if (!ec)
        return 0;
    if (ec.category() == std::generic_category() || ec.category() == std::system_category())
        return ec.value() != 0 ? ec.value() : EIO;
    return EIO;
}

DirMatch Describe(const fs::path& path, const std::string& name)
{
    DirMatch match;
    match.name = name;
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (!ec && fs::is_directory(status)) {
        match.isDirectory = true;
    } else if (!ec) {
        uintmax_t size = fs::file_size(path, ec);
        match.size = ec ? 0 : static_cast<uint64_t>(size);
    }
    return match;
}

} // namespace

bool HasWildcards(const std::string& component)
{
    return component.find_first_of("*?") != std::string::npos;
}

bool MatchesPattern(const std::string& pattern, const std::string& name)
{
    if (GlobMatch(pattern, name))
        return true;
    // "x.*" stood for "x with any extension or none".
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0 &&
        name.find('.') == std::string::npos)
        return GlobMatch(pattern.substr(0, pattern.size() - 2), name);
    return false;
}

DirSearch FindFiles(const std::string& pattern)
{
    DirSearch result;
    std::string last = LastComponent(pattern);
    std::string dir = CutAtLastSeparator(pattern);
    if (dir.empty() && !pattern.empty() && IsPathSeparator(pattern[0]))
        dir.assign(1, kPathSeparator);
    if (last.empty()) {
        result.error = ENOENT;
        return result;
    }
    try {
        std::error_code ec;
        if (!HasWildcards(last)) {
            fs::path path(pattern);
            (void)fs::symlink_status(path, ec);
            if (ec) {
                result.error = ErrorOf(ec);
                return result;
            }
            result.matches.push_back(Describe(path, last));
            return result;
        }
        fs::path base = dir.empty() ? fs::path(".") : fs::path(dir);
        fs::directory_iterator it(base, ec);
        if (ec) {
            result.error = ErrorOf(ec);
            return result;
        }
        std::vector<DirMatch> found;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec)
                break;
            std::string name = it->path().filename().string();
            if (MatchesPattern(last, name))
                found.push_back(Describe(it->path(), name));
        }
        if (ec && found.empty()) {
            result.error = ErrorOf(ec);
            return result;
        }
        std::sort(found.begin(), found.end(),
                  [](const DirMatch& a, const DirMatch& b) { return a.name < b.name; });
        for (const char* dot : {".", ".."})
            if (MatchesPattern(last, dot))
                result.matches.push_back({dot, true, 0});
        result.matches.insert(result.matches.end(), found.begin(), found.end());
    } catch (const fs::filesystem_error& e) {
        result.matches.clear();
        result.error = ErrorOf(e.code());
        return result;
    } catch (const std::exception&) {
        result.matches.clear();
        result.error = ENOMEM;
        return result;
    }
    if (result.matches.empty())
        result.error = ENOENT;
    return result;
}

} // namespace kestrel::platform
