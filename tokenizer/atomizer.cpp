#include "tokenizer/atomizer.h"

#include <cstdio>
#include <vector>

#include "tokenizer/keyword_table.h"

namespace kestrel::tokenizer
{

namespace
{

constexpr char kDelimiters[] = " !#&()*+,-/:;<=>^";

bool IsDelimiter(char c)
{
    for (const char *d = kDelimiters; *d; ++d) {
        if (*d == c)
            return true;
    }
    return false;
}

std::string Upper(std::string s)
{
    for (char &c : s) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::string TrimBlanks(const std::string &s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

bool IsBlank(const std::string &s)
{
    for (char c : s) {
        if (c != ' ')
            return false;
    }
    return true;
}

// A tagged string: code, length byte, characters. Callers keep the text
// within 255 characters (lines are at most 255 characters long).
std::string Tagged(uint8_t code, const std::string &text)
{
    std::string out;
    out.push_back(static_cast<char>(code));
    out.push_back(static_cast<char>(text.size() > 255 ? 255 : text.size()));
    out.append(text, 0, 255);
    return out;
}

bool IsSingleCode(const std::string &converted, uint8_t code)
{
    return converted.size() == 1 && static_cast<uint8_t>(converted[0]) == code;
}

enum class SplitResult { Ok, TooLong, Unclosed };

// Step 1: the text into word slots. On failure the slots hold what was
// collected so far; an unclosed string keeps the rest of the line as typed in
// its slot (`unclosed`), so that none of its characters is lost.
SplitResult SplitWords(const std::string &text, std::vector<std::string> &slots, size_t &unclosed)
{
    slots.assign(kWordSlots, std::string());
    unclosed = kWordSlots;
    size_t cur = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            // Characters typed right against the string stay a word of
            // their own, as they would before a delimiter.
            if (cur < kWordSlots && !slots[cur].empty())
                ++cur;
            if (cur >= kWordSlots)
                return SplitResult::TooLong;
            const size_t close = text.find('"', i + 1);
            if (close == std::string::npos) {
                slots[cur] = text.substr(i);
                unclosed = cur;
                return SplitResult::Unclosed;
            }
            slots[cur] = text.substr(i, close - i + 1);
            ++cur;
            i = close;
        } else if (IsDelimiter(c)) {
            if (cur < kWordSlots && slots[cur].empty()) {
                slots[cur] = std::string(1, c);
                ++cur;
            } else {
                if (cur + 1 >= kWordSlots)
                    return SplitResult::TooLong;
                slots[cur + 1] = std::string(1, c);
                cur += 2;
            }
        } else {
            if (cur >= kWordSlots)
                return SplitResult::TooLong;
            slots[cur].push_back(c);
        }
    }
    return SplitResult::Ok;
}

// Step 2: the items of a DATA statement, from the fifth character on, with a
// comma word between them. False when the words pass 128 or a string is
// never closed. A doubled quote inside a quoted item belongs to the item.
bool SplitDataItems(const std::string &text, std::vector<std::string> &words)
{
    words.clear();
    size_t pos = 4;
    auto add = [&](std::string word) {
        if (words.size() + 1 >= kWordSlots) // slot 1 holds DATA itself
            return false;
        words.push_back(std::move(word));
        return true;
    };
    while (pos < text.size()) {
        while (pos < text.size() && text[pos] == ' ')
            ++pos;
        if (pos >= text.size())
            break;
        std::string item;
        if (text[pos] == '"') {
            size_t close = pos + 1;
            for (;;) {
                close = text.find('"', close);
                if (close == std::string::npos)
                    return false;
                if (close + 1 < text.size() && text[close + 1] == '"') {
                    close += 2;
                    continue;
                }
                break;
            }
            item = text.substr(pos, close - pos + 1);
            pos = close + 1;
        } else {
            size_t comma = text.find(',', pos);
            if (comma == std::string::npos)
                comma = text.size();
            item = text.substr(pos, comma - pos);
            pos = comma;
        }
        if (!add(std::move(item)))
            return false;
        if (pos < text.size()) {
            if (!add(","))
                return false;
            ++pos;
        }
    }
    return true;
}

std::string CollapseDoubledQuotes(const std::string &s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        out.push_back(s[i]);
        if (s[i] == '"' && i + 1 < s.size() && s[i + 1] == '"')
            ++i;
    }
    return out;
}

std::string ConvertDataWords(const std::vector<std::string> &words, const Logger &log)
{
    std::string tokens(1, static_cast<char>(kTokenData));
    for (const std::string &raw : words) {
        log(5, "  DATA [" + raw + "]");
        const std::string word = TrimBlanks(raw);
        if (word == ",") {
            tokens.push_back(static_cast<char>(kTokenComma));
        } else if (!word.empty() && word[0] == '"') {
            const std::string inner = word.size() >= 2 ? word.substr(1, word.size() - 2) : "";
            tokens += Tagged(kTokenQuoted, CollapseDoubledQuotes(inner));
        } else if (!word.empty()) {
            tokens += Tagged(kTokenUnquoted, word);
        }
    }
    return tokens;
}

bool IsNumberWord(const std::string &w)
{
    if (w.empty())
        return false;
    for (size_t i = 0; i < w.size(); ++i) {
        const char c = w[i];
        if ((c >= '0' && c <= '9') || c == '.' || (c == 'E' && i > 0))
            continue;
        return false;
    }
    return true;
}

bool IsDigits(const std::string &w)
{
    if (w.empty())
        return false;
    for (char c : w) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The decimal value of a number's leading digits; false above 65535.
bool LineNumberValue(const std::string &w, unsigned &value)
{
    value = 0;
    for (char c : w) {
        if (c < '0' || c > '9')
            break;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 0xFFFF)
            return false;
    }
    return true;
}

struct Word {
    std::string text;
    bool comment = false;  // the rest of the line behind REM or "!"
    bool unclosed = false; // a string whose closing quote is missing
    bool number = false;   // a number joined with its exponent sign
};

// A number with a signed exponent ("1E-3") was cut apart by the delimiter
// rule; the interpreter needs it as one constant.
void JoinSignedExponents(std::vector<Word> &words)
{
    for (size_t k = 0; k + 2 < words.size(); ++k) {
        Word &w = words[k];
        const std::string &sign = words[k + 1].text;
        if (w.comment || !IsNumberWord(w.text) || w.text.back() != 'E' ||
            (sign != "-" && sign != "+") || !IsDigits(words[k + 2].text))
            continue;
        w.text += sign + words[k + 2].text;
        w.number = true;
        words.erase(words.begin() + static_cast<long>(k) + 1,
                    words.begin() + static_cast<long>(k) + 3);
    }
}

// An IMAGE statement's format is taken as typed: everything behind the
// keyword is one unquoted string unless it is a single quoted string.
bool ImageFormat(const std::string &text, std::string &format)
{
    size_t b = 5;
    while (b < text.size() && text[b] == ' ')
        ++b;
    format = text.size() > b ? text.substr(b) : std::string();
    if (format.empty())
        return false;
    if (format[0] == '"' && format.size() >= 2 && format.back() == '"') {
        bool single = true;
        for (size_t i = 1; i + 1 < format.size(); ++i) {
            if (format[i] == '"') {
                if (format[i + 1] != '"' || i + 2 >= format.size()) {
                    single = false;
                    break;
                }
                ++i;
            }
        }
        if (single)
            return false;
    }
    return true;
}

} // namespace

