// The tokenizer's keyword table: 112 names with their one-byte token codes,
// and the codes of the tagged encodings shared with the lister.
#pragma once

#include <cstdint>
#include <string>

namespace kestrel::tokenizer
{

constexpr uint8_t kTokenElse = 0x81;
constexpr uint8_t kTokenSeparator = 0x82; // "::"
constexpr uint8_t kTokenBang = 0x83;      // "!" tail comment
constexpr uint8_t kTokenGoto = 0x86;
constexpr uint8_t kTokenGosub = 0x87;
constexpr uint8_t kTokenReturn = 0x88;
constexpr uint8_t kTokenBreak = 0x8E;
constexpr uint8_t kTokenUnbreak = 0x8F;
constexpr uint8_t kTokenData = 0x93;
constexpr uint8_t kTokenRestore = 0x94;
constexpr uint8_t kTokenRem = 0x9A;
constexpr uint8_t kTokenCall = 0x9D;
constexpr uint8_t kTokenSub = 0xA1;
constexpr uint8_t kTokenError = 0xA5;
constexpr uint8_t kTokenRun = 0xA9;
constexpr uint8_t kTokenThen = 0xB0;
constexpr uint8_t kTokenComma = 0xB3;
constexpr uint8_t kTokenQuoted = 0xC7;
constexpr uint8_t kTokenUnquoted = 0xC8;
constexpr uint8_t kTokenLineNumber = 0xC9;
constexpr uint8_t kTokenUsing = 0xED;

struct Keyword {
    const char *name;
    uint8_t code;
};

constexpr int kKeywordCount = 112;
extern const Keyword kKeywords[kKeywordCount];

// The code of a word (trimmed of characters up to 0x20, upper-cased), or -1.
int TokenOf(const std::string &word);

// The table name of a code, or null when no entry has it.
const char *KeywordName(uint8_t code);

// A number right behind one of these codes is a line number.
bool IsLineNumberContext(uint8_t code);

} // namespace kestrel::tokenizer
