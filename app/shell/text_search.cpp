#include "app/shell/text_search.h"

#include <algorithm>

namespace kestrel
{

namespace
{

char Fold(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringCase(char a, char b)
{
    return Fold(a) == Fold(b);
}

bool IsWordSeparator(char c)
{
    return c == '\t' || c == '\r' || c == ' ' || c == ',' || c == '.';
}

bool MatchesAt(const std::string &text, const std::string &what, size_t p, const SearchFlags &flags)
{
    const size_t n = what.size();
    if (p + n > text.size())
        return false;
    for (size_t i = 0; i < n; ++i) {
        const char a = text[p + i];
        const char b = what[i];
        if (flags.matchCase ? a != b : !SameIgnoringCase(a, b))
            return false;
    }
    if (flags.wholeWord) {
        if (p > 0 && !IsWordSeparator(text[p - 1]))
            return false;
        if (p + n < text.size() && !IsWordSeparator(text[p + n]))
            return false;
    }
    return true;
}

bool CandidateAt(const std::string &text, const std::string &what, size_t p,
                 const SearchFlags &flags)
{
    return p < text.size() && SameIgnoringCase(text[p], what[0]) && MatchesAt(text, what, p, flags);
}

} // namespace

bool SearchText(const std::string &text, const std::string &what, TextSelection selection,
                const SearchFlags &flags, TextSelection &found)
{
    const size_t n = what.size();
    if (n == 0 || text.empty())
        return false;
    size_t s = std::min(selection.start, text.size());
    size_t e = std::min(std::max(selection.end, s), text.size());

    bool skip = false;
    if (e - s == n) {
        skip = true;
        for (size_t i = 0; i < n && skip; ++i)
            skip = SameIgnoringCase(text[s + i], what[i]);
    }

    if (flags.down) {
        for (size_t p = skip ? s + 1 : s; p + n <= text.size(); ++p) {
            if (CandidateAt(text, what, p, flags)) {
                found = {p, p + n};
                return true;
            }
        }
        return false;
    }
    if (skip && s == 0)
        return false;
    for (size_t p = skip ? s - 1 : s;; --p) {
        if (CandidateAt(text, what, p, flags)) {
            found = {p, p + n};
            return true;
        }
        if (p == 0)
            return false;
    }
}

size_t ReplaceAllText(std::string &text, const std::string &what, const std::string &replacement,
                      const SearchFlags &flags)
{
    SearchFlags forwards = flags;
    forwards.down = true;
    TextSelection at{0, 0};
    TextSelection found;
    size_t count = 0;
    while (SearchText(text, what, at, forwards, found)) {
        text.replace(found.start, found.end - found.start, replacement);
        const size_t behind = found.start + replacement.size();
        at = {behind, behind};
        ++count;
    }
    return count;
}

std::string ToCrLfText(const std::string &lfText)
{
    std::string out;
    out.reserve(lfText.size() + lfText.size() / 16);
    for (char c : lfText) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

std::string ToLfText(const std::string &crLfText)
{
    std::string out;
    out.reserve(crLfText.size());
    for (size_t i = 0; i < crLfText.size(); ++i) {
        if (crLfText[i] == '\r' && i + 1 < crLfText.size() && crLfText[i + 1] == '\n')
            continue;
        out += crLfText[i];
    }
    return out;
}

size_t LfToCrLfPosition(const std::string &lfText, size_t position)
{
    position = std::min(position, lfText.size());
    return position +
           static_cast<size_t>(std::count(
               lfText.begin(), lfText.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
}

size_t CrLfToLfPosition(const std::string &crLfText, size_t position)
{
    position = std::min(position, crLfText.size());
    size_t breaks = 0;
    for (size_t i = 0; i + 1 < crLfText.size() && i < position; ++i) {
        if (crLfText[i] == '\r' && crLfText[i + 1] == '\n')
            ++breaks;
    }
    return position - breaks;
}

} // namespace kestrel
