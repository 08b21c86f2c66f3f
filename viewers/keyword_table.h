// The lister's own table of Extended BASIC keyword tokens (codes 0x80 to
// 0xFF) with the spacing properties that decide where a listing puts
// blanks. It shares its codes with the tokenizer but also names a few
// tokens the tokenizer never writes (INTEGER, UPRC$, STATUS, TIME$, DATE$,
// INTG, UALPHA, TEMPORARY).
#pragma once

#include <cstdint>

namespace kestrel
{

// Codes that the line decoder handles before it consults the table.
constexpr uint8_t kTokenQuotedString = 0xC7;
constexpr uint8_t kTokenUnquotedString = 0xC8;
constexpr uint8_t kTokenLineNumber = 0xC9;
constexpr uint8_t kTokenColon = 0xB5;
constexpr uint8_t kTokenStatementSeparator = 0x82;

struct KeywordInfo {
    const char *text; // printed text; "" for a code without text
    bool attach;      // follows a literal without a space
    bool spaceBefore; // takes a space when the token before asked for one
    bool spaceAfter;  // asks for a space in front of what follows
};

// The entry of a token code; codes below 0x80 are literals and get the
// empty entry.
const KeywordInfo &LookupKeyword(uint8_t code);

// The longest printed keyword text, for sizing line buffers.
constexpr unsigned kLongestKeywordText = 10; // "SEQUENTIAL"

} // namespace kestrel
