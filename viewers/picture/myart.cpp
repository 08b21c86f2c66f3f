#include "viewers/picture/myart.h"

#include <cctype>

#include "tifs/messages.h"

namespace kestrel
{

Rgb Myart256Colour(uint8_t pixel)
{
    return {ScaleThreeBits(pixel >> 2), ScaleThreeBits(pixel >> 5), ScaleTwoBits(pixel)};
}

Rgb Myart512PaletteColour(const uint8_t *data, size_t length, unsigned index)
{
    const size_t at = kMyartPaletteOffset + 2 * (index & 0x0F);
    if (data == nullptr || at + 1 >= length) {
        return {};
    }
    const uint8_t redBlue = data[at];
    const uint8_t green = data[at + 1];
    return {ScaleThreeBits(redBlue >> 4), ScaleThreeBits(green), ScaleThreeBits(redBlue)};
}

Raster NewMyartBitmap(int width)
{
    return Raster(width + 2 * kPictureMargin, kMyartLines + 2 * kPictureMargin, kPictureBackground);
}

void DrawMyart(Raster &bitmap, int width, const uint8_t *data, size_t length)
{
    if (data == nullptr || (width != 256 && width != 512)) {
        return;
    }
    const bool wide = width == 512;
    Rgb palette[16];
    if (wide) {
        for (unsigned i = 0; i < 16; ++i) {
            palette[i] = Myart512PaletteColour(data, length, i);
        }
    }
    const int right = kPictureMargin + width; // one past the line's last pixel
    int x = kPictureMargin;
    int line = 0;
    for (size_t at = wide ? kMyart512PixelOffset : kMyart256PixelOffset;
         at + 1 < length && line < kMyartLines; at += 2) {
        const uint8_t first = data[at];
        const uint8_t second = data[at + 1];
        Rgb colour;
        unsigned run;
        if (wide) {
            colour = palette[first >> 4];
            run = (static_cast<unsigned>(first & 1) << 8) | second;
            if (run == 0) {
                run = 512;
            }
        } else {
            colour = Myart256Colour(first);
            run = second == 0 ? 256 : second;
        }
        const int y = kPictureMargin + line;
        for (unsigned i = 0; i < run; ++i) {
            bitmap.Set(x, y, colour);
            if (++x == right) {
                // The line is full: what is left of the run is dropped.
                x = kPictureMargin;
                ++line;
                break;
            }
        }
    }
}

std::string MyartSizeText(uint16_t records, int width)
{
    return FormatText(
        " (size= %d bytes: %ux212, %u colors)",
        {static_cast<int>(records) * 128, static_cast<unsigned>(width), width == 512 ? 16u : 256u});
}

bool BeginsWithGif(const uint8_t *data, size_t length)
{
    if (data == nullptr || length < 3) {
        return false;
    }
    return std::toupper(data[0]) == 'G' && std::toupper(data[1]) == 'I' &&
           std::toupper(data[2]) == 'F';
}

} // namespace kestrel
