#include <gtest/gtest.h>

#include "app/shell/page_margins.h"
#include "app/shell/print_pagination.h"

namespace kestrel
{
namespace
{

// A 600 dpi letter page with a 50-pixel cell and 25-pixel characters.
PrinterMetrics Letter600()
{
    PrinterMetrics m;
    m.physicalWidth = 5100;
    m.physicalHeight = 6600;
    m.offsetX = 75;
    m.offsetY = 60;
    m.dpiX = 600;
    m.dpiY = 600;
    m.fontHeight = 48;
    m.externalLeading = 2;
    m.averageCharWidth = 25;
    return m;
}

TEST(PrintLayout, GeometryFromMarginsAndFont)
{
    const PrintLayout us = ComputePrintLayout(Letter600(), DefaultPageMargins(false));
    // 780/1000 in at 600 dpi = 468 pixels, 590 -> 354.
    EXPECT_EQ(us.originX, 468 - 75);
    EXPECT_EQ(us.originY, 354 - 60);
    EXPECT_EQ(us.lineHeight, 50);
    EXPECT_EQ(us.linesPerPage, (6600 - 354 - 354) / 50 - 1);
    EXPECT_EQ(us.charsPerLine, (5100 - 468 - 468) / 25 - 1);

    // Metric margins become thousandths of an inch by integer division
    // first: 2000 -> 787, 1500 -> 590; MulDiv rounds 787 * 600 / 1000.
    const PrintLayout metric = ComputePrintLayout(Letter600(), DefaultPageMargins(true));
    EXPECT_EQ(metric.originX, 472 - 75);
    EXPECT_EQ(metric.originY, 354 - 60);

    // Margins wider than the page still leave one line of one character.
    PageMargins huge{9000, 9000, 9000, 9000, false};
    const PrintLayout tight = ComputePrintLayout(Letter600(), huge);
    EXPECT_EQ(tight.linesPerPage, 1);
    EXPECT_EQ(tight.charsPerLine, 1);
    PrinterMetrics broken = Letter600();
    broken.fontHeight = 0;
    broken.externalLeading = 0;
    broken.averageCharWidth = 0;
    EXPECT_GE(ComputePrintLayout(broken, huge).lineHeight, 1);
}

TEST(PrintLayout, MulDivRoundsToNearest)
{
    EXPECT_EQ(MulDiv(787, 600, 1000), 472);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(PrintLayout, MarginUnitsFollowTheMeasurementSystem)
{
    const PageMargins us = DefaultPageMargins(false);
    EXPECT_EQ(us.left, 780);
    EXPECT_EQ(us.top, 590);
    EXPECT_EQ(us.right, 780);
    EXPECT_EQ(us.bottom, 590);
    const PageMargins metric = DefaultPageMargins(true);
    EXPECT_EQ(metric.left, 2000);
    EXPECT_EQ(metric.top, 1500);
    EXPECT_TRUE(metric.metric);
    EXPECT_EQ(MarginsInThousandthsOfInch(metric).left, 787);
    EXPECT_EQ(MarginsInThousandthsOfInch(metric).top, 590);
    EXPECT_EQ(MarginsInThousandthsOfInch(us).left, 780);
    EXPECT_DOUBLE_EQ(MarginToMillimetres(2000, true), 20.0);
    EXPECT_DOUBLE_EQ(MarginToMillimetres(1000, false), 25.4);
    EXPECT_EQ(MarginFromMillimetres(20.0, true), 2000);
    EXPECT_EQ(MarginFromMillimetres(19.812, false), 780);

    Settings settings;
    StoreMargins(settings, metric);
    EXPECT_EQ(settings.marginLeft, 2000);
    EXPECT_EQ(settings.marginBottom, 1500);
    EXPECT_TRUE(settings.marginsMetric);
    EXPECT_EQ(MarginsFromSettings(settings).right, 2000);
}

TEST(PrintPagination, LinesAreCutAtTheLimitAndThenByWidth)
{
    const std::string longLine(1500, 'x');
    const std::vector<std::string> lines = SplitTextLines("abcdefg\r\n\r\n" + longLine + "\r\n");
    ASSERT_EQ(lines.size(), 3u); // the final line end starts no line
    const PrintedText printed = CutPrintedLines(lines, 3);
    // 7 characters -> 3 lines, the blank line -> 1, 1024 of 1500 -> 342.
    ASSERT_EQ(printed.lines.size(), 3u + 1u + 342u);
    EXPECT_EQ(printed.lines[0], "abc");
    EXPECT_EQ(printed.lines[2], "g");
    EXPECT_EQ(printed.lines[3], "");
    EXPECT_EQ(printed.lines.back(), "x"); // 1024 = 341 * 3 + 1
    EXPECT_EQ(printed.firstOfLine, (std::vector<size_t>{0, 3, 4}));

    EXPECT_TRUE(SplitTextLines("").empty());
    EXPECT_EQ(SplitTextLines("a\nb").size(), 2u);
    EXPECT_EQ(SplitTextLines("\r\n").size(), 1u);
}

TEST(PrintPagination, PagesCopiesAndCollation)
{
    // Exactly two pages' worth: no blank third page.
    std::vector<PrintedPage> pages = PaginatePrintJob({0, 10}, 5, 1, false);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].firstLine, 5u);
    EXPECT_EQ(pages[1].lineCount, 5u);
    pages = PaginatePrintJob({0, 11}, 5, 1, false);
    ASSERT_EQ(pages.size(), 3u);
    EXPECT_EQ(pages[2].lineCount, 1u);
    // An empty text: a job without pages, whatever the copies.
    EXPECT_TRUE(PaginatePrintJob({0, 0}, 5, 3, true).empty());
    EXPECT_TRUE(CutPrintedLines(SplitTextLines(""), 80).lines.empty());

    // Collated: 1 2 1 2; not collated: 1 1 2 2.
    pages = PaginatePrintJob({0, 7}, 5, 2, true);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[0].firstLine, 0u);
    EXPECT_EQ(pages[1].firstLine, 5u);
    EXPECT_EQ(pages[2].firstLine, 0u);
    pages = PaginatePrintJob({0, 7}, 5, 2, false);
    ASSERT_EQ(pages.size(), 4u);
    EXPECT_EQ(pages[1].firstLine, 0u);
    EXPECT_EQ(pages[2].firstLine, 5u);
    EXPECT_EQ(pages[3].lineCount, 2u);
}

TEST(PrintPagination, SelectionRunsFromItsStartLineToItsEndLine)
{
    const std::string text = "one\r\ntwo two two\r\nthree\r\nfour";
    const PrintedText printed = CutPrintedLines(SplitTextLines(text), 4);
    // one | two | two | two | thr ee | four -> firstOfLine 0, 1, 4, 6
    EXPECT_EQ(printed.firstOfLine, (std::vector<size_t>{0, 1, 4, 6}));
    const size_t inTwo = text.find("two");
    const size_t inThree = text.find("three") + 2;
    const PrintedRange range =
        SelectionRange(printed, LineOfPosition(text, inTwo), LineOfPosition(text, inThree));
    EXPECT_EQ(range.first, 1u);
    EXPECT_EQ(range.last, 5u);
    const PrintedRange one = SelectionRange(printed, 0, 0);
    EXPECT_EQ(one.first, 0u);
    EXPECT_EQ(one.last, 1u);
    EXPECT_EQ(SelectionRange(printed, 9, 12).first, 6u);
    EXPECT_EQ(SelectionRange(PrintedText{}, 0, 0).last, 0u);
}

} // namespace
} // namespace kestrel
