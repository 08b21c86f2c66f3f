// The widgets of one pane: the path line, the column header, the list
// window ("ModTiFiles", painted row by row), its scroll bar and the status
// line. They show the shell's Pane of their side and hand clicks to it.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QScrollBar>
#include <QWidget>

class QMimeData;

#include "app/qt/header_bar.h"
#include "app/shell/shell.h"

namespace kestrel
{

// What every list is painted with.
struct ListStyle {
    QFont font;
    int lineHeight = 16;
    QColor text, background, mark;
    // The cursor bar's fill and what is written on it, unmarked and marked.
    QColor cursorBar, cursorText, cursorMark;
};

// The colours of the three stored settings, raised where needed so that every
// text of the list reads against what it is drawn on.
void SetListColours(ListStyle &style, uint32_t text, uint32_t background, uint32_t mark);

QColor FromColorRef(uint32_t colorRef);

// A cell's text starts this far right of its column's left edge.
constexpr int kCellIndent = 5;
// Room kept right of the widest text of a column.
constexpr int kCellRightMargin = 6;

// Column widths that show the longest usual cell of each column in the list
// font ("INT/VAR    254", "classic99" attributes, a 10-character name) and
// each header title in the header's font.
void DefaultColumnWidths(const QFont &listFont, const QFont &headerFont, int widths[kColumnCount]);

class ListWindow : public QWidget
{
    Q_OBJECT
public:
    ListWindow(Shell &shell, const ListStyle &style, int side, QWidget *parent);
    int Side() const { return m_side; }
    // The texts of the row as last painted, for tests and the screenshot.
    QStringList RowCells(int index) const;
    // Where the cell of a drawn row (0 = first drawn) is painted: from the
    // column's left edge + 5 to its right edge, one line high.
    QRect CellRect(int drawnRow, int column) const;
    // The width a column needs to show every cell of the pane in full.
    int FittingWidth(int column) const;

    // The entry index of the row at y, or -1 below the last entry.
    int RowAt(int y) const;

signals:
    void wheelTurned(int delta, bool &taken);
    // The mouse moved far enough with the button held on an entry.
    void dragRequested(int side);
    // Entries of the other pane dropped here, on the entry at row (-1: on no
    // entry); files and folders of the desktop dropped here.
    void entriesDropped(int side, int sourceSide, int row);
    void filesDropped(int side, const QStringList &paths, int row);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    void wheelEvent(QWheelEvent *) override;
    void dragEnterEvent(QDragEnterEvent *) override;
    void dragMoveEvent(QDragMoveEvent *) override;
    void dropEvent(QDropEvent *) override;

private:
    bool Accepts(const QMimeData *data) const;

    Shell &m_shell;
    const ListStyle &m_style;
    int m_side;
    QPoint m_pressAt;
    bool m_mayDrag = false;
    // A press on a marked entry keeps the marks until the button is let go
    // without a drag, so that marked entries can be dragged together.
    bool m_clickPending = false;
    bool m_pendingCtrl = false, m_pendingShift = false;
};

struct PaneWidgets {
    QLabel *pathLine = nullptr;
    HeaderBar *header = nullptr;
    ListWindow *list = nullptr;
    QScrollBar *scrollBar = nullptr;
    QLabel *statusLine = nullptr;
};

} // namespace kestrel
