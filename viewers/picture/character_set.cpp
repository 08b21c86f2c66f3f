#include "viewers/picture/character_set.h"

#include <algorithm>

#include "tifs/byte_order.h"
#include "tifs/messages.h"
#include "viewers/picture/ti_palette.h"

namespace kestrel
{

Raster NewCharsetBitmap()
{
    return Raster(kCharsetBitmapWidth, kCharsetBitmapHeight, kTiBlue);
}

void DrawCharacterSet(Raster &bitmap, const uint8_t *patterns, size_t length)
{
    if (patterns == nullptr) {
        return;
    }
    const size_t fit = static_cast<size_t>(kCharsetColumns) * kCharsetRows;
    const size_t count = std::min(length / 8, fit);
    for (size_t n = 0; n < count; ++n) {
        const int x = static_cast<int>(n % kCharsetColumns) * kCharsetPitch;
        const int y = static_cast<int>(n / kCharsetColumns) * kCharsetPitch;
        DrawPattern(nullptr, x, y, bitmap, patterns + n * 8, kTiWhite);
    }
}

std::string CharsetSizeText(const uint8_t *header)
{
    return FormatText(" (size= %d bytes, Vdp address >%04X)",
                      {static_cast<int>(GetWordBE(header, kCharsetLengthOffset)),
                       static_cast<unsigned>(GetWordBE(header, kCharsetAddressOffset))});
}

} // namespace kestrel
