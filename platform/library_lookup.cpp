#include "platform/library_lookup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/paths.h"

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#else
#include <unistd.h>
#endif

// The build gives both: the way from the installed bin/ folder to the
// installed library folder, and that folder under the configured prefix.
#ifndef KESTREL_LIBDIR_FROM_BINDIR
#define KESTREL_LIBDIR_FROM_BINDIR "../lib/kestrel"
#endif
#ifndef KESTREL_INSTALLED_LIBDIR
#define KESTREL_INSTALLED_LIBDIR ""
#endif

namespace kestrel::platform
{

namespace fs = std::filesystem;

namespace
{

std::string ExecutablePath()
{
#if defined(_WIN32)
    std::string buffer(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0)
            return std::string();
        if (n < buffer.size())
            return buffer.substr(0, n);
        buffer.resize(buffer.size() * 2);
    }
#elif defined(__APPLE__)
    uint32_t size = 0;
    _NSGetExecutablePath(nullptr, &size);
    std::string buffer(size, '\0');
    if (_NSGetExecutablePath(buffer.data(), &size) != 0)
        return std::string();
    return std::string(buffer.c_str());
#else
    // The link names the file itself, so a program started through a
    // symbolic link (/usr/local/bin/kestrel-cli -> /opt/...) still finds
    // the libraries of its own installation.
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.string();
#endif
}

std::string Normal(const fs::path &path)
{
    return RemoveTrailingSeparator(path.lexically_normal().string());
}

} // namespace

std::string ExecutableDirectory()
{
    std::string path = ExecutablePath();
    if (path.empty())
        return path;
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(fs::path(path), ec);
    return Normal((ec ? fs::path(path) : canonical).parent_path());
}

std::vector<std::string> LibrarySearchDirectories(const std::string &executableDir)
{
    std::vector<std::string> dirs;
    auto add = [&dirs](const std::string &dir) {
        if (!dir.empty() && std::find(dirs.begin(), dirs.end(), dir) == dirs.end())
            dirs.push_back(dir);
    };
    if (!executableDir.empty()) {
        add(Normal(fs::path(executableDir)));
        add(Normal(fs::path(executableDir) / KESTREL_LIBDIR_FROM_BINDIR));
    }
    const std::string installed = KESTREL_INSTALLED_LIBDIR;
    if (!installed.empty())
        add(Normal(fs::path(installed)));
    return dirs;
}

std::vector<std::string> LibrarySearchDirectories()
{
    return LibrarySearchDirectories(ExecutableDirectory());
}

std::vector<std::string> DefaultLibraryCandidates(const std::string &fileName,
                                                  const std::string &workingDirPath)
{
    std::vector<std::string> paths;
    for (const std::string &dir : LibrarySearchDirectories())
        paths.push_back(JoinPath(dir, fileName));
    paths.push_back(workingDirPath);
    return paths;
}

bool LoadFirstLibrary(Library &library, const std::vector<std::string> &paths, std::string &path)
{
    path.clear();
    for (const std::string &candidate : paths) {
        path = candidate;
        if (library.Load(candidate))
            return true;
    }
    return false;
}

} // namespace kestrel::platform
