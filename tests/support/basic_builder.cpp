#include "tests/support/basic_builder.h"

#include <algorithm>

namespace kestrel::testing
{

namespace
{

void PutWord(std::vector<uint8_t> &out, size_t pos, uint16_t value)
{
    out[pos] = static_cast<uint8_t>(value >> 8);
    out[pos + 1] = static_cast<uint8_t>(value);
}

void PushWord(std::vector<uint8_t> &out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

} // namespace

TokenLine &TokenLine::Keyword(uint8_t code)
{
    m_bytes.push_back(code);
    return *this;
}

TokenLine &TokenLine::Literal(const std::string &text)
{
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return *this;
}

TokenLine &TokenLine::Quoted(const std::string &text)
{
    m_bytes.push_back(0xC7);
    m_bytes.push_back(static_cast<uint8_t>(text.size()));
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return *this;
}

TokenLine &TokenLine::Unquoted(const std::string &text)
{
    m_bytes.push_back(0xC8);
    m_bytes.push_back(static_cast<uint8_t>(text.size()));
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return *this;
}

TokenLine &TokenLine::LineRef(uint16_t number)
{
    m_bytes.push_back(0xC9);
    PushWord(m_bytes, number);
    return *this;
}

TokenLine &TokenLine::Raw(const std::vector<uint8_t> &bytes)
{
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<uint8_t> TokenLine::Bytes() const
{
    std::vector<uint8_t> bytes = m_bytes;
    bytes.push_back(0);
    return bytes;
}

ProgramImage BuildImage(const std::vector<BasicLine> &lines, const ProgramOptions &options)
{
    // The table is kept in descending order of line numbers.
    std::vector<BasicLine> sorted = lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const BasicLine &a, const BasicLine &b) { return a.number > b.number; });
    size_t size = sorted.size() * 4;
    for (const BasicLine &line : sorted) {
        size += 1 + line.tokens.size();
    }
    ProgramImage p;
    p.top = options.top != 0 ? options.top : (size < 0x3000 ? 0x37D7 : 0xFFE7);
    p.tableStart = static_cast<uint16_t>(p.top + 1 - size);
    p.tableEnd = static_cast<uint16_t>(p.tableStart + sorted.size() * 4 - 1);
    const uint16_t x = static_cast<uint16_t>(p.tableEnd ^ p.tableStart);
    p.check = options.negatedCheck ? static_cast<uint16_t>(0x10000 - x) : x;

    p.image.assign(sorted.size() * 4, 0);
    // Lines are stored from the top down, the first table entry's line last.
    size_t pos = sorted.size() * 4;
    for (size_t i = sorted.size(); i-- > 0;) {
        const BasicLine &line = sorted[i];
        p.image.push_back(static_cast<uint8_t>(line.tokens.size()));
        const uint16_t pointer = static_cast<uint16_t>(p.tableStart + pos + 1);
        p.image.insert(p.image.end(), line.tokens.begin(), line.tokens.end());
        PutWord(p.image, i * 4, line.number);
        PutWord(p.image, i * 4 + 2, pointer);
        pos += 1 + line.tokens.size();
    }
    return p;
}

std::vector<uint8_t> BuildProgramFile(const std::vector<BasicLine> &lines,
                                      const ProgramOptions &options)
{
    const ProgramImage p = BuildImage(lines, options);
    std::vector<uint8_t> out;
    PushWord(out, p.check);
    PushWord(out, p.tableEnd);
    PushWord(out, p.tableStart);
    PushWord(out, p.top);
    out.insert(out.end(), p.image.begin(), p.image.end());
    return out;
}

std::vector<uint8_t> BuildLongProgram(const std::vector<BasicLine> &lines,
                                      const ProgramOptions &options)
{
    ProgramOptions longOptions = options;
    if (longOptions.top == 0) {
        longOptions.top = 0xFFE7;
    }
    const ProgramImage p = BuildImage(lines, longOptions);
    std::vector<uint8_t> out(256, 0);
    out[0] = 10;
    out[1] = 0xAB;
    out[2] = 0xCD;
    PutWord(out, 3, p.tableStart);
    PutWord(out, 5, p.tableEnd);
    PutWord(out, 7, p.check);
    PutWord(out, 9, p.top);
    out[11] = 0xFF;
    for (size_t pos = 0; pos < p.image.size(); pos += 254) {
        const size_t n = std::min<size_t>(254, p.image.size() - pos);
        std::vector<uint8_t> sector(256, 0);
        sector[0] = static_cast<uint8_t>(n);
        std::copy_n(p.image.begin() + static_cast<std::ptrdiff_t>(pos), n, sector.begin() + 1);
        sector[1 + n] = 0xFF;
        out.insert(out.end(), sector.begin(), sector.end());
    }
    return out;
}

std::vector<uint8_t> BuildMergeFile(const std::vector<BasicLine> &lines)
{
    std::vector<uint8_t> out;
    std::vector<uint8_t> sector;
    auto closeSector = [&] {
        sector.push_back(0xFF);
        sector.resize(256, 0);
        out.insert(out.end(), sector.begin(), sector.end());
        sector.clear();
    };
    auto addRecord = [&](uint16_t number, const std::vector<uint8_t> &tokens) {
        const size_t length = 2 + tokens.size();
        if (sector.size() + 1 + length + 1 > 256) {
            closeSector();
        }
        sector.push_back(static_cast<uint8_t>(length));
        PushWord(sector, number);
        sector.insert(sector.end(), tokens.begin(), tokens.end());
    };
    for (const BasicLine &line : lines) {
        addRecord(line.number, line.tokens);
    }
    addRecord(0xFFFF, {});
    closeSector();
    return out;
}

} // namespace kestrel::testing
