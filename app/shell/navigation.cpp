// Open entry, Open entry in the other pane, Reread, Goto root, Choose
// location, Open recent, Goto upper directory, Swap, and the redraw and sort
// steps that follow each of them.
#include "app/shell/navigation.h"

#include <algorithm>

#include "app/shell/cursor_history.h"
#include "app/shell/folder_scan.h"
#include "app/shell/shell.h"
#include "tifs/messages.h"

namespace kestrel
{

void ResetToStartLocation(Location &location)
{
    Location fresh;
    fresh.startPath = location.startPath;
    fresh.path = location.startPath;
    fresh.sortOrder = location.sortOrder;
    location.entries.clear();
    CopyLocationState(location, fresh);
}

Shell::Shell(ShellHost &host, LocationService &locations, Ui &ui)
    : m_host(host), m_locations(locations), m_ui(ui)
{
}

void Shell::Redraw(int side)
{
    Pane &p = m_panes[side & 1];
    UpdateScrollState(p);
    UpdateDrawnRange(p);
    m_host.RepaintPane(side & 1);
}

void Shell::RedrawBoth()
{
    for (Pane &p : m_panes) {
        UpdateScrollState(p);
        UpdateDrawnRange(p);
    }
    m_host.RepaintAll();
}

void Shell::SetStartLocations(const std::string &left, const std::string &right, int sortOrder,
                              const int widths[kColumnCount])
{
    const std::string *starts[2] = {&left, &right};
    for (int side = 0; side < 2; ++side) {
        Pane &p = m_panes[side];
        p.location.startPath = *starts[side];
        p.location.sortOrder = sortOrder;
        ResetToStartLocation(p.location);
        SetColumnWidths(p, widths);
        m_host.ColumnsChanged(side);
    }
}

void Shell::ListBothPanes()
{
    m_host.BeginWait();
    CancelScans();
    {
        BusyScope busy(m_busy);
        // Both folders are read at once: the first rows of each wait for neither.
        std::unique_ptr<FolderScan> started[2];
        for (int side = 0; side < 2; ++side) {
            ClearCatalog(m_panes[side]);
            m_locations.OpenLocation(m_panes[side].location, m_ui);
            started[side] = StartScan();
        }
        const auto waitEnd = FirstWaitEnd();
        for (int side = 0; side < 2; ++side)
            AdoptScan(side, std::move(started[side]), waitEnd);
    }
    for (Pane &p : m_panes) {
        m_locations.Sort(p.location);
        p.top = 0;
        UpdateScrollState(p);
        UpdateDrawnRange(p);
    }
    m_panes[0].cursor = m_panes[0].firstDrawn;
    m_panes[1].cursor = m_panes[0].cursor;
    m_host.EndWait();
    RedrawBoth();
    NoteScanCursor(0);
    NoteScanCursor(1);
}

void Shell::AfterListing(int side)
{
    Pane &p = m_panes[side];
    m_locations.Sort(p.location);
    UpdateScrollState(p);
    UpdateDrawnRange(p);
}

void Shell::SortAndShow(int side, int order)
{
    if (Busy())
        return;
    if (order < 0)
        return;
    Pane &p = m_panes[side & 1];
    p.location.sortOrder = order;
    m_locations.Sort(p.location);
    UpdateDrawnRange(p);
    if (p.firstDrawn < p.Count())
        p.cursor = p.firstDrawn;
    Redraw(side & 1);
}

void Shell::ColumnsResized(int side, const int lefts[kColumnCount], const int widths[kColumnCount])
{
    if (Busy())
        return;
    SetColumnGeometry(m_panes[side & 1], lefts, widths);
    Redraw(side & 1);
}

void Shell::OpenEntry(int side, int index)
{
    if (Busy())
        return;
    const CatalogEntry *e = m_panes[side & 1].Entry(index);
    if (!e)
        return;
    // The listing replaces the catalog that holds the entry.
    CatalogEntry entry = *e;
    OpenEntryOf(side & 1, entry);
}

bool Shell::OpenEntryOf(int side, const CatalogEntry &entry)
{
    Pane &p = m_panes[side];
    Location &loc = p.location;
    uint16_t kind = entry.ti.kind;

    if (kind == kKindDisFix) {
        if (entry.ti.recordLength != 128)
            return false;
        if (loc.kind == kLocPcDirectory && entry.ti.sectors >= 1) {
            int gif = m_locations.IsGifFile(loc, entry, m_ui);
            if (gif < 0)
                return false;
            if (gif > 0) {
                m_host.RunOperation(side, PaneOperation::ShowGifExternal);
                return false;
            }
        }
        kind = kKindIntFix;
    }
    switch (kind) {
    case kKindIntFix:
        if (entry.ti.recordLength != 128 || entry.ti.sectors < 1)
            return false;
        break;
    case kKindSubdir:
    case kKindUpDir:
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:
    case kKindHfe:
    case kKindPartitionedImage:
    case kKindHdImage:
    case kKindCf7Image:
        break;
    case kKindCf7ImageVolume:
        if (entry.disk.Get().totalSectors == 0) {
            ReportError(m_ui, 32);
            return false;
        }
        break;
    default:
        return false;
    }

    // The scroll position only resets when the pane really lists something
    // new; Enter on a plain file, or a container that fails to open, would
    // otherwise scroll the cursor out of sight.
    const int oldTop = p.top;
    p.top = 0;
    bool ok;
    m_scans[side].reset(); // the folder is left: its listing stops here
    {
        BusyScope busy(m_busy);
        ok = m_locations.OpenEntry(loc, entry, m_ui);
        ok = AdoptScan(side) && ok;
    }
    if (!ok)
        p.top = oldTop; // nothing new is shown (kept inside the list by the update below)
    AfterListing(side);
    int wanted = -1;
    if (ok) {
        if (kind == kKindUpDir) {
            // Coming back up: the entry left may not be listed yet.
            const CursorHistory &h = p.history;
            if (h.depth >= 1 && h.depth <= kHistorySize && h.indices[h.depth - 1] >= p.Count())
                wanted = h.indices[h.depth - 1];
            PopCursor(p);
        } else {
            PushCursor(p);
        }
    }
    Redraw(side);
    NoteScanCursor(side, wanted);
    return ok;
}

void Shell::OpenEntryInOtherPane(int index)
{
    if (Busy())
        return;
    Pane &a = Active();
    Pane &o = Other();
    const CatalogEntry *e = a.Entry(index);
    if (!e)
        return;
    CatalogEntry entry = *e;
    m_scans[1 - m_active].reset();
    ClearCatalog(o);
    CopyLocationState(o.location, a.location);
    o.top = a.top;
    o.maxTop = a.maxTop;
    o.firstDrawn = a.firstDrawn;
    o.afterLastDrawn = a.afterLastDrawn;
    o.cursor = a.cursor;
    o.anchor = a.anchor;
    o.history = a.history;
    OpenEntryOf(1 - m_active, entry);
}

void Shell::Reread(int side)
{
    if (Busy())
        return;
    Pane &p = m_panes[side & 1];
    m_scans[side & 1].reset();
    {
        BusyScope busy(m_busy);
        m_locations.Reread(p.location, m_ui);
        AdoptScan(side & 1);
    }
    AfterListing(side & 1);
    // A cursor below what is listed yet waits for its row to come.
    int wanted = -1;
    if (p.cursor >= p.Count()) {
        wanted = p.cursor;
        p.cursor = std::max(0, p.Count() - 1);
    }
    Redraw(side & 1);
    NoteScanCursor(side & 1, wanted);
}

bool Shell::ListStartLocation(int side)
{
    Pane &p = m_panes[side];
    ResetToStartLocation(p.location);
    ClearCatalog(p);
    // A new root has nothing to go back to.
    p.history = CursorHistory{};
    p.anchor = -1;
    bool ok;
    m_scans[side].reset();
    {
        BusyScope busy(m_busy);
        ok = m_locations.OpenLocation(p.location, m_ui);
        ok = AdoptScan(side) && ok;
    }
    if (ok) {
        p.top = 0;
        UpdateScrollState(p);
        UpdateDrawnRange(p);
        p.cursor = p.firstDrawn;
    }
    AfterListing(side);
    Redraw(side);
    NoteScanCursor(side);
    return ok;
}

void Shell::GotoRoot(int side)
{
    if (Busy())
        return;
    m_host.BeginWait();
    ListStartLocation(side & 1);
    m_host.EndWait();
}

void Shell::ChooseLocation(int side)
{
    if (Busy())
        return;
    Pane &p = m_panes[side & 1];
    std::string chosen;
    if (!m_host.BrowseForLocation(p.location.startPath, chosen))
        return;
    p.location.startPath = chosen;
    m_ui.SetLastMessage(0);
    GotoRoot(side & 1);
    // A folder that failed to list leaves message 0, so it is still kept.
    if (m_ui.LastMessage() == 0)
        m_host.AddRecentLocation(chosen);
}

void Shell::OpenRecent(int side, int number)
{
    if (Busy())
        return;
    std::string path = m_host.ReadRecentLocation(number);
    if (path.empty())
        return;
    m_panes[side & 1].location.startPath = path;
    GotoRoot(side & 1);
}

void Shell::GotoUpperDirectory(int side)
{
    if (Busy())
        return;
    const CatalogEntry *first = m_panes[side & 1].Entry(0);
    if (first && first->ti.kind == kKindUpDir)
        OpenEntry(side & 1, 0);
}

void Shell::Swap()
{
    if (Busy())
        return;
    std::swap(m_panes[0], m_panes[1]);
    std::swap(m_scans[0], m_scans[1]);
    std::swap(m_follow[0], m_follow[1]);
    Pane &a = Active();
    if (a.cursor >= a.Count())
        a.cursor = 0;
    m_host.ColumnsChanged(0);
    m_host.ColumnsChanged(1);
    RedrawBoth();
}

} // namespace kestrel
