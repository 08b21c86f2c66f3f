// The key interpreter: every key of the panes, and every menu and toolbar
// command that is sent as a key code.
#include <algorithm>

#include "app/shell/key_codes.h"
#include "app/shell/marking.h"
#include "app/shell/shell.h"

namespace kestrel
{

namespace
{

bool IsDisFix128(const CatalogEntry &e)
{
    return e.ti.kind == kKindDisFix && e.ti.recordLength == 128;
}

// Kinds that F3 opens as a location instead of viewing them.
bool F3Opens(uint16_t kind)
{
    switch (kind) {
    case kKindSubdir:
    case kKindUpDir:
    case kKindDsk:
    case kKindPc99Sd:
    case kKindPc99Dd:
    case kKindHfe:
    case kKindPartitionedImage:
    case kKindHdImage:
    case kKindCf7Image:
    case kKindCf7ImageVolume:
        return true;
    default:
        return false;
    }
}

// Kinds that have no hexadecimal view.
bool F4Beeps(uint16_t kind)
{
    return kind == kKindSubdir || kind == kKindUpDir || kind == kKindDsk || kind == kKindPc99Sd ||
           kind == kKindPc99Dd || kind == kKindHfe || kind == kKindPartitionedImage;
}

} // namespace

void Shell::Key(int code)
{
    const int key = code & kKeyMask;
    const bool ctrl = (code & kKeyCtrl) != 0;
    const bool shift = !ctrl && (code & kKeyShift) != 0;
    if (Busy())
        return;
    Pane &p = Active();
    // Escape stops the listing of a large folder; what is listed stays.
    if (key == kKeyEscape) {
        CancelScan(m_active);
        return;
    }
    // An empty or failed pane has nothing to act on; only switching panes
    // and making a directory still make sense there.
    if (p.Empty() && key != kKeyTab && key != kKeyF7)
        return;

    switch (key) {
    case kKeyTab:
        m_active = 1 - m_active;
        RedrawBoth();
        break;
    case kKeyEnter:
        m_host.BeginWait();
        if (ctrl)
            OpenEntryInOtherPane(p.cursor);
        else
            OpenEntry(m_active, p.cursor);
        m_host.EndWait();
        break;
    case kKeyPageUp:
        p.top = std::max(0, p.top - p.rowsPerPage);
        p.cursor = p.top;
        Redraw(m_active);
        break;
    case kKeyPageDown:
        p.top = std::max(0, std::min(p.top + p.rowsPerPage, p.maxTop));
        p.cursor = std::max(0, std::min(p.top + p.rowsPerPage - 1, p.Count() - 1));
        Redraw(m_active);
        break;
    case kKeyEnd:
        p.cursor = std::max(0, p.Count() - 1);
        p.top = std::max(0, p.Count() - p.rowsPerPage);
        Redraw(m_active);
        break;
    case kKeyHome:
        p.cursor = 0;
        p.top = 0;
        Redraw(m_active);
        break;
    case kKeyUp:
        if (shift)
            MarkCursorEntry(p, MarkAction::Toggle);
        MoveUp(p);
        break;
    case kKeyDown:
        if (shift)
            MarkCursorEntry(p, MarkAction::Toggle);
        MoveDown(p);
        break;
    case kKeyInsert:
    case kKeyGrayPlus:
    case kKeyGrayMinus:
        MarkKey(key, ctrl);
        break;
    case kKeyDelete:
        m_host.RunOperation(m_active, PaneOperation::Delete);
        break;
    case kKeyR:
        if (ctrl) {
            m_host.BeginWait();
            Reread(m_active);
            m_host.EndWait();
        } else {
            Redraw(m_active);
        }
        break;
    case kKeyU:
        Swap();
        break;
    case kKeyF2:
        if (p.CursorEntry())
            m_host.RunOperation(m_active, PaneOperation::Information);
        break;
    case kKeyF3:
    case kKeyF4:
        ViewKey(key, ctrl, shift);
        break;
    case kKeyF5:
        m_host.RunOperation(m_active, PaneOperation::Copy);
        break;
    case kKeyF6:
        m_host.RunOperation(m_active, ctrl ? PaneOperation::ConvertTiToPc : PaneOperation::Rename);
        break;
    case kKeyF7:
        if (!ctrl && !shift)
            m_host.RunOperation(m_active, PaneOperation::NewDirectory);
        break;
    case kKeyF8:
    case kKeyF9:
        PictureKey(key, shift);
        break;
    default:
        break;
    }
}

void Shell::MoveUp(Pane &p)
{
    if (p.cursor > 0)
        --p.cursor;
    if (p.cursor < p.firstDrawn)
        p.top = p.cursor;
    else if (p.cursor >= p.afterLastDrawn)
        p.top = std::max(0, p.cursor + 1 - p.rowsPerPage);
    Redraw(m_active);
}

void Shell::MoveDown(Pane &p)
{
    if (p.cursor + 1 < p.Count())
        ++p.cursor;
    if (p.cursor < p.firstDrawn)
        p.top = p.cursor;
    else if (p.cursor >= p.afterLastDrawn)
        p.top = std::max(0, std::min(p.top + 1, p.maxTop));
    Redraw(m_active);
}

void Shell::MarkKey(int key, bool ctrl)
{
    Pane &p = Active();
    if (ctrl) {
        MarkAll(p, key == kKeyGrayPlus);
        Redraw(m_active);
        return;
    }
    MarkCursorEntry(p, key == kKeyInsert     ? MarkAction::Toggle
                       : key == kKeyGrayPlus ? MarkAction::Mark
                                             : MarkAction::Unmark);
    MoveDown(p);
}

void Shell::ViewKey(int key, bool ctrl, bool shift)
{
    Pane &p = Active();
    const CatalogEntry *e = p.CursorEntry();
    if (!e)
        return;
    if (key == kKeyF3) {
        if (F3Opens(e->ti.kind)) {
            m_host.BeginWait();
            if (ctrl)
                OpenEntryInOtherPane(p.cursor);
            else
                OpenEntry(m_active, p.cursor);
            m_host.EndWait();
            return;
        }
        m_host.OpenView(m_active, *e, shift && IsDisFix128(*e) ? kModeForth : kModeText);
        return;
    }
    if (F4Beeps(e->ti.kind))
        m_host.Beep();
    else
        m_host.OpenView(m_active, *e, kModeHex);
}

void Shell::PictureKey(int key, bool shift)
{
    Pane &p = Active();
    const CatalogEntry *e = p.CursorEntry();
    if (!e)
        return;
    if (key == kKeyF8) {
        if (IsDisFix128(*e))
            m_host.OpenView(m_active, *e, shift ? kModeMyart512 : kModeMyart256);
        else
            m_host.Beep();
        return;
    }
    const bool program = e->ti.kind == kKindProgram;
    if (shift) {
        if (program)
            m_host.OpenView(m_active, *e, kModeCharset);
        else
            m_host.Beep();
    } else if (program) {
        m_host.OpenView(m_active, *e, kModeTiArtist);
    } else if (IsDisFix128(*e)) {
        m_host.RunOperation(m_active, PaneOperation::ShowGifExternal);
    } else {
        m_host.Beep();
    }
}

} // namespace kestrel
