#include "tokenizer/line_reader.h"

#include <cstdint>

namespace kestrel::tokenizer
{

bool IsTrimmed(unsigned char c)
{
    return c <= ' ' || c == 0x7F;
}

std::string TrimLine(const std::string &s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && IsTrimmed(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && IsTrimmed(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

void StoreProgramLine(const std::string &raw, LineTable &table, const Logger &log)
{
    const std::string line = TrimLine(raw);
    if (line.empty())
        return;
    size_t digits = 0;
    int64_t number = 0;
    bool inRange = true;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') {
        if (inRange)
            number = number * 10 + (line[digits] - '0');
        if (number > INT32_MAX)
            inRange = false;
        ++digits;
    }
    if (digits == 0 || !inRange || table.lines.size() >= kMaxLines) {
        log(1, "Line " + std::to_string(table.lines.size()) + "is strange [" + line + "]");
        return;
    }
    ProgramLine entry;
    entry.number = static_cast<int32_t>(number);
    entry.text = TrimLine(line.substr(digits, kMaxTextLength));
    table.lines.push_back(std::move(entry));
}

bool ReadProgramLines(std::FILE *input, LineTable &table, const Logger &log)
{
    std::string current;
    char buffer[4096];
    for (;;) {
        const size_t got = std::fread(buffer, 1, sizeof buffer, input);
        for (size_t i = 0; i < got; ++i) {
            if (buffer[i] == '\n') {
                StoreProgramLine(current, table, log);
                current.clear();
            } else {
                current.push_back(buffer[i]);
            }
        }
        if (got < sizeof buffer) {
            if (std::ferror(input))
                return false;
            break;
        }
    }
    StoreProgramLine(current, table, log);
    return true;
}

} // namespace kestrel::tokenizer
