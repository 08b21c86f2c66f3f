#include "app/shell/colour_contrast.h"

#include <cmath>

namespace kestrel
{

namespace
{

double Channel(uint32_t value)
{
    const double c = static_cast<double>(value & 0xFF) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

uint32_t Blend(uint32_t colour, uint32_t towards, int step, int steps)
{
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int from = static_cast<int>((colour >> shift) & 0xFF);
        const int to = static_cast<int>((towards >> shift) & 0xFF);
        const int value = from + (to - from) * step / steps;
        out |= static_cast<uint32_t>(value) << shift;
    }
    return out;
}

} // namespace

double RelativeLuminance(uint32_t colorRef)
{
    return 0.2126 * Channel(colorRef) + 0.7152 * Channel(colorRef >> 8) +
           0.0722 * Channel(colorRef >> 16);
}

double ContrastRatio(uint32_t a, uint32_t b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t ReadableOn(uint32_t colour, uint32_t background, double minRatio)
{
    colour &= 0xFFFFFF;
    if (ContrastRatio(colour, background) >= minRatio)
        return colour;
    // Black or white always reaches 4.5:1 against one of them; walk towards
    // both and take the first blend that reads.
    constexpr int kSteps = 64;
    for (int step = 1; step <= kSteps; ++step) {
        const uint32_t darker = Blend(colour, 0x000000, step, kSteps);
        const uint32_t lighter = Blend(colour, 0xFFFFFF, step, kSteps);
        const bool darkReads = ContrastRatio(darker, background) >= minRatio;
        const bool lightReads = ContrastRatio(lighter, background) >= minRatio;
        if (darkReads && lightReads)
            return ContrastRatio(darker, background) >= ContrastRatio(lighter, background)
                       ? darker
                       : lighter;
        if (darkReads)
            return darker;
        if (lightReads)
            return lighter;
    }
    return RelativeLuminance(background) > 0.18 ? 0x000000 : 0xFFFFFF;
}

ListColours EffectiveListColours(uint32_t text, uint32_t background, uint32_t mark)
{
    ListColours c;
    c.background = background & 0xFFFFFF;
    c.text = ReadableOn(text, c.background);
    c.mark = ReadableOn(mark, c.background);
    // The bar is filled with the text colour, as it always was; what is
    // written on it must read there too, marked or not.
    c.cursorBar = c.text;
    c.cursorText = ReadableOn(c.background, c.cursorBar);
    c.cursorMark = ReadableOn(mark, c.cursorBar);
    return c;
}

} // namespace kestrel
