#include "tifs/disk_check/check_text.h"

#include <cstdarg>
#include <cstdio>

namespace kestrel
{

std::string CheckText(const char *format, ...)
{
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

std::string ShownTiName(const uint8_t *name)
{
    std::string text;
    for (size_t i = 0; i < 10; ++i) {
        text += (name[i] >= 0x20 && name[i] < 0x7F) ? static_cast<char>(name[i]) : '?';
    }
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text.empty() ? std::string("(no name)") : text;
}

std::string BitmapRunText(unsigned first, unsigned last, bool usedByNoFile)
{
    std::string which =
        last == first ? CheckText("AU %u is", first) : CheckText("AUs %u-%u are", first, last);
    return which + (usedByNoFile ? " marked used but belong to no file"
                                 : " in use but marked free in the bitmap");
}

} // namespace kestrel
