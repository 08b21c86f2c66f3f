// The arithmetic of printing a text window: page geometry from the printer's
// measurements and the margins, the cut of the text into printed lines, the
// range to print and the order of pages with copies and collation.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "app/shell/page_margins.h"

namespace kestrel
{

// Longest edit line a page prints; the rest of a longer line is dropped.
constexpr size_t kPrintLineLimit = 1024;

// What the printer reports, in device pixels.
struct PrinterMetrics {
    int physicalWidth = 0;
    int physicalHeight = 0;
    int offsetX = 0; // unprintable border left and top
    int offsetY = 0;
    int dpiX = 0;
    int dpiY = 0;
    int fontHeight = 0;      // cell height of the printing font
    int externalLeading = 0; // extra space between lines
    int averageCharWidth = 0;
};

struct PrintLayout {
    int originX = 0; // where the first line starts, in the device's coordinates
    int originY = 0;
    int lineHeight = 1;
    int linesPerPage = 1;
    int charsPerLine = 1;
};

// Margins into device pixels, the text origin and the page's capacity. A
// page or line too small for one line or character still takes one, so a
// print job always ends.
PrintLayout ComputePrintLayout(const PrinterMetrics &metrics, const PageMargins &margins);

// The lines of a text held with CR LF or LF line ends. A final line end
// starts no further line, and an empty text has none.
std::vector<std::string> SplitTextLines(const std::string &text);

// Each text line cut at 1024 characters and then into printed lines of at
// most charsPerLine characters; an empty line gives one empty printed line.
// firstOfLine[i] is the index of text line i's first printed line.
struct PrintedText {
    std::vector<std::string> lines;
    std::vector<size_t> firstOfLine;
};
PrintedText CutPrintedLines(const std::vector<std::string> &textLines, int charsPerLine);

// The printed lines of the selection: from the first printed line of the
// text line holding startLine to that of endLine, both included. Returns
// [first, last) in printed lines.
struct PrintedRange {
    size_t first = 0;
    size_t last = 0;
};
PrintedRange SelectionRange(const PrintedText &printed, size_t startLine, size_t endLine);

// The index of the text line that holds byte position of text (CR LF or LF).
size_t LineOfPosition(const std::string &text, size_t position);

// The pages of a job in the order they are printed: the range cut into pages
// of linesPerPage lines (the last one holds the rest; no page for an empty
// range), copies times, whole range per copy when collate is set, else each
// page copies times before the next.
struct PrintedPage {
    size_t firstLine = 0;
    size_t lineCount = 0;
};
std::vector<PrintedPage> PaginatePrintJob(PrintedRange range, int linesPerPage, int copies,
                                          bool collate);

// a * b / c rounded to the nearest integer; -1 when c is 0.
int MulDiv(int a, int b, int c);

} // namespace kestrel
