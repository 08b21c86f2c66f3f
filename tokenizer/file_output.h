// Writing a finished file image to an open output; false on any short write.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace kestrel::tokenizer
{

inline bool WriteAll(std::FILE *out, const std::vector<uint8_t> &bytes)
{
    if (!out)
        return false;
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size())
        return false;
    return std::fflush(out) == 0;
}

} // namespace kestrel::tokenizer
