// The growable text a listing is collected in: absent until the first line
// arrives, then always NUL-terminated. The caller owns it and passes it in
// empty; the lister fills it line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kestrel
{

class TextBlock
{
public:
    // False while no line was appended (the block does not exist yet).
    bool Exists() const { return m_exists; }
    const char *Data() const { return m_text.c_str(); }
    size_t Length() const { return m_text.size(); }
    const std::string &Text() const { return m_text; }

    // Appends a line (its text up to the NUL). False when memory is
    // exhausted; the block then keeps what it held.
    bool Append(std::string_view line);

    // Hands the text over and leaves the block absent again.
    std::string Release();

private:
    std::string m_text;
    bool m_exists = false;
};

} // namespace kestrel
