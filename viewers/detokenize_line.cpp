#include "viewers/detokenize_line.h"

#include <cstdio>

namespace kestrel
{

char *DetokenizeLine(char *out, uint8_t length, const uint8_t *tokens)
{
    bool pendingSpace = false; // the keyword before asked for a blank
    bool afterLiteral = false;
    bool afterColon = false;
    size_t pos = 0;

    auto literalDone = [&] {
        afterLiteral = true;
        pendingSpace = false;
        afterColon = false;
    };

    while (pos < length) {
        const uint8_t b = tokens[pos++];
        if (b == 0) {
            break;
        }
        if (b < 0x80) {
            if (pendingSpace) {
                *out++ = ' ';
            }
            *out++ = static_cast<char>(b);
            literalDone();
            continue;
        }
        if (b == kTokenQuotedString || b == kTokenUnquotedString) {
            if (pos >= length) {
                break; // the string's length byte is missing
            }
            size_t n = tokens[pos++];
            if (n > length - pos) {
                n = length - pos;
            }
            if (pendingSpace || (b == kTokenUnquotedString && afterLiteral)) {
                *out++ = ' ';
            }
            if (b == kTokenQuotedString) {
                *out++ = '"';
                for (size_t i = 0; i < n; ++i) {
                    const char c = static_cast<char>(tokens[pos + i]);
                    if (c == '"') {
                        *out++ = '"'; // a quote inside a string reads back doubled
                    }
                    *out++ = c;
                }
                *out++ = '"';
            } else {
                for (size_t i = 0; i < n; ++i) {
                    *out++ = static_cast<char>(tokens[pos + i]);
                }
            }
            pos += n;
            literalDone();
            continue;
        }
        if (b == kTokenLineNumber) {
            if (length - pos < 2) {
                break;
            }
            const unsigned number = (tokens[pos] << 8) | tokens[pos + 1];
            pos += 2;
            if (afterLiteral || pendingSpace) {
                *out++ = ' ';
            }
            out += std::snprintf(out, 6, "%u", number);
            literalDone();
            continue;
        }

        const KeywordInfo &keyword = LookupKeyword(b);
        if (b == kTokenColon) {
            // Two colons side by side would read as the statement separator.
            if (afterColon) {
                *out++ = ' ';
            }
            afterColon = true;
        } else {
            afterColon = false;
        }
        if (afterLiteral && !keyword.attach) {
            *out++ = ' ';
        } else if (pendingSpace && keyword.spaceBefore) {
            *out++ = ' ';
        }
        for (const char *t = keyword.text; *t; ++t) {
            *out++ = *t;
        }
        pendingSpace = keyword.spaceAfter;
        afterLiteral = false;
    }

    *out++ = '\r';
    *out++ = '\n';
    *out = '\0';
    return out;
}

} // namespace kestrel
