#include "viewers/picture/raster.h"

#include <string>

namespace kestrel
{

Raster::Raster(int width, int height, Rgb fill)
    : m_width(width > 0 ? width : 0), m_height(height > 0 ? height : 0),
      m_rgb(static_cast<size_t>(m_width) * static_cast<size_t>(m_height) * 3)
{
    Fill(fill);
}

void Raster::Set(int x, int y, Rgb colour)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return;
    }
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(m_width) + x) * 3;
    m_rgb[at] = colour.r;
    m_rgb[at + 1] = colour.g;
    m_rgb[at + 2] = colour.b;
}

Rgb Raster::At(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height) {
        return {};
    }
    const size_t at = (static_cast<size_t>(y) * static_cast<size_t>(m_width) + x) * 3;
    return {m_rgb[at], m_rgb[at + 1], m_rgb[at + 2]};
}

void Raster::Fill(Rgb colour)
{
    for (size_t i = 0; i + 2 < m_rgb.size(); i += 3) {
        m_rgb[i] = colour.r;
        m_rgb[i + 1] = colour.g;
        m_rgb[i + 2] = colour.b;
    }
}

std::vector<uint8_t> EncodePpm(const Raster &raster)
{
    const std::string head =
        "P6\n" + std::to_string(raster.Width()) + " " + std::to_string(raster.Height()) + "\n255\n";
    std::vector<uint8_t> bytes(head.begin(), head.end());
    bytes.insert(bytes.end(), raster.Bytes().begin(), raster.Bytes().end());
    return bytes;
}

} // namespace kestrel
