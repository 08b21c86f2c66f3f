#include "drives/inspector/inspector_format.h"

#include <cstdarg>
#include <cstdio>

#include "tifs/byte_order.h"
#include "tifs/ti_file.h"

namespace kestrel::inspector
{

std::string Format(const char *format, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (n < 0)
        return std::string();
    return std::string(buffer);
}

char Printable(uint8_t byte)
{
    return byte >= 0x20 && byte < 0x7F ? static_cast<char>(byte) : ' ';
}

std::string NameText(const uint8_t *sector, size_t offset)
{
    std::string name;
    for (size_t i = offset; i < offset + 10 && i < kSectorSize; ++i)
        name += Printable(sector[i]);
    return name;
}

std::string ShortName(const uint8_t *sector, size_t offset)
{
    std::string name;
    for (size_t i = offset; i < offset + 10 && i < kSectorSize && sector[i] != ' '; ++i)
        name += Printable(sector[i]);
    return name;
}

std::string ByteText(const uint8_t *sector, size_t offset)
{
    if (offset >= kSectorSize)
        return std::string();
    return Format(">%02X", sector[offset]);
}

std::string ByteCharText(const uint8_t *sector, size_t offset)
{
    if (offset >= kSectorSize)
        return std::string();
    return Format(">%02X (%c)", sector[offset], Printable(sector[offset]));
}

std::string WordText(const uint8_t *sector, size_t offset)
{
    if (offset + 2 > kSectorSize)
        return std::string();
    return Format(">%04X", GetWordBE(sector, offset));
}

std::string LongText(const uint8_t *sector, size_t offset)
{
    if (offset + 4 > kSectorSize)
        return std::string();
    return Format(">%08lX", static_cast<unsigned long>(GetLongBE(sector, offset)));
}

std::string DateTimeText(const uint8_t *sector, size_t offset)
{
    if (offset + 4 > kSectorSize)
        return std::string();
    const uint8_t *p = sector + offset;
    const unsigned long value = GetLongBE(sector, offset);
    const unsigned hours = p[0] >> 3;
    const unsigned minutes = (value >> 21) & 0x3F;
    const unsigned seconds = (p[1] & 0x1Fu) * 2;
    const unsigned year = p[2] >> 1;
    const unsigned month = (value >> 5) & 0x0F;
    const unsigned day = value & 0x1F;
    return Format(">%08lX (hms) %02u:%02u:%02u (ymd) %02u-%02u-%02u", value, hours, minutes,
                  seconds, year, month, day);
}

} // namespace kestrel::inspector
