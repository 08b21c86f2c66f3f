// Character sets: a PROGRAM file of a 6-byte header (bytes 2-3 the video
// memory address, 4-5 the size, big-endian) and 8 x 8 patterns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "viewers/picture/raster.h"

namespace kestrel
{

constexpr size_t kCharsetHeaderSize = 6;
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
