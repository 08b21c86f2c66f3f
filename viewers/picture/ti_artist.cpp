#include "viewers/picture/ti_artist.h"

#include <algorithm>

#include "tifs/messages.h"
#include "viewers/picture/ti_palette.h"

namespace kestrel
{

Raster NewTiArtistBitmap()
{
    return Raster(kTiArtistBitmapWidth, kTiArtistBitmapHeight, kPictureBackground);
}

void DrawTiArtistPatterns(Raster &bitmap, const uint8_t *patterns, size_t length,
                          const uint8_t *colours)
{
    if (patterns == nullptr) {
        return;
    }
    const size_t count = std::min(length, kTiArtistTableSize) / 8;
    for (size_t n = 0; n < count; ++n) {
        const int x = static_cast<int>(n % kTiArtistColumns) * 8;
        const int y = static_cast<int>(n / kTiArtistColumns) * 8;
        DrawPattern(colours ? colours + n * 8 : nullptr, x, y, bitmap, patterns + n * 8, kTiBlue);
    }
}

std::string TiArtistSizeText(uint16_t sectors)
{
    return FormatText(" (size= %d bytes: %dx%d)", {static_cast<int>(sectors) * 256, 256, 192});
}

} // namespace kestrel
