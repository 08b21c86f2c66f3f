// The TI's 16 colours and the drawing of one 8 x 8 pattern, shared by the
// TI-Artist and character-set decoders.
#pragma once

#include <cstdint>

#include "viewers/picture/raster.h"

namespace kestrel
{

constexpr int kTiColourCount = 16;
constexpr Rgb kTiBlue{0x00, 0x00, 0xFF};
constexpr Rgb kTiWhite{0xFF, 0xFF, 0xFF};

// Colour `index` (only its low four bits count). Index 0, transparent on the
// TI, is drawn as the near-black 3, 2, 1.
Rgb TiPaletteColour(unsigned index);

// Draws one pattern with its top left pixel at (x + 10, y + 10). Each of the
// 8 pattern bytes is a pixel row, the leftmost pixel in the most significant
// bit. With colours (8 bytes, one per row: foreground in the high four bits,
// background in the low four) set pixels take the foreground and clear ones
// the background; without (null) set pixels take colour and clear pixels are
// left as they are.
void DrawPattern(const uint8_t *colours, int x, int y, Raster &device, const uint8_t *pattern,
                 Rgb colour);

} // namespace kestrel
