#include "viewers/hex_dump.h"

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "tifs/ti_header.h"

namespace kestrel
{

char *HexDumpLines(const uint8_t *data, size_t length, uint32_t startOffset, char *out, char *end)
{
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t pos = 0; pos < length; pos += 16) {
        const size_t count = length - pos < 16 ? length - pos : 16;
        char line[kHexDumpLineLength + 1];
        std::snprintf(line, sizeof line, "%08X", static_cast<unsigned>(startOffset + pos));
        char *p = line + 8;
        for (size_t i = 0; i < count; ++i) {
            *p++ = ' ';
            *p++ = kDigits[data[pos + i] >> 4];
            *p++ = kDigits[data[pos + i] & 0x0F];
        }
        *p++ = ' ';
        for (size_t i = 0; i < count; ++i) {
            *p++ = IsPrintable(data[pos + i]) ? static_cast<char>(data[pos + i]) : '.';
        }
        *p++ = '\r';
        *p++ = '\n';
        const size_t lineLength = static_cast<size_t>(p - line);
        if (end - out <= static_cast<ptrdiff_t>(lineLength)) {
            if (out < end) {
                *out = '\0';
            }
            return nullptr;
        }
        std::memcpy(out, line, lineLength);
        out += lineLength;
    }
    return out;
}

} // namespace kestrel
