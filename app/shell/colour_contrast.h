// Readable list colours. Colours here are 0x00BBGGRR values, as the settings
// keep them. The contrast ratio is the one of the WCAG: (L1 + 0.05) /
// (L2 + 0.05) of the relative luminances, 1 for equal colours up to 21 for
// black on white.
#pragma once

#include <cstdint>

namespace kestrel
{

constexpr double kMinTextContrast = 4.5;

// The mark colour a fresh settings file starts with: dark blue, which reads
// on the grey list background and stands apart from the black text.
constexpr uint32_t kReadableMarkColor = 0x00C80000;

double RelativeLuminance(uint32_t colorRef);
double ContrastRatio(uint32_t a, uint32_t b);

// colour itself when it reaches minRatio against background; otherwise the
// nearest blend of it towards black or white that does (the one of the two
// that needs the smaller step), so that a user's hue survives.
uint32_t ReadableOn(uint32_t colour, uint32_t background, double minRatio = kMinTextContrast);

// What the list actually paints with, from the three stored colours.
struct ListColours {
    uint32_t text = 0;       // plain rows
    uint32_t background = 0; // the list, and the text of the cursor bar
    uint32_t mark = 0;       // marked rows
    uint32_t cursorBar = 0;  // fill of the cursor bar
    uint32_t cursorText = 0; // an unmarked entry under the cursor bar
    uint32_t cursorMark = 0; // a marked entry under the cursor bar
};

ListColours EffectiveListColours(uint32_t text, uint32_t background, uint32_t mark);

} // namespace kestrel
