#include <gtest/gtest.h>

#include "app/shell/colour_contrast.h"

namespace kestrel::testing
{
namespace
{

constexpr uint32_t kBlack = 0x000000;
constexpr uint32_t kWhite = 0xFFFFFF;
constexpr uint32_t kGrey = 0xC2C2C2;   // the list background of a first start
constexpr uint32_t kYellow = 0x00FFFF; // the mark colour settings files keep

TEST(ColourContrast, RatioMatchesTheKnownValues)
{
    EXPECT_NEAR(ContrastRatio(kBlack, kWhite), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(kWhite, kBlack), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(kGrey, kGrey), 1.0, 1e-9);
    // Mid grey 0x777777 is the usual boundary case: 4.48:1 on white.
    EXPECT_NEAR(ContrastRatio(0x777777, kWhite), 4.48, 0.01);
    // Pure red against white: 4.0:1 (green counts most, blue least).
    EXPECT_NEAR(ContrastRatio(0x0000FF, kWhite), 4.0, 0.01);
    EXPECT_GT(RelativeLuminance(0x00FF00), RelativeLuminance(0x0000FF));
    EXPECT_GT(RelativeLuminance(0x0000FF), RelativeLuminance(0xFF0000));
}

TEST(ColourContrast, YellowMarksOnGreyWereUnreadable)
{
    EXPECT_LT(ContrastRatio(kYellow, kGrey), 2.0);
}

TEST(ColourContrast, EveryTextOfTheListReadsWithTheDefaults)
{
    for (uint32_t mark : {kReadableMarkColor, kYellow}) {
        const ListColours c = EffectiveListColours(kBlack, kGrey, mark);
        EXPECT_GE(ContrastRatio(c.text, c.background), kMinTextContrast) << mark;
        EXPECT_GE(ContrastRatio(c.mark, c.background), kMinTextContrast) << mark;
        EXPECT_GE(ContrastRatio(c.cursorText, c.cursorBar), kMinTextContrast) << mark;
        EXPECT_GE(ContrastRatio(c.cursorMark, c.cursorBar), kMinTextContrast) << mark;
        // Marked rows stay apart from plain ones.
        EXPECT_NE(c.mark, c.text) << mark;
        EXPECT_NE(c.cursorMark, c.cursorText) << mark;
    }
    // The new default needs no correction on the grey background.
    EXPECT_EQ(EffectiveListColours(kBlack, kGrey, kReadableMarkColor).mark, kReadableMarkColor);
}

TEST(ColourContrast, ReadableColoursStayAndOthersMoveTowardsBlackOrWhite)
{
    // Already readable: unchanged.
    EXPECT_EQ(ReadableOn(kBlack, kGrey), kBlack);
    EXPECT_EQ(ReadableOn(0x000080, kWhite), 0x000080u);
    // Yellow on grey gets darker, yellow on black stays.
    const uint32_t onGrey = ReadableOn(kYellow, kGrey);
    EXPECT_GE(ContrastRatio(onGrey, kGrey), kMinTextContrast);
    EXPECT_LT(RelativeLuminance(onGrey), RelativeLuminance(kYellow));
    EXPECT_EQ(onGrey & 0xFF0000, 0u) << "blue stays out of a darkened yellow";
    EXPECT_EQ(ReadableOn(kYellow, kBlack), kYellow);
    // Dark blue on black gets lighter.
    const uint32_t onBlack = ReadableOn(0x800000, kBlack);
    EXPECT_GE(ContrastRatio(onBlack, kBlack), kMinTextContrast);
    EXPECT_GT(RelativeLuminance(onBlack), RelativeLuminance(0x800000));
    // Whatever the user chose, the result reads.
    for (uint32_t fore : {0x808080u, 0x7F7F7Fu, 0x00FF00u, 0xC2C2C2u})
        for (uint32_t back : {0x808080u, 0x777777u, 0xC2C2C2u, 0x000000u, 0xFFFFFFu})
            EXPECT_GE(ContrastRatio(ReadableOn(fore, back), back), kMinTextContrast)
                << std::hex << fore << " on " << back;
}

} // namespace
} // namespace kestrel::testing
