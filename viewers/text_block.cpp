#include "viewers/text_block.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace kestrel
{

bool TextBlock::Append(std::string_view line)
{
    try {
        m_text.append(line);
    } catch (const std::bad_alloc &) {
        return false;
    } catch (const std::length_error &) {
        return false;
    }
    m_exists = true;
    return true;
}

std::string TextBlock::Release()
{
    m_exists = false;
    return std::exchange(m_text, std::string());
}

} // namespace kestrel
