#include "ops/line_reader.h"

namespace kestrel
{

LineReader::LineReader(const uint8_t *data, size_t size, int tabWidth)
    : m_data(data), m_size(data ? size : 0), m_tabWidth(tabWidth > 0 ? tabWidth : 0)
{
}

bool LineReader::Next(TextLine &line)
{
    line.text.clear();
    line.lineEnd = 0;
    if (m_position >= m_size) {
        return false;
    }
    while (m_position < m_size) {
        const char c = static_cast<char>(m_data[m_position]);
        if (c == '\r' || c == '\n') {
            ++m_position;
            line.lineEnd = c;
            const char pair = c == '\r' ? '\n' : '\r';
            if (m_position < m_size && static_cast<char>(m_data[m_position]) == pair) {
                ++m_position;
            }
            return true;
        }
        if (line.text.size() >= kMaxLineLength) {
            return true; // the rest forms the next line
        }
        ++m_position;
        if (c == '\t' && m_tabWidth > 0) {
            size_t next = (line.text.size() / m_tabWidth + 1) * m_tabWidth;
            if (next > kMaxLineLength) {
                next = kMaxLineLength;
            }
            line.text.append(next - line.text.size(), ' ');
        } else {
            line.text.push_back(c);
        }
    }
    return true;
}

std::string ApplyLineEndMethod(const TextLine &line, int method)
{
    std::string text = line.text;
    const size_t zero = text.find('\0');
    if (zero != std::string::npos) {
        // The record ends at the zero, and the line end behind it with it.
        text.resize(zero);
        return text;
    }
    if (method == kPcTiLineEndToCr) {
        text.push_back('\r');
    } else if (method == kPcTiLineEndToLf) {
        text.push_back('\n');
    }
    return text;
}

} // namespace kestrel
