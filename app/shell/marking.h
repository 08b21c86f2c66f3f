// Marking: which entries can be marked, and the three marking keys.
#pragma once

#include "app/shell/pane.h"

namespace kestrel
{

// TI files, floppy and PC99 images, CF7A+ volumes on a card, PC files.
bool IsMarkable(const CatalogEntry &entry);

enum class MarkAction { Toggle, Mark, Unmark };

// The cursor entry alone, when markable. Returns true when it changed.
bool MarkCursorEntry(Pane &pane, MarkAction action);
// Every markable entry (Toggle is not used for all and counts as Unmark).
void MarkAll(Pane &pane, bool mark);
// Every entry, markable or not (a click without Ctrl starts afresh).
void UnmarkEverything(Pane &pane);
// Entries from..to in either order, both included, clipped to the list.
void MarkRange(Pane &pane, int from, int to);
int MarkedCount(const Pane &pane);

} // namespace kestrel
