// The application shell without a window system: the two panes, the active
// pane, the key interpreter, the mouse rules and the navigation operations.
// Widgets turn their events into calls here and repaint through ShellHost.
#pragma once

#include <array>

#include "app/shell/location_service.h"
#include "app/shell/pane.h"
#include "app/shell/scroll.h"
#include "app/shell/shell_host.h"
#include "tifs/ui.h"

namespace kestrel
{

class Shell
{
public:
    Shell(ShellHost &host, LocationService &locations, Ui &ui);

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

    ShellHost &m_host;
    LocationService &m_locations;
    Ui &m_ui;
    std::array<Pane, 2> m_panes;
    int m_active = kLeftPane;
    int m_lineHeight = 16;
    bool m_mouseWheel = false;
    int m_busy = 0;

    struct BusyScope {
        explicit BusyScope(int &counter) : m_counter(counter) { ++m_counter; }
        ~BusyScope() { --m_counter; }
        int &m_counter;
    };
};

} // namespace kestrel
