#include "app/shell/marking.h"

#include <algorithm>

namespace kestrel
{

bool IsMarkable(const CatalogEntry &entry)
{
    uint16_t k = entry.ti.kind;
    return (k >= kKindDisFix && k <= kKindProgram) || IsFloppyImageKind(k) ||
           k == kKindCf7DriveVolume || k == kKindDos;
}

bool MarkCursorEntry(Pane &pane, MarkAction action)
{
    CatalogEntry *e = pane.CursorEntry();
    if (!e || !IsMarkable(*e))
        return false;
    bool before = e->marked;
    switch (action) {
    case MarkAction::Toggle:
        e->marked = !e->marked;
        break;
    case MarkAction::Mark:
        e->marked = true;
        break;
    case MarkAction::Unmark:
        e->marked = false;
        break;
    }
    return e->marked != before;
}

void MarkAll(Pane &pane, bool mark)
{
    for (auto &e : pane.location.entries)
        if (IsMarkable(*e))
            e->marked = mark;
}

void UnmarkEverything(Pane &pane)
{
    for (auto &e : pane.location.entries)
        e->marked = false;
}

void MarkRange(Pane &pane, int from, int to)
{
    if (from > to)
        std::swap(from, to);
    from = std::max(from, 0);
    to = std::min(to, pane.Count() - 1);
    for (int i = from; i <= to; ++i)
        pane.location.entries[i]->marked = true;
}

int MarkedCount(const Pane &pane)
{
    return static_cast<int>(std::count_if(pane.location.entries.begin(),
                                          pane.location.entries.end(),
                                          [](const auto &e) { return e->marked; }));
}

} // namespace kestrel
