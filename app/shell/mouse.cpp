// Clicks, double clicks, the path lines, the wheel and the scroll bars.
#include <algorithm>

#include "app/shell/cursor_history.h"
#include "app/shell/marking.h"
#include "app/shell/shell.h"

namespace kestrel
{

namespace
{

bool OpensAsText(const CatalogEntry &e)
{
    return (e.ti.kind == kKindDisVar && e.ti.recordLength == 80) || e.ti.kind == kKindProgram;
}

} // namespace

void Shell::Click(int side, int y, bool ctrl, bool shift)
{
    if (Busy())
        return;
    side &= 1;
    if (side != m_active) {
        int previous = m_active;
        m_active = side;
        Redraw(previous);
    }
    Pane &p = m_panes[side];
    if (!shift) {
        if (!ctrl)
            p.anchor = -1;
    } else if (p.anchor == -1) {
        p.anchor = p.cursor;
    }
    int row = PlaceCursorAtPixel(p, y, m_lineHeight);
    if (!ctrl)
        UnmarkEverything(p);
    if (row >= 0) {
        // Only what a command can act on gets marked: a marked ".." or
        // subdirectory would hand the parent folder to copy or delete.
        if (shift) {
            int from = std::min(p.anchor, row), to = std::max(p.anchor, row);
            for (int i = std::max(from, 0); i <= to && i < p.Count(); ++i)
                if (IsMarkable(*p.Entry(i)))
                    p.Entry(i)->marked = true;
        }
        if (ctrl && IsMarkable(*p.Entry(row)))
            p.Entry(row)->marked = !p.Entry(row)->marked;
    }
    Redraw(side);
}

void Shell::DoubleClick(int side, int y, bool ctrl, bool shift)
{
    if (Busy())
        return;
    side &= 1;
    if (side != m_active) {
        int previous = m_active;
        m_active = side;
        Redraw(previous);
    }
    Pane &p = m_panes[side];
    if (!shift) {
        if (!ctrl)
            p.anchor = -1;
    } else if (p.anchor == -1) {
        p.anchor = p.cursor;
    }
    int row = PlaceCursorAtPixel(p, y, m_lineHeight);
    if (ctrl)
        UnmarkEverything(p);
    Redraw(side);
    if (row < 0)
        return;
    const CatalogEntry &e = *p.Entry(row);
    if (OpensAsText(e)) {
        if (!ctrl)
            m_host.OpenView(side, e, kModeText);
        return;
    }
    m_host.BeginWait();
    if (ctrl)
        OpenEntryInOtherPane(row);
    else
        OpenEntry(side, row);
    m_host.EndWait();
}

void Shell::ClickPathLine(int side)
{
    if (Busy())
        return;
    m_active = side & 1;
    RedrawBoth();
}

bool Shell::Wheel(int delta)
{
    if (!m_mouseWheel)
        return false;
    if (Busy())
        return true;
    if (WheelPane(Active(), delta))
        Redraw(m_active);
    return true;
}

void Shell::Scroll(int side, ScrollAction action, int thumb)
{
    if (Busy())
        return;
    ScrollPane(m_panes[side & 1], action, thumb);
    Redraw(side & 1);
}

} // namespace kestrel