std::string TokenDump(const std::string &tokens)
{
    std::string out;
    char hex[4];
    for (char ch : tokens) {
        const auto b = static_cast<uint8_t>(ch);
        std::snprintf(hex, sizeof hex, "%02X", b);
        out += hex;
        const char *name = b >= 0x80 ? KeywordName(b) : nullptr;
        if (name) {
            out += "[";
            out += name;
            out += "] ";
        } else {
            out += " ";
        }
    }
    out += "(";
    for (char ch : tokens) {
        const auto b = static_cast<uint8_t>(ch);
        out.push_back(b >= 0x20 && b <= 0x7E ? ch : '?');
    }
    out += ")";
    return out;
}

bool AtomizeLine(ProgramLine &line, const Logger &log)
{
    const std::string number = std::to_string(line.number);
    std::vector<std::string> slots;
    size_t unclosed = kWordSlots;
    const SplitResult split = SplitWords(line.text, slots, unclosed);
    if (split == SplitResult::TooLong)
        log(0, "Error: Line " + number + " too long.");
    else if (split == SplitResult::Unclosed)
        log(0, "Error atomizing line " + number + ".");

    std::string trace;
    line.tokens.clear();

    if (Upper(slots[0]) == "DATA") {
        std::vector<std::string> items;
        if (!SplitDataItems(line.text, items))
            return false;
        line.tokens = ConvertDataWords(items, log);
    } else if (std::string format; Upper(slots[0]) == "IMAGE" && ImageFormat(line.text, format)) {
        trace = slots[0] + "|" + format + "|";
        line.tokens =
            std::string(1, static_cast<char>(TokenOf("IMAGE"))) + Tagged(kTokenUnquoted, format);
    } else {
        // Step 3: "::" typed without a space between its colons.
        for (size_t i = 0; i + 1 < kWordSlots; ++i) {
            if (slots[i] == ":" && slots[i + 1] == ":") {
                slots[i] = "::";
                slots[i + 1].clear();
            }
        }
        std::vector<bool> comment(kWordSlots, false);
        // Step 4: the rest of the line behind REM or "!" is one word.
        for (size_t i = 0; i < kWordSlots; ++i) {
            if (slots[i] == "!" || Upper(TrimBlanks(slots[i])) == "REM") {
                if (i + 1 < kWordSlots) {
                    for (size_t k = i + 2; k < kWordSlots; ++k) {
                        slots[i + 1] += slots[k];
                        slots[k].clear();
                    }
                    comment[i + 1] = true;
                    if (unclosed > i + 1 && unclosed < kWordSlots)
                        unclosed = i + 1; // the open string is comment text now
                }
                break;
            }
        }
        // Step 5: a string typed with a doubled quote was split in two.
        for (size_t i = 0; i + 1 < kWordSlots; ++i) {
            std::string &a = slots[i];
            std::string &b = slots[i + 1];
            if (!comment[i] && i != unclosed && i + 1 != unclosed && !a.empty() &&
                a.back() == '"' && !b.empty() && b[0] == '"') {
                b = a.substr(0, a.size() - 1) + b;
                a.clear();
            }
        }
        // Step 6: compaction.
        std::vector<Word> words;
        for (size_t i = 0; i < kWordSlots; ++i) {
            if (!slots[i].empty() && !IsBlank(slots[i]))
                words.push_back({slots[i], comment[i], i == unclosed && !comment[i]});
        }
        JoinSignedExponents(words);
        // Step 7: conversion.
        std::vector<std::string> out;
        bool firstIsComment = false;
        for (size_t k = 0; k < words.size(); ++k) {
            const std::string &w = words[k].text;
            trace += w + "|";
            std::string converted;
            bool done = false;
            const std::string *prev = k >= 1 ? &out[k - 1] : nullptr;
            if (words[k].comment) {
                // Comment text is kept as typed: a comment that happens to
                // read like a keyword, number or string is still a comment.
            } else if (words[k].unclosed) {
                converted = Tagged(kTokenQuoted, w.substr(1));
                done = true;
            } else if (w[0] == '"') {
                converted = Tagged(kTokenQuoted, w.size() >= 2 ? w.substr(1, w.size() - 2) : "");
                done = true;
            } else if (words[k].number || IsNumberWord(w)) {
                bool lineNumber = false;
                if (prev && prev->size() == 1 &&
                    IsLineNumberContext(static_cast<uint8_t>((*prev)[0])))
                    lineNumber = true;
                else if (prev && IsSingleCode(*prev, kTokenComma) && k >= 2 &&
                         out[k - 2].size() == 3 &&
                         static_cast<uint8_t>(out[k - 2][0]) == kTokenLineNumber)
                    lineNumber = true;
                if (lineNumber) {
                    unsigned value = 0;
                    if (!LineNumberValue(w, value))
                        return false;
                    converted.push_back(static_cast<char>(kTokenLineNumber));
                    converted.push_back(static_cast<char>(value >> 8));
                    converted.push_back(static_cast<char>(value & 0xFF));
                } else {
                    converted = Tagged(kTokenUnquoted, Upper(w));
                }
                done = true;
            } else if (prev &&
                       (IsSingleCode(*prev, kTokenCall) || IsSingleCode(*prev, kTokenSub))) {
                converted = Tagged(kTokenUnquoted, Upper(w));
                done = true;
            }
            if (!done && !words[k].comment) {
                const int code = TokenOf(w);
                if (code >= 0) {
                    converted = std::string(1, static_cast<char>(code));
                    done = true;
                }
            }
            if (k == 0)
                firstIsComment = done && (IsSingleCode(converted, kTokenBang) ||
                                          IsSingleCode(converted, kTokenRem));
            if (!done) {
                const bool keepCase = firstIsComment || static_cast<uint8_t>(w[0]) >= 0x80;
                converted = keepCase ? w : Upper(w);
            }
            out.push_back(std::move(converted));
        }
        for (const std::string &c : out)
            line.tokens += c;
    }
    log(5, number + " " + line.text + " -> " + trace + " -> " + TokenDump(line.tokens));
    return true;
}

bool AtomizeProgram(LineTable &table, const Logger &log)
{
    table.programSize = 0;
    unsigned size = 0;
    for (ProgramLine &line : table.lines) {
        if (!AtomizeLine(line, log))
            return false;
        size += static_cast<unsigned>(line.tokens.size()) + 6;
        if (size > 0xFFFF)
            return false;
        table.programSize = static_cast<uint16_t>(size);
    }
    return true;
}

} // namespace kestrel::tokenizer
