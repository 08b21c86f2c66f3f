#include "viewers/picture/ti_palette.h"

namespace kestrel
{

namespace
{

constexpr Rgb kPalette[kTiColourCount] = {
    {0x03, 0x02, 0x01}, {0x00, 0x00, 0x00}, {0x00, 0xC0, 0x00}, {0x00, 0xFF, 0x00},
    {0x00, 0x00, 0x80}, {0x00, 0x00, 0xFF}, {0x80, 0x00, 0x00}, {0x00, 0xFF, 0xFF},
    {0xC0, 0x00, 0x00}, {0xFF, 0x00, 0x00}, {0x80, 0x80, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x80, 0x00}, {0xFF, 0x00, 0xFF}, {0xC2, 0xC2, 0xC2}, {0xFF, 0xFF, 0xFF},
};

} // namespace

Rgb TiPaletteColour(unsigned index)
{
    return kPalette[index & 0x0F];
}

void DrawPattern(const uint8_t *colours, int x, int y, Raster &device, const uint8_t *pattern,
                 Rgb colour)
{
    for (int row = 0; row < 8; ++row) {
        const uint8_t bits = pattern[row];
        const Rgb fore = colours ? TiPaletteColour(colours[row] >> 4) : colour;
        const Rgb back = colours ? TiPaletteColour(colours[row] & 0x0F) : Rgb{};
        for (int column = 0; column < 8; ++column) {
            const bool set = (bits & (0x80 >> column)) != 0;
            if (set) {
                device.Set(x + kPictureMargin + column, y + kPictureMargin + row, fore);
            } else if (colours) {
                device.Set(x + kPictureMargin + column, y + kPictureMargin + row, back);
            }
        }
    }
}

} // namespace kestrel
