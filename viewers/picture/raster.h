// The off-screen bitmap that the picture decoders draw into: 24-bit RGB,
// rows top to bottom, no padding. Every picture keeps a 10-pixel margin on
// each side of its drawing area.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrel
{

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb &other) const = default;
};

constexpr int kPictureMargin = 10;
constexpr Rgb kPictureBackground{0xC2, 0xC2, 0xC2};

class Raster
{
public:
    Raster() = default;
    // A bitmap of width x height filled with fill; a size below 0 counts as 0.
    Raster(int width, int height, Rgb fill);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    bool Empty() const { return m_width == 0 || m_height == 0; }

    // Pixels outside the bitmap are ignored by Set and read as black by At.
    void Set(int x, int y, Rgb colour);
    Rgb At(int x, int y) const;
    void Fill(Rgb colour);

    // width * height * 3 bytes: R, G, B per pixel, row after row.
    const std::vector<uint8_t> &Bytes() const { return m_rgb; }

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_rgb;
};

// The bitmap as a binary PPM (P6) file image.
std::vector<uint8_t> EncodePpm(const Raster &raster);

} // namespace kestrel
