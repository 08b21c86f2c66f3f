// Character sets: a PROGRAM file that is a memory image, with the 6-byte
// header every memory image has (a flag word, then the length of the image
// including the header, then the address it loads to, big-endian words) and
// 8 x 8 patterns after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "viewers/picture/raster.h"

namespace kestrel
{

constexpr size_t kCharsetHeaderSize = 6;
constexpr size_t kCharsetLengthOffset = 2;
constexpr size_t kCharsetAddressOffset = 4;
constexpr int kCharsetColumns = 16;
constexpr int kCharsetRows = 12;
constexpr int kCharsetPitch = 16;
constexpr int kCharsetBitmapWidth = 276;
constexpr int kCharsetBitmapHeight = 212;

// The empty picture: 276 x 212 in blue.
Raster NewCharsetBitmap();

// Draws the whole 8-byte patterns of data in white, 16 to a row at a pitch
// of 16 pixels, until 12 rows are drawn or the data ends.
void DrawCharacterSet(Raster &bitmap, const uint8_t *patterns, size_t length);

// " (size= %d bytes, Vdp address >%04X)" from the 6-byte header.
std::string CharsetSizeText(const uint8_t *header);

} // namespace kestrel
