// TI-Artist pictures: the pattern table of the TI's bitmap mode (768
// patterns of 8 bytes, 32 to a character row, 24 rows, one row per 256-byte
// sector), with an optional colour table of the same layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "viewers/picture/raster.h"

namespace kestrel
{

constexpr int kTiArtistColumns = 32;
constexpr int kTiArtistRows = 24;
constexpr size_t kTiArtistTableSize = 6144; // pattern or colour table
constexpr uint16_t kTiArtistColourSectors = 24;
constexpr int kTiArtistBitmapWidth = 276;
constexpr int kTiArtistBitmapHeight = 212;

// The empty picture: 276 x 212 in the background grey.
Raster NewTiArtistBitmap();

// Draws the patterns held in the first `length` bytes of the pattern table,
// row by row, as far as whole patterns go and at most the 24 rows. colours
// is the whole 6144-byte colour table, or null: the patterns are then drawn
// in blue over what is there.
void DrawTiArtistPatterns(Raster &bitmap, const uint8_t *patterns, size_t length,
                          const uint8_t *colours);

// " (size= %d bytes: 256x192)" with the picture's sectors x 256.
std::string TiArtistSizeText(uint16_t sectors);

} // namespace kestrel
