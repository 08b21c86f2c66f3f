// Path helpers of the PC-directory catalog over the platform's path rules.
#pragma once

#include <string>

namespace kestrel
{

// dir + separator + name, without doubling a separator that dir ends with.
std::string JoinPcPath(const std::string &dir, const std::string &name);

// The path cut at its last separator ("/" for a top-level entry, "." when
// the path holds no separator).
std::string ParentPcPath(const std::string &path);

// The path without one trailing separator (the root stays as it is).
std::string StripTrailingSeparator(const std::string &path);

// Kind of a PC path: 0 missing (error set to the system code), 1 directory,
// 2 any other existing item.
int PcPathKind(const std::string &path, int *error = nullptr);

} // namespace kestrel
