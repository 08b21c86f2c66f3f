#include "tokenizer/options.h"

#include <cctype>
#include <climits>

namespace kestrel::tokenizer
{

namespace
{

std::string Trim(const std::string &s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

bool ParseDecimal(const std::string &text, int &value)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i == text.size())
        return false;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        v = -v;
    if (v > INT_MAX || v < INT_MIN)
        return false;
    value = static_cast<int>(v);
    return true;
}

} // namespace

int VerbosityOption(const std::string &options)
{
    int verbosity = kDefaultVerbosity;
    size_t start = 0;
    while (start <= options.size()) {
        size_t end = options.find(';', start);
        if (end == std::string::npos)
            end = options.size();
        const std::string item = options.substr(start, end - start);
        const size_t eq = item.find('=');
        if (eq != std::string::npos) {
            const std::string key = Trim(item.substr(0, eq));
            int value = 0;
            // The last valid v wins; a malformed one leaves what was there.
            if (key.size() == 1 && std::tolower(static_cast<unsigned char>(key[0])) == 'v' &&
                ParseDecimal(Trim(item.substr(eq + 1)), value))
                verbosity = value;
        }
        start = end + 1;
    }
    return verbosity;
}

} // namespace kestrel::tokenizer
