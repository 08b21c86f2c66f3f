// Path text helpers. Paths are plain texts in the platform's own form: "/" is
// the separator and the root of the file system stands where a bare drive
// stood. The "->" notation for places inside containers is not a path and is
// never handled here.
#pragma once

#include <string>

namespace kestrel::platform {

constexpr char kPathSeparator = '/';
constexpr const char* kPathSeparatorText = "/";

bool IsPathSeparator(char c);

// dir + separator + name; no separator is doubled, and an empty dir gives name.
std::string JoinPath(const std::string& dir, const std::string& name);

// Removes one trailing separator, except from the root itself.
std::string RemoveTrailingSeparator(const std::string& path);

// Appends a separator when the path does not end in one (an empty path stays empty).
std::string WithTrailingSeparator(const std::string& path);

// The text before the last separator ("/a/b" -> "/a", "/a" -> "/", "a" -> "").
std::string CutAtLastSeparator(const std::string& path);

// The directory part including its trailing separator ("/a/b.dsk" -> "/a/",
// "b.dsk" -> "").
std::string DirectoryPart(const std::string& path);

// The text after the last separator ("/a/b" -> "b", "/a/" -> "", "b" -> "b").
std::string LastComponent(const std::string& path);

// True for the root of the file system, with or without repeated separators.
bool IsRootPath(const std::string& path);

// True when both paths name the same existing file or directory; for paths
// that do not (both) exist, their normalised absolute forms are compared with
// case. Never throws.
bool SameFile(const std::string& a, const std::string& b);

} // namespace kestrel::platform
