// The application shell without a window system: the two panes, the active
// pane, the key interpreter, the mouse rules and the navigation operations.
// Widgets turn their events into calls here and repaint through ShellHost.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/shell/location_service.h"
#include "app/shell/pane.h"
#include "app/shell/scroll.h"
#include "app/shell/shell_host.h"
#include "tifs/ui.h"

namespace kestrel
{

class FolderScan;

class Shell
{
public:
    Shell(ShellHost &host, LocationService &locations, Ui &ui);
    ~Shell();

    Pane &GetPane(int side) { return m_panes[side & 1]; }
    const Pane &GetPane(int side) const { return m_panes[side & 1]; }
    Pane &Active() { return m_panes[m_active]; }
    Pane &Other() { return m_panes[1 - m_active]; }
    int ActiveSide() const { return m_active; }
    void SetActiveSide(int side) { m_active = side & 1; }
    LocationService &Locations() { return m_locations; }
    Ui &GetUi() { return m_ui; }

    int LineHeight() const { return m_lineHeight; }
    void SetLineHeight(int pixels) { m_lineHeight = pixels > 0 ? pixels : 1; }
    void SetMouseWheel(bool on) { m_mouseWheel = on; }

    // Both panes start at their start locations, unlisted, with these
    // columns and the sort order "sortby".
    void SetStartLocations(const std::string &left, const std::string &right, int sortOrder,
                           const int widths[kColumnCount]);
    // The first timer tick: list both panes, sort, cursor to the top row.
    void ListBothPanes();

    // The key interpreter (key_interpreter.cpp). Ctrl and Shift come from the
    // code's bits; Shift counts only without Ctrl.
    void Key(int code);

    // The mouse (mouse.cpp). y is the pixel row inside the list.
    void Click(int side, int y, bool ctrl, bool shift);
    void DoubleClick(int side, int y, bool ctrl, bool shift);
    void ClickPathLine(int side);
    // Returns false when the wheel is switched off (the event is not taken).
    bool Wheel(int delta);
    void Scroll(int side, ScrollAction action, int thumb = 0);

    // Header click: sort and show with the clicked column as order.
    void SortAndShow(int side, int order);
    // Header drag: the columns take the header's geometry.
    void ColumnsResized(int side, const int lefts[kColumnCount], const int widths[kColumnCount]);

    // Navigation (navigation.cpp).
    void OpenEntry(int side, int index);
    void OpenEntryInOtherPane(int index);
    void Reread(int side);
    void GotoRoot(int side);
    void ChooseLocation(int side);
    void OpenRecent(int side, int number);
    void GotoUpperDirectory(int side);
    void Swap();

    // True while a location is being listed. Listings may pump pending
    // events (and show message boxes), so the user's keys and clicks that
    // arrive meanwhile are dropped rather than run on a half-made catalog.
    bool Busy() const { return m_busy > 0; }

    // Folders listed in the background (when the location service leaves
    // scans unfinished). The first rows come with the step that entered the
    // folder; the rest arrive in batches, merged in the pane's order, while
    // keys and clicks keep working on what is listed. Operations act on
    // what is listed at the time.
    //
    // wake is called on a worker thread; it must only arrange for
    // DeliverScans to run on this shell's thread (a queued call).
    void SetScanWake(std::function<void()> wake) { m_scanWake = std::move(wake); }
    // How long a step waits for its folder before showing what is there
    // (tests set 0 to see batches arrive in any folder).
    void SetScanFirstWait(int ms) { m_scanFirstWaitMs = ms; }
    // Takes what the workers have listed into their panes; a finished scan
    // reports its failure here, on this thread.
    void DeliverScans();
    bool Scanning(int side) const { return m_scans[side & 1] != nullptr; }
    // "  (N files...)" while the pane's folder is being listed, else empty.
    std::string ScanProgressText(int side) const;
    // Stops the listing of the pane (Escape); what is listed stays.
    void CancelScan(int side);
    void CancelScans();
    // While one lives (a dialog or a drag acting on a pane's entries), the
    // catalogs do not change under it; what arrived meanwhile comes after.
    class ScanHold
    {
    public:
        explicit ScanHold(Shell &shell) : m_shell(shell) { ++m_shell.m_scanHolds; }
        ~ScanHold();
        ScanHold(const ScanHold &) = delete;
        ScanHold &operator=(const ScanHold &) = delete;

    private:
        Shell &m_shell;
    };

    // Redraw: refresh the drawn range and the scroll state, then repaint.
    void Redraw(int side);
    void RedrawBoth();

private:
    void MoveDown(Pane &pane);
    void MoveUp(Pane &pane);
    void MarkKey(int key, bool ctrl);
    void ViewKey(int key, bool ctrl, bool shift);
    void PictureKey(int key, bool shift);
    bool OpenEntryOf(int side, const CatalogEntry &entry);
    void AfterListing(int side);
    bool ListStartLocation(int side);
    // After a listing step: runs the scan it left unfinished, waits a moment
    // for it (a small folder is then complete at once) and shows the first
    // rows. Before a step: the pane's running scan goes.
    // False when the scan ended at once with a failure (reported).
    bool AdoptScan(int side);
    // The same in two halves, so that both panes' scans run while one waits: the scan the
    // last listing step left, started (null when there is none), and its adoption, waiting
    // no longer than waitEnd.
    std::unique_ptr<FolderScan> StartScan();
    std::chrono::steady_clock::time_point FirstWaitEnd() const;
    bool AdoptScan(int side, std::unique_ptr<FolderScan> scan,
                   std::chrono::steady_clock::time_point waitEnd);
    void DeliverScan(int side);
    // The pane's cursor and top as the step left them, so that delivery can
    // tell whether the user has moved since.
    void NoteScanCursor(int side, int wantedCursor = -1);

    ShellHost &m_host;
    LocationService &m_locations;
    Ui &m_ui;
    std::array<Pane, 2> m_panes;
    int m_active = kLeftPane;
    int m_lineHeight = 16;
    bool m_mouseWheel = false;
    int m_busy = 0;
    std::function<void()> m_scanWake;
    std::array<std::unique_ptr<FolderScan>, 2> m_scans;
    // What a delivery keeps of the pane between batches: the cursor and top
    // it left (different ones mean the user moved, and the cursor then stays
    // on its entry), and a history position not listed yet.
    struct ScanFollow {
        int cursor = 0;
        int top = 0;
        int wantedCursor = -1;
        bool userMoved = false;
    };
    std::array<ScanFollow, 2> m_follow;
    int m_scanHolds = 0;
    // Long enough for a folder of a few thousand files to be complete, so
    // that small folders look exactly as they always did; a large one shows
    // its first rows then.
    int m_scanFirstWaitMs = 30;
    bool m_deliveryHeld = false;

    struct BusyScope {
        explicit BusyScope(int &counter) : m_counter(counter) { ++m_counter; }
        ~BusyScope() { --m_counter; }
        int &m_counter;
    };
};

} // namespace kestrel
