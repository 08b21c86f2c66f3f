// Fuzzed bytes drawn as every kind of picture the viewer knows: TI-Artist patterns with and
// without a colour table, MYART in both widths, and character sets.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "viewers/picture/character_set.h"
#include "viewers/picture/myart.h"
#include "viewers/picture/ti_artist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace kestrel;
    Raster artist = NewTiArtistBitmap();
    DrawTiArtistPatterns(artist, data, size, nullptr);
    if (size >= 6144) {
        DrawTiArtistPatterns(artist, data, size, data + size - 6144);
    }
    for (int width : {256, 512}) {
        Raster myart = NewMyartBitmap(width);
        DrawMyart(myart, width, data, size);
    }
    for (unsigned index = 0; index < 16; ++index) {
        Myart512PaletteColour(data, size, index);
    }
    Raster charset = NewCharsetBitmap();
    DrawCharacterSet(charset, data, size);
    if (size >= 128) {
        CharsetSizeText(data);
    }
    return 0;
}
