// The picture decoders on bytes made in the test: palette, patterns,
// TI-Artist tables, MYART runs in both modes and character sets.
#include <gtest/gtest.h>

#include <vector>

#include "viewers/picture/character_set.h"
#include "viewers/picture/myart.h"
#include "viewers/picture/raster.h"
#include "viewers/picture/ti_artist.h"
#include "viewers/picture/ti_palette.h"

namespace kestrel
{
namespace
{

constexpr Rgb kGrey{0xC2, 0xC2, 0xC2};
constexpr Rgb kBlue{0x00, 0x00, 0xFF};
constexpr Rgb kWhite{0xFF, 0xFF, 0xFF};

::testing::AssertionResult Is(const Raster &r, int x, int y, Rgb want)
{
    const Rgb got = r.At(x, y);
    if (got == want) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << int(got.r)
                                         << "," << int(got.g) << "," << int(got.b);
}

TEST(TiPalette, ColoursAndPatternDrawing)
{
    EXPECT_EQ(TiPaletteColour(0), (Rgb{3, 2, 1}));
    EXPECT_EQ(TiPaletteColour(2), (Rgb{0x00, 0xC0, 0x00}));
    EXPECT_EQ(TiPaletteColour(4), (Rgb{0x00, 0x00, 0x80}));
    EXPECT_EQ(TiPaletteColour(10), (Rgb{0x80, 0x80, 0x00}));
    EXPECT_EQ(TiPaletteColour(14), kGrey);
    EXPECT_EQ(TiPaletteColour(0x1F), kWhite); // only the low four bits count

    // Without colours, clear pixels keep what is there; the pattern sits 10
    // pixels in from the given corner; the top bit is the leftmost pixel.
    Raster r(40, 40, kGrey);
    const uint8_t pattern[8] = {0x80, 0x01, 0, 0, 0, 0, 0, 0xFF};
    DrawPattern(nullptr, 4, 2, r, pattern, kWhite);
    EXPECT_TRUE(Is(r, 14, 12, kWhite));
    EXPECT_TRUE(Is(r, 15, 12, kGrey));
    EXPECT_TRUE(Is(r, 21, 13, kWhite));
    EXPECT_TRUE(Is(r, 14, 13, kGrey));
    EXPECT_TRUE(Is(r, 17, 19, kWhite));
    EXPECT_TRUE(Is(r, 13, 19, kGrey));

    // With colours every pixel of a row takes its foreground or background.
    const uint8_t colours[8] = {0x9B, 0x9B, 0x9B, 0x9B, 0x9B, 0x9B, 0x9B, 0x15};
    DrawPattern(colours, 4, 2, r, pattern, kWhite);
    EXPECT_TRUE(Is(r, 14, 12, (Rgb{0xFF, 0, 0})));
    EXPECT_TRUE(Is(r, 15, 12, (Rgb{0xFF, 0xFF, 0})));
    EXPECT_TRUE(Is(r, 20, 19, (Rgb{0, 0, 0})));

    // A pattern partly outside the bitmap is clipped, not written past it.
    DrawPattern(nullptr, 30, 30, r, pattern, kWhite);
    EXPECT_EQ(r.Bytes().size(), 40u * 40 * 3);
}

TEST(TiArtistDecoder, BlueOnGreyWithoutColoursAndTableColoursWithThem)
{
    Raster plain = NewTiArtistBitmap();
    ASSERT_EQ(plain.Width(), 276);
    ASSERT_EQ(plain.Height(), 212);
    std::vector<uint8_t> patterns(kTiArtistTableSize, 0);
    patterns[0] = 0x80;           // pattern 0, row 0, leftmost pixel
    patterns[33 * 8 + 2] = 0x01;  // pattern 33: character row 1, column 1, pixel row 2
    patterns[767 * 8 + 7] = 0x01; // the last pattern's last pixel
    DrawTiArtistPatterns(plain, patterns.data(), patterns.size(), nullptr);
    EXPECT_TRUE(Is(plain, 10, 10, kBlue));
    EXPECT_TRUE(Is(plain, 11, 10, kGrey));
    EXPECT_TRUE(Is(plain, 10 + 8 + 7, 10 + 8 + 2, kBlue));
    EXPECT_TRUE(Is(plain, 265, 201, kBlue));
    EXPECT_TRUE(Is(plain, 9, 10, kGrey)); // margin
    EXPECT_TRUE(Is(plain, 266, 202, kGrey));

    std::vector<uint8_t> colours(kTiArtistTableSize, 0x1E); // black on grey
    colours[33 * 8 + 2] = 0x64;                             // dark red on dark blue
    Raster coloured = NewTiArtistBitmap();
    DrawTiArtistPatterns(coloured, patterns.data(), patterns.size(), colours.data());
    EXPECT_TRUE(Is(coloured, 10, 10, (Rgb{0, 0, 0})));
    EXPECT_TRUE(Is(coloured, 11, 10, kGrey));
    EXPECT_TRUE(Is(coloured, 25, 20, (Rgb{0x80, 0, 0})));
    EXPECT_TRUE(Is(coloured, 24, 20, (Rgb{0, 0, 0x80})));

    // Only whole patterns of the bytes that came are drawn.
    Raster part = NewTiArtistBitmap();
    std::vector<uint8_t> full(kTiArtistTableSize, 0xFF);
    DrawTiArtistPatterns(part, full.data(), 256 + 12, nullptr);
    EXPECT_TRUE(Is(part, 10, 18, kBlue)); // row 1, pattern 0
    EXPECT_TRUE(Is(part, 18, 18, kGrey)); // row 1, pattern 1 came half
    EXPECT_TRUE(Is(part, 10, 26, kGrey));

    EXPECT_EQ(TiArtistSizeText(24), " (size= 6144 bytes: 256x192)");
}

// Pairs behind the two unused bytes (and, for 512, the palette).
std::vector<uint8_t> MyartData(const std::vector<uint8_t> &palette,
                               const std::vector<uint8_t> &pairs)
{
    std::vector<uint8_t> data = {0xAA, 0xBB};
    data.insert(data.end(), palette.begin(), palette.end());
    data.insert(data.end(), pairs.begin(), pairs.end());
    return data;
}

TEST(MyartDecoder, ColourScalingOfTheTwoModes)
{
    const int steps[8] = {0, 36, 72, 109, 145, 182, 218, 254};
    for (unsigned v = 0; v < 8; ++v) {
        EXPECT_EQ(ScaleThreeBits(v), steps[v]) << v;
    }
    EXPECT_EQ(ScaleTwoBits(0), 0);
    EXPECT_EQ(ScaleTwoBits(1), 0x55);
    EXPECT_EQ(ScaleTwoBits(3), 0xFF);
    // GGGRRRBB
    EXPECT_EQ(Myart256Colour(0xFF), (Rgb{254, 254, 255}));
    EXPECT_EQ(Myart256Colour(0b00101001), (Rgb{72, 36, 0x55}));
    EXPECT_EQ(Myart256Colour(0b11000010), (Rgb{0, 218, 0xAA}));
    // 512 mode palette: 0RRR0BBB, 00000GGG
    std::vector<uint8_t> palette(32, 0);
    palette[2 * 3] = 0x52;
    palette[2 * 3 + 1] = 0x07;
    palette[2 * 15] = 0xFF; // stray high bits are not part of the colour
    palette[2 * 15 + 1] = 0xF9;
    const std::vector<uint8_t> data = MyartData(palette, {});
    EXPECT_EQ(Myart512PaletteColour(data.data(), data.size(), 3), (Rgb{182, 254, 72}));
    EXPECT_EQ(Myart512PaletteColour(data.data(), data.size(), 15), (Rgb{254, 36, 254}));
    EXPECT_EQ(Myart512PaletteColour(data.data(), 10, 15), (Rgb{}));
}

TEST(MyartDecoder, RunsOf256ModeFillLinesAndEndAtTheRightEdge)
{
    Raster r = NewMyartBitmap(256);
    ASSERT_EQ(r.Width(), 276);
    ASSERT_EQ(r.Height(), 232);
    const uint8_t a = 0xE0, b = 0x1C, c = 0x03;
    const std::vector<uint8_t> data = MyartData({}, {
                                                        a, 0,   // 256 pixels: line 0
                                                        b, 200, // line 1: 200 of b
                                                        c, 100, // 56 fit, 44 dropped
                                                        a, 1,   // line 2 starts at x = 10
                                                    });
    DrawMyart(r, 256, data.data(), data.size());
    const Rgb ca = Myart256Colour(a), cb = Myart256Colour(b), cc = Myart256Colour(c);
    EXPECT_TRUE(Is(r, 10, 10, ca));
    EXPECT_TRUE(Is(r, 265, 10, ca));
    EXPECT_TRUE(Is(r, 266, 10, kGrey));
    EXPECT_TRUE(Is(r, 209, 11, cb));
    EXPECT_TRUE(Is(r, 210, 11, cc));
    EXPECT_TRUE(Is(r, 265, 11, cc));
    EXPECT_TRUE(Is(r, 10, 12, ca));
    EXPECT_TRUE(Is(r, 11, 12, kGrey));
    EXPECT_TRUE(Is(r, 9, 10, kGrey));

    // An odd byte at the end is no pair.
    Raster odd = NewMyartBitmap(256);
    const std::vector<uint8_t> tail = MyartData({}, {a, 2, b});
    DrawMyart(odd, 256, tail.data(), tail.size());
    EXPECT_TRUE(Is(odd, 11, 10, ca));
    EXPECT_TRUE(Is(odd, 12, 10, kGrey));
}

TEST(MyartDecoder, Mode512PaletteNineBitRunsAnd212Lines)
{
    Raster r = NewMyartBitmap(512);
    ASSERT_EQ(r.Width(), 532);
    ASSERT_EQ(r.Height(), 232);
    std::vector<uint8_t> palette(32, 0);
    palette[2 * 2] = 0x70; // red
    palette[2 * 5] = 0x07; // blue
    palette[2 * 5 + 1] = 0x07;
    std::vector<uint8_t> pairs = {
        0x21, 0x00, // index 2, run 0x100 = 256
        0x50, 0x05, // index 5, run 5
        0x50, 0x00, // run 0 = 512, cut at the line end after 251
        0x20, 0x00, // line 1 whole
    };
    // Far more lines than the picture has: it ends after 212.
    for (int i = 0; i < 300; ++i) {
        pairs.push_back(0x50);
        pairs.push_back(0x00);
    }
    const std::vector<uint8_t> data = MyartData(palette, pairs);
    DrawMyart(r, 512, data.data(), data.size());
    const Rgb red{254, 0, 0}, blueGreen{0, 254, 254};
    EXPECT_TRUE(Is(r, 10, 10, red));
    EXPECT_TRUE(Is(r, 265, 10, red));
    EXPECT_TRUE(Is(r, 266, 10, blueGreen));
    EXPECT_TRUE(Is(r, 521, 10, blueGreen));
    EXPECT_TRUE(Is(r, 522, 10, kGrey));
    EXPECT_TRUE(Is(r, 10, 11, red));
    EXPECT_TRUE(Is(r, 521, 11, red));
    EXPECT_TRUE(Is(r, 10, 221, blueGreen)); // line 211
    EXPECT_TRUE(Is(r, 10, 222, kGrey));     // nothing below the picture

    EXPECT_EQ(MyartSizeText(10, 512), " (size= 1280 bytes: 512x212, 16 colors)");
    EXPECT_EQ(MyartSizeText(3, 256), " (size= 384 bytes: 256x212, 256 colors)");
    EXPECT_TRUE(BeginsWithGif(reinterpret_cast<const uint8_t *>("gIf89a"), 6));
    EXPECT_FALSE(BeginsWithGif(reinterpret_cast<const uint8_t *>("GI"), 2));
    EXPECT_FALSE(BeginsWithGif(reinterpret_cast<const uint8_t *>("GJF"), 3));
}

TEST(CharacterSetDecoder, TwelveRowsOfSixteenOnBlue)
{
    Raster r = NewCharsetBitmap();
    ASSERT_EQ(r.Width(), 276);
    ASSERT_EQ(r.Height(), 212);
    EXPECT_TRUE(Is(r, 0, 0, kBlue));
    std::vector<uint8_t> patterns(256 * 8, 0);
    for (int n = 0; n < 256; ++n) {
        patterns[n * 8] = 0x80; // each pattern's top left pixel
    }
    DrawCharacterSet(r, patterns.data(), patterns.size());
    EXPECT_TRUE(Is(r, 10, 10, kWhite));
    EXPECT_TRUE(Is(r, 11, 10, kBlue));
    EXPECT_TRUE(Is(r, 26, 10, kWhite)); // pitch 16
    EXPECT_TRUE(Is(r, 10 + 15 * 16, 10, kWhite));
    EXPECT_TRUE(Is(r, 10, 26, kWhite));                     // the second row
    EXPECT_TRUE(Is(r, 10 + 15 * 16, 10 + 11 * 16, kWhite)); // pattern 191
    int white = 0;
    for (int y = 0; y < r.Height(); ++y) {
        for (int x = 0; x < r.Width(); ++x) {
            white += r.At(x, y) == kWhite ? 1 : 0;
        }
    }
    EXPECT_EQ(white, 192);

    const uint8_t header[6] = {0xFF, 0xFF, 0x08, 0x00, 0x08, 0x00};
    EXPECT_EQ(CharsetSizeText(header), " (size= 2048 bytes, Vdp address >0800)");
    // The length word comes before the address, as in every memory image.
    const uint8_t high[6] = {0, 0, 0xFF, 0xFE, 0xAB, 0xCD};
    EXPECT_EQ(CharsetSizeText(high), " (size= 65534 bytes, Vdp address >ABCD)");
}

} // namespace
} // namespace kestrel
