// Folders listed in the background: a pane's scan is started by the step
// that entered the folder, its batches are merged in the pane's order as
// they arrive, and any step that leaves the folder ends it first, so that a
// scan never touches a pane that has moved on.
#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "app/shell/folder_scan.h"
#include "app/shell/shell.h"
#include "tifs/messages.h"

namespace kestrel
{

namespace
{

int IndexOf(const Pane &pane, const CatalogEntry *entry)
{
    if (entry == nullptr)
        return -1;
    const Catalog &entries = pane.location.entries;
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].get() == entry)
            return static_cast<int>(i);
    return -1;
}

} // namespace

Shell::~Shell()
{
    CancelScans();
}

Shell::ScanHold::~ScanHold()
{
    if (--m_shell.m_scanHolds == 0 && m_shell.m_deliveryHeld)
        m_shell.DeliverScans();
}

std::string Shell::ScanProgressText(int side) const
{
    const FolderScan *scan = m_scans[side & 1].get();
    if (scan == nullptr)
        return {};
    char text[64];
    std::snprintf(text, sizeof text, "  (%zu files...)", scan->Listed());
    return text;
}

void Shell::CancelScan(int side)
{
    if (!m_scans[side & 1])
        return;
    m_scans[side & 1].reset();
    Redraw(side & 1);
}

void Shell::CancelScans()
{
    for (auto &scan : m_scans)
        scan.reset();
}

std::unique_ptr<FolderScan> Shell::StartScan()
{
    std::unique_ptr<PcDirectoryScan> unfinished = m_locations.TakeUnfinishedScan();
    if (!unfinished)
        return nullptr;
    return std::make_unique<FolderScan>(std::move(unfinished), m_scanWake);
}

std::chrono::steady_clock::time_point Shell::FirstWaitEnd() const
{
    return std::chrono::steady_clock::now() + std::chrono::milliseconds(m_scanFirstWaitMs);
}

bool Shell::AdoptScan(int side)
{
    return AdoptScan(side, StartScan(), FirstWaitEnd());
}

bool Shell::AdoptScan(int side, std::unique_ptr<FolderScan> scan,
                      std::chrono::steady_clock::time_point waitEnd)
{
    if (!scan)
        return true;
    Pane &p = m_panes[side];
    const auto left = waitEnd - std::chrono::steady_clock::now();
    scan->WaitFinished(std::max(std::chrono::duration_cast<std::chrono::milliseconds>(left),
                                std::chrono::milliseconds(0)));
    Catalog batch;
    bool finished = false;
    int error = 0;
    scan->Take(batch, finished, error);
    m_locations.MergeSorted(p.location, std::move(batch));
    m_follow[side] = ScanFollow{};
    if (!finished) {
        m_scans[side] = std::move(scan);
        return true;
    }
    if (error != 0) {
        // As the listing on the spot reports it.
        p.location.entries.clear();
        ReportSystemError(m_ui, error, 0, {p.location.path});
        return false;
    }
    return true;
}

void Shell::NoteScanCursor(int side, int wantedCursor)
{
    ScanFollow &f = m_follow[side];
    const Pane &p = m_panes[side];
    f.cursor = p.cursor;
    f.top = p.top;
    f.wantedCursor = m_scans[side] ? wantedCursor : -1;
    f.userMoved = false;
}

void Shell::DeliverScans()
{
    // A listing that pumps events, or a dialog working on a pane's entries,
    // would find the catalog changed under it.
    if (Busy() || m_scanHolds > 0) {
        m_deliveryHeld = true;
        return;
    }
    m_deliveryHeld = false;
    for (int side = 0; side < 2; ++side)
        if (m_scans[side])
            DeliverScan(side);
}

void Shell::DeliverScan(int side)
{
    FolderScan *scan = m_scans[side].get();
    Pane &p = m_panes[side];
    ScanFollow &f = m_follow[side];
    Catalog batch;
    bool finished = false;
    int error = 0;
    scan->Take(batch, finished, error);
    if (!f.userMoved && (p.cursor != f.cursor || p.top != f.top))
        f.userMoved = true;
    if (!batch.empty()) {
        const int oldCursor = p.cursor;
        const CatalogEntry *cursorEntry = p.CursorEntry();
        const CatalogEntry *anchorEntry = p.Entry(p.anchor);
        m_locations.MergeSorted(p.location, std::move(batch));
        if (f.userMoved) {
            // Rows listed above the cursor move it down with its entry, and
            // the view with it, so that what the user looks at stays put.
            const int cursor = IndexOf(p, cursorEntry);
            if (cursor >= 0) {
                p.top = std::max(0, p.top + cursor - oldCursor);
                p.cursor = cursor;
            }
            if (anchorEntry != nullptr)
                p.anchor = IndexOf(p, anchorEntry);
        } else if (f.wantedCursor >= 0 && f.wantedCursor < p.Count()) {
            // The entry the pane came back from is listed now.
            p.top = std::max(0, std::min(p.Count() - p.rowsPerPage, f.wantedCursor));
            p.cursor = f.wantedCursor;
            f.wantedCursor = -1;
        }
    }
    if (finished)
        m_scans[side].reset();
    UpdateScrollState(p);
    UpdateDrawnRange(p);
    f.cursor = p.cursor;
    f.top = p.top;
    Redraw(side);
    if (finished && error != 0 && error != ECANCELED)
        ReportSystemError(m_ui, error, 0, {p.location.path});
}

} // namespace kestrel
