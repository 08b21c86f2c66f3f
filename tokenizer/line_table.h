// The program being tokenized, as one call of the library holds it: the
// numbered lines in input order, their token strings, and the running size of
// the PROGRAM memory image. A fresh table is made for every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrel::tokenizer
{

constexpr size_t kMaxLines = 1024;
constexpr size_t kMaxTextLength = 255;

struct ProgramLine {
    int32_t number = 0;
    std::string text;   // statement text behind the number, trimmed, at most 255 characters
    std::string tokens; // tokenized form without the ending 0 byte
};

struct LineTable {
    std::vector<ProgramLine> lines;
    // Size of the PROGRAM image without its 8-byte header: per line the
    // tokens, length byte, ending 0 and a 4-byte table entry.
    uint16_t programSize = 0;
};

// The run log as the steps see it: a level (0 errors ... 5 traces) and one line of text.
using Logger = std::function<void(int level, const std::string &message)>;

} // namespace kestrel::tokenizer
