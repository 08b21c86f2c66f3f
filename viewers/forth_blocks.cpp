#include "viewers/forth_blocks.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "tifs/ti_header.h"

namespace kestrel
{

namespace
{

constexpr ptrdiff_t kForthReserve = 6;
constexpr size_t kBlockSize = 1024;
constexpr size_t kLineWidth = 64;
constexpr size_t kBlocksTested = 3;
constexpr uint16_t kSmallestForthFile = 41; // sectors

bool Full(char *out, char *end)
{
    if (end - out >= kForthReserve) {
        return false;
    }
    if (out < end) {
        *out = '\0';
    }
    return true;
}

bool PutText(char *&out, char *end, const char *text)
{
    for (; *text; ++text) {
        if (Full(out, end)) {
            return false;
        }
        *out++ = *text;
    }
    return true;
}

bool BlockLooksLikeForth(const uint8_t *block)
{
    std::string text(kBlockSize, ' ');
    for (size_t i = 0; i < kBlockSize; ++i) {
        text[i] = static_cast<char>(std::toupper(block[i]));
    }
    const size_t colon = text.find(": ");
    const size_t semicolon = text.find(" ;");
    return colon != std::string::npos && semicolon != std::string::npos && semicolon >= colon + 3;
}

} // namespace

char *ForthBlocksToText(const uint8_t *data, size_t length, uint32_t &sectorCounter, char *out,
                        char *end)
{
    if (sectorCounter % 4 == 0) {
        char heading[32];
        std::snprintf(heading, sizeof heading, "Block %03u\r\n", sectorCounter / 4 + 1);
        if (!PutText(out, end, heading) || !PutText(out, end, "---------\r\n")) {
            return nullptr;
        }
    }
    for (size_t pos = 0; pos < length; pos += kLineWidth) {
        for (size_t i = pos; i < pos + kLineWidth && i < length; ++i) {
            if (Full(out, end)) {
                return nullptr;
            }
            *out++ = IsPrintable(data[i]) ? static_cast<char>(data[i]) : '.';
        }
        if (!PutText(out, end, "\r\n")) {
            return nullptr;
        }
    }
    ++sectorCounter;
    if (sectorCounter % 4 == 0 && !PutText(out, end, "\r\n")) {
        return nullptr;
    }
    return out;
}

bool LooksLikeForthData(const uint8_t *data, size_t size)
{
    for (size_t b = 0; b < kBlocksTested && (b + 1) * kBlockSize <= size; ++b) {
        const uint8_t *block = data + b * kBlockSize;
        for (size_t i = 0; i < kBlockSize; ++i) {
            if (!IsPrintable(block[i])) {
                return false;
            }
        }
        if (BlockLooksLikeForth(block)) {
            return true;
        }
    }
    return false;
}

bool LooksLikeForthBlocks(const CatalogEntry &entry, std::FILE *file)
{
    if (entry.ti.sectors < kSmallestForthFile) {
        return false;
    }
    uint8_t data[kBlocksTested * kBlockSize];
    size_t got = 0;
    while (got < sizeof data) {
        const size_t n = std::fread(data + got, 1, sizeof data - got, file);
        if (n == 0) {
            break;
        }
        got += n;
    }
    const bool yes = LooksLikeForthData(data, got);
    std::fseek(file, 128, SEEK_SET);
    return yes;
}

} // namespace kestrel
