#include "app/shell/pane.h"

#include <algorithm>

namespace kestrel
{

const char *const kColumnTitles[kColumnCount] = {"Pc Name", "Ti Name", "Size",
                                                 "Type",    "Attr",    "Description"};

Pane::Pane()
{
    for (int i = 0; i < kColumnCount; ++i) {
        columns[i].text = kColumnTitles[i];
        columns[i].index = i;
        columns[i].left = i * 100;
        columns[i].width = 100;
    }
}

CatalogEntry *Pane::Entry(int index)
{
    if (index < 0 || index >= Count())
        return nullptr;
    return location.entries[index].get();
}

const CatalogEntry *Pane::Entry(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return location.entries[index].get();
}

void SetColumnWidths(Pane &pane, const int widths[kColumnCount])
{
    int left = 0;
    for (int i = 0; i < kColumnCount; ++i) {
        pane.columns[i].left = left;
        pane.columns[i].width = std::max(0, widths[i]);
        left += pane.columns[i].width;
    }
}

void SetColumnGeometry(Pane &pane, const int lefts[kColumnCount], const int widths[kColumnCount])
{
    for (int i = 0; i < kColumnCount; ++i) {
        pane.columns[i].left = lefts[i];
        pane.columns[i].width = std::max(0, widths[i]);
    }
}

void UpdateScrollState(Pane &pane)
{
    pane.countCopy = pane.Count();
    pane.maxTop = pane.countCopy - pane.rowsPerPage;
    pane.top = std::clamp(pane.top, 0, std::max(0, pane.maxTop));
}

void UpdateDrawnRange(Pane &pane)
{
    pane.firstDrawn = std::max(pane.top, 0);
    int rows = std::max(pane.rowsPerPage, 0);
    pane.afterLastDrawn = std::max(pane.firstDrawn, std::min(pane.Count(), pane.firstDrawn + rows));
}

void ClearCatalog(Pane &pane)
{
    pane.location.entries.clear();
    pane.countCopy = 0;
    pane.firstDrawn = 0;
    pane.afterLastDrawn = 0;
}

} // namespace kestrel
