// Byte-level builders of tokenized Extended BASIC programs in their three
// stored forms, for tests and the demo generator: the PROGRAM memory image,
// the long format (INT/VAR 254 records) and the MERGE form (DIS/VAR 163).
// Each returns the data behind the 128-byte PC header, whole sectors
// except for the PROGRAM image, whose file ends where the image ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrel::testing
{

// One line's tokens, built from its parts; the ending 0 is added by Bytes().
class TokenLine
{
public:
    TokenLine &Keyword(uint8_t code);
    TokenLine &Literal(const std::string &text);  // bytes below 0x80, copied as they are
    TokenLine &Quoted(const std::string &text);   // 0xC7 n text
    TokenLine &Unquoted(const std::string &text); // 0xC8 n text
    TokenLine &LineRef(uint16_t number);          // 0xC9 word
    TokenLine &Raw(const std::vector<uint8_t> &bytes);
    std::vector<uint8_t> Bytes() const; // with the ending 0

private:
    std::vector<uint8_t> m_bytes;
};

struct BasicLine {
    uint16_t number = 0;
    std::vector<uint8_t> tokens; // with the ending 0
};

struct ProgramOptions {
    bool negatedCheck = false; // store -(end XOR start) instead of end XOR start
    uint16_t top = 0;          // highest address; 0 picks one that fits the image
};

// The memory image: the line-number table (descending line numbers) from
// tableStart, the lines behind it, the last byte at top.
struct ProgramImage {
    uint16_t tableStart = 0;
    uint16_t tableEnd = 0;
    uint16_t top = 0;
    uint16_t check = 0;
    std::vector<uint8_t> image; // from address tableStart
};
ProgramImage BuildImage(const std::vector<BasicLine> &lines, const ProgramOptions &options = {});

// PROGRAM file data: the 8-byte header (check, tableEnd, tableStart, top)
// and the image.
std::vector<uint8_t> BuildProgramFile(const std::vector<BasicLine> &lines,
                                      const ProgramOptions &options = {});

// Long-format sectors: the header record 0xAB 0xCD start end check top,
// then the image in records of up to 254 bytes, one per sector.
std::vector<uint8_t> BuildLongProgram(const std::vector<BasicLine> &lines,
                                      const ProgramOptions &options = {});

// MERGE sectors: records "L, line number, tokens" packed into sectors, each
// sector closed by 0xFF, the last record the line number 0xFFFF.
std::vector<uint8_t> BuildMergeFile(const std::vector<BasicLine> &lines);

} // namespace kestrel::testing
