// MYART pictures of the V9938: the records of a DIS/FIX 128 file form the
// picture data, run-length coded pairs of bytes, 256 x 212 with 256 colours
// (GGGRRRBB) or 512 x 212 with a 16-entry palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "viewers/picture/raster.h"

namespace kestrel
{

constexpr int kMyartLines = 212;
constexpr size_t kMyartRecordSize = 128;
constexpr size_t kMyartPaletteOffset = 2; // 512 mode: 16 entries of two bytes
constexpr size_t kMyart512PixelOffset = 34;
constexpr size_t kMyart256PixelOffset = 2;

// A three-bit colour component as 0 to 254, a two-bit blue as 0 to 255.
inline uint8_t ScaleThreeBits(unsigned value)
{
    return static_cast<uint8_t>((value & 7) * 364 / 10);
}
inline uint8_t ScaleTwoBits(unsigned value)
{
    return static_cast<uint8_t>((value & 3) * 0x55);
}

// The colour of a pixel byte of the 256-colour mode.
Rgb Myart256Colour(uint8_t pixel);
// Palette entry `index` (0 to 15) of a 512-mode picture, read from data.
// An entry beyond length is black.
Rgb Myart512PaletteColour(const uint8_t *data, size_t length, unsigned index);

// The empty picture: (width + 20) x 232 in the background grey.
Raster NewMyartBitmap(int width);

// Decodes the pairs of data (the records concatenated) into bitmap, for a
// width of 256 or 512. Each run fills the current line from left to right;
// a run that reaches the line's end finishes there and the next pair starts
// the next line. Ends after 212 lines or with the data.
void DrawMyart(Raster &bitmap, int width, const uint8_t *data, size_t length);

// " (size= %d bytes: %ux212, %u colors)" with records x 128, the width and
// 256 or 16 colours.
std::string MyartSizeText(uint16_t records, int width);

// True when the bytes begin with the three letters GIF, in any case.
bool BeginsWithGif(const uint8_t *data, size_t length);

} // namespace kestrel
