// Directory search in the manner of FindFirstFile: a path whose last
// component may hold the wildcards "*" (any run of characters) and "?" (any
// one character). Names compare with case, as the file system does. A
// pattern ending in ".*" also matches names without any dot, so "*.*"
// matches every name, as it always did for this program.
// For a wildcard pattern the entries "." and ".." come first when they match
// (so the first match of "dir/*.*" is "." exactly when dir is a directory);
// the other matches follow in byte order of their names. Never throws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::platform {

struct DirMatch {
    std::string name;
    bool isDirectory = false;
    uint64_t size = 0; // 0 for directories and for entries whose size cannot be read
};

struct DirSearch {
    // 0 when at least one entry matched; else the errno of the failed search
    // (ENOENT when the directory exists but nothing in it matches).
    int error = 0;
    std::vector<DirMatch> matches;
};

// True when name matches a last-component pattern with "*" and "?".
bool MatchesPattern(const std::string& pattern, const std::string& name);

bool HasWildcards(const std::string& component);

// Searches the directory part of pattern for names matching its last
// component. A last component without wildcards finds that one entry.
DirSearch FindFiles(const std::string& pattern);

} // namespace kestrel::platform
