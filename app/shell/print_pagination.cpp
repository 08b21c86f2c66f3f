#include "app/shell/print_pagination.h"

#include <algorithm>
#include <cstdint>

namespace kestrel
{

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    int64_t quotient = product / c;
    const int64_t remainder = product % c;
    const int64_t absRemainder = remainder < 0 ? -remainder : remainder;
    const int64_t absDivisor = c < 0 ? -static_cast<int64_t>(c) : c;
    if (2 * absRemainder >= absDivisor)
        quotient += ((product < 0) != (c < 0)) ? -1 : 1;
    return static_cast<int>(quotient);
}

PrintLayout ComputePrintLayout(const PrinterMetrics &metrics, const PageMargins &margins)
{
    const PageMargins thou = MarginsInThousandthsOfInch(margins);
    const int left = MulDiv(thou.left, metrics.dpiX, 1000);
    const int right = MulDiv(thou.right, metrics.dpiX, 1000);
    const int top = MulDiv(thou.top, metrics.dpiY, 1000);
    const int bottom = MulDiv(thou.bottom, metrics.dpiY, 1000);

    PrintLayout layout;
    layout.originX = left - metrics.offsetX;
    layout.originY = top - metrics.offsetY;
    layout.lineHeight = std::max(1, metrics.fontHeight + metrics.externalLeading);
    layout.linesPerPage =
        std::max(1, (metrics.physicalHeight - top - bottom) / layout.lineHeight - 1);
    const int charWidth = std::max(1, metrics.averageCharWidth);
    layout.charsPerLine = std::max(1, (metrics.physicalWidth - left - right) / charWidth - 1);
    return layout;
}

std::vector<std::string> SplitTextLines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        size_t cut = end;
        if (cut > start && text[cut - 1] == '\r')
            --cut;
        lines.push_back(text.substr(start, cut - start));
        start = end + 1;
    }
    return lines;
}

PrintedText CutPrintedLines(const std::vector<std::string> &textLines, int charsPerLine)
{
    const size_t width = static_cast<size_t>(std::max(1, charsPerLine));
    PrintedText printed;
    printed.firstOfLine.reserve(textLines.size());
    for (const std::string &whole : textLines) {
        printed.firstOfLine.push_back(printed.lines.size());
        const std::string line = whole.substr(0, kPrintLineLimit);
        if (line.empty()) {
            printed.lines.emplace_back();
            continue;
        }
        for (size_t at = 0; at < line.size(); at += width)
            printed.lines.push_back(line.substr(at, width));
    }
    return printed;
}

PrintedRange SelectionRange(const PrintedText &printed, size_t startLine, size_t endLine)
{
    if (printed.firstOfLine.empty())
        return {};
    const size_t lastLine = printed.firstOfLine.size() - 1;
    startLine = std::min(startLine, lastLine);
    endLine = std::min(std::max(endLine, startLine), lastLine);
    return {printed.firstOfLine[startLine], printed.firstOfLine[endLine] + 1};
}

size_t LineOfPosition(const std::string &text, size_t position)
{
    position = std::min(position, text.size());
    return static_cast<size_t>(
        std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
}

std::vector<PrintedPage> PaginatePrintJob(PrintedRange range, int linesPerPage, int copies,
                                          bool collate)
{
    std::vector<PrintedPage> pages;
    const size_t perPage = static_cast<size_t>(std::max(1, linesPerPage));
    std::vector<PrintedPage> once;
    for (size_t at = range.first; at < range.last; at += perPage)
        once.push_back({at, std::min(perPage, range.last - at)});
    const int count = std::max(1, copies);
    if (collate) {
        for (int copy = 0; copy < count; ++copy)
            pages.insert(pages.end(), once.begin(), once.end());
    } else {
        for (const PrintedPage &page : once)
            pages.insert(pages.end(), static_cast<size_t>(count), page);
    }
    return pages;
}

} // namespace kestrel
