// One file list pane: what it shows (its Location with the catalog), where it
// is scrolled to, its cursor, Shift-click anchor, cursor history and columns.
// The shell owns two of these for the whole run; the widgets only draw them.
#pragma once

#include <array>
#include <string>

#include "tifs/catalog_entry.h"
#include "tifs/location.h"
#include "tifs/settings.h"

namespace kestrel
{

constexpr int kHistorySize = 10;

// Cursor positions saved when entering a container or subdirectory, so that
// going back up puts the cursor on the entry that was entered.
struct CursorHistory {
    int depth = 0;
    std::array<int, kHistorySize> indices{};
};

struct PaneColumn {
    std::string text;
    int index = 0;
    int left = 0; // pixels, from the header
    int width = 100;
};

// The six column titles, in order.
extern const char *const kColumnTitles[kColumnCount];

enum PaneSide : int { kLeftPane = 0, kRightPane = 1 };

struct Pane {
    int top = 0;            // index of the first entry shown
    int maxTop = 0;         // count - rows per page; negative when everything fits
    int countCopy = 0;      // entry count as of the last layout or scroll-bar update
    int firstDrawn = 0;     // first entry drawn at the last paint
    int afterLastDrawn = 0; // index after the last entry drawn at the last paint
    int cursor = 0;
    int anchor = -1; // start of a Shift-click range, -1 for none
    int rowsPerPage = 0;
    CursorHistory history;
    std::array<PaneColumn, kColumnCount> columns;
    Location location; // sort order, location state and the catalog

    Pane();

    int Count() const { return static_cast<int>(location.entries.size()); }
    bool Empty() const { return location.entries.empty(); }
    // Null for an index outside the catalog.
    CatalogEntry *Entry(int index);
    const CatalogEntry *Entry(int index) const;
    CatalogEntry *CursorEntry() { return Entry(cursor); }
    const CatalogEntry *CursorEntry() const { return Entry(cursor); }
};

// Gives the columns these widths; each left position is the sum of the
// widths before it. Negative widths count as 0.
void SetColumnWidths(Pane &pane, const int widths[kColumnCount]);

// Takes left positions and widths as the header reports them after a drag.
void SetColumnGeometry(Pane &pane, const int lefts[kColumnCount], const int widths[kColumnCount]);

// The scroll-bar update: stores the count copy and max top and keeps top
// inside 0 .. max(0, max top).
void UpdateScrollState(Pane &pane);

// What a paint will draw: from max(top, 0), at most rows per page entries.
// Called before every paint so that the cursor rules see what the user sees.
void UpdateDrawnRange(Pane &pane);

// Empties the catalog and forgets the drawn range; the location texts stay.
void ClearCatalog(Pane &pane);

} // namespace kestrel
