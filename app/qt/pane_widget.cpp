#include "app/qt/pane_widget.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "app/qt/entry_drag.h"
#include "app/shell/colour_contrast.h"

namespace kestrel
{

QColor FromColorRef(uint32_t colorRef)
{
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

void SetListColours(ListStyle &style, uint32_t text, uint32_t background, uint32_t mark)
{
    const ListColours c = EffectiveListColours(text, background, mark);
    style.text = FromColorRef(c.text);
    style.background = FromColorRef(c.background);
    style.mark = FromColorRef(c.mark);
    style.cursorBar = FromColorRef(c.cursorBar);
    style.cursorText = FromColorRef(c.cursorText);
    style.cursorMark = FromColorRef(c.cursorMark);
}

void DefaultColumnWidths(const QFont &listFont, const QFont &headerFont, int widths[kColumnCount])
{
    // What the cells of a column usually hold at their longest: a PC name of
    // ten characters with an extension, a full TI name, the six-digit size,
    // a record type with its length, the attributes with the longest header
    // kind, and a description of moderate length.
    static const char *const kLongest[kColumnCount] = {
        "ABCDEFGHIJ.dsk", "ABCDEFGHIJ",    "  1600",
        "INT/VAR    254", " PA classic99", "A DESCRIPTION OF 24 CHAR",
    };
    const QFontMetrics list(listFont);
    const QFontMetrics header(headerFont);
    for (int i = 0; i < kColumnCount; ++i) {
        const int cell = list.horizontalAdvance(QString::fromLatin1(kLongest[i]));
        const int title = header.horizontalAdvance(QString::fromLatin1(kColumnTitles[i]));
        widths[i] = kCellIndent + std::max(cell, title) + kCellRightMargin;
    }
}

ListWindow::ListWindow(Shell &shell, const ListStyle &style, int side, QWidget *parent)
    : QWidget(parent), m_shell(shell), m_style(style), m_side(side)
{
    setObjectName("ModTiFiles");
    setProperty("controlId", side == 0 ? 1005 : 1006);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAcceptDrops(true);
}

int ListWindow::RowAt(int y) const
{
    const Pane &pane = m_shell.GetPane(m_side);
    if (y < 0)
        return -1;
    const int row = y / std::max(1, m_style.lineHeight) + std::max(pane.firstDrawn, 0);
    return row < pane.Count() ? row : -1;
}

QStringList ListWindow::RowCells(int index) const
{
    QStringList out;
    const Pane &pane = m_shell.GetPane(m_side);
    const CatalogEntry *e = pane.Entry(index);
    if (!e)
        return out;
    for (const std::string &cell : m_shell.Locations().Cells(pane.location, *e))
        out << QString::fromStdString(cell);
    return out;
}

QRect ListWindow::CellRect(int drawnRow, int column) const
{
    const Pane &pane = m_shell.GetPane(m_side);
    if (column < 0 || column >= kColumnCount)
        return {};
    const PaneColumn &col = pane.columns[column];
    const int lh = std::max(1, m_style.lineHeight);
    return QRect(col.left + kCellIndent, drawnRow * lh, std::max(0, col.width - kCellIndent), lh);
}

int ListWindow::FittingWidth(int column) const
{
    if (column < 0 || column >= kColumnCount)
        return 0;
    const Pane &pane = m_shell.GetPane(m_side);
    const QFontMetrics metrics(m_style.font);
    const QFontMetricsF exactMetrics(m_style.font);
    // Measuring a text costs far more than making it, and a folder may hold a hundred thousand:
    // each text's width is first added up from its characters' advances (each measured once).
    // Rounding, and kerning in a proportional face, make that sum differ a little from the
    // measured width, so only the texts whose sum comes near the widest are measured; in a
    // fixed-pitch face, texts with the same sum have the same width and one of them is.
    const bool fixedPitch = QFontInfo(m_style.font).fixedPitch();
    const auto slack = [fixedPitch](qreal width) { return fixedPitch ? 2.0 : width / 8 + 4; };
    qreal advance[128];
    bool known[128] = {};
    // By sum, widest first; in a fixed-pitch face one text per sum is enough.
    std::map<qreal, std::vector<QString>, std::greater<qreal>> candidates;
    qreal widestSum = 0;
    for (int i = 0; i < pane.Count(); ++i) {
        const CatalogEntry *e = pane.Entry(i);
        if (!e)
            continue;
        const std::string cell = m_shell.Locations().Cell(pane.location, *e, column);
        size_t begin = 0, end = cell.size();
        const auto space = [&cell](size_t at) {
            const unsigned char c = static_cast<unsigned char>(cell[at]);
            return c == ' ' || (c >= '\t' && c <= '\r');
        };
        while (begin < end && space(begin))
            ++begin;
        while (end > begin && space(end - 1))
            --end;
        qreal sum = 0;
        for (size_t at = begin; at < end && sum >= 0; ++at) {
            const unsigned char code = static_cast<unsigned char>(cell[at]);
            if (code >= 128) {
                sum = -1; // not one character per byte
            } else {
                if (!known[code]) {
                    advance[code] = exactMetrics.horizontalAdvance(QChar(code));
                    known[code] = true;
                }
                sum += advance[code];
            }
        }
        QString text;
        if (sum < 0) {
            text = QString::fromStdString(cell).trimmed();
            sum = metrics.horizontalAdvance(text); // measured whole
        }
        if (sum + slack(widestSum) < widestSum)
            continue;
        widestSum = std::max(widestSum, sum);
        std::vector<QString> &same = candidates[sum];
        if (fixedPitch && !same.empty())
            continue;
        if (text.isNull())
            text = QString::fromUtf8(cell.data() + begin, static_cast<qsizetype>(end - begin));
        same.push_back(std::move(text));
    }
    int widest = 0;
    for (const auto &[sum, texts] : candidates) {
        if (sum + slack(widestSum) < widestSum)
            break;
        for (const QString &text : texts)
            widest = std::max(widest, metrics.horizontalAdvance(text));
    }
    return widest;
}

void ListWindow::paintEvent(QPaintEvent *)
{
    // Qt paints into a back buffer already, so the list does not flicker.
    QPainter p(this);
    Pane &pane = m_shell.GetPane(m_side);
    UpdateDrawnRange(pane);
    p.fillRect(rect(), m_style.background);
    p.setFont(m_style.font);
    const bool active = m_shell.ActiveSide() == m_side;
    const int lh = std::max(1, m_style.lineHeight);
    for (int i = pane.firstDrawn; i < pane.afterLastDrawn; ++i) {
        const CatalogEntry *e = pane.Entry(i);
        if (!e)
            break;
        const int y = (i - pane.firstDrawn) * lh;
        QColor fore;
        if (active && i == pane.cursor) {
            p.fillRect(QRect(0, y, width(), lh), m_style.cursorBar);
            fore = e->marked ? m_style.cursorMark : m_style.cursorText;
        } else {
            fore = e->marked ? m_style.mark : m_style.text;
        }
        p.setPen(fore);
        const auto cells = m_shell.Locations().Cells(pane.location, *e);
        for (int c = 0; c < kColumnCount; ++c) {
            const QRect cell = CellRect(i - pane.firstDrawn, c);
            if (cell.width() <= 0)
                continue;
            p.setClipRect(cell);
            p.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                       QString::fromStdString(cells[c]));
        }
        p.setClipping(false);
    }
}

void ListWindow::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    m_pressAt = at;
    const int row = RowAt(at.y());
    m_mayDrag = row >= 0;
    const CatalogEntry *entry = m_shell.GetPane(m_side).Entry(row);
    m_clickPending = entry != nullptr && entry->marked && !ctrl && !shift;
    if (m_clickPending) {
        m_pendingCtrl = ctrl;
        m_pendingShift = shift;
        return;
    }
    m_shell.Click(m_side, at.y(), ctrl, shift);
}

void ListWindow::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_mayDrag || !(e->buttons() & Qt::LeftButton))
        return;
    if ((e->position().toPoint() - m_pressAt).manhattanLength() < QApplication::startDragDistance())
        return;
    m_mayDrag = false;
    if (m_clickPending) {
        // The marked entries go; the pane becomes the active one as a click
        // would make it.
        m_clickPending = false;
        m_shell.SetActiveSide(m_side);
    }
    emit dragRequested(m_side);
}

void ListWindow::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_mayDrag = false;
    if (m_clickPending) {
        m_clickPending = false;
        m_shell.Click(m_side, m_pressAt.y(), m_pendingCtrl, m_pendingShift);
    }
}

bool ListWindow::Accepts(const QMimeData *data) const
{
    const int source = PaneDragSource(data);
    if (source >= 0)
        return source != m_side; // no moves inside a location
    return !DroppedLocalPaths(data).isEmpty();
}

void ListWindow::dragEnterEvent(QDragEnterEvent *e)
{
    if (Accepts(e->mimeData()) && (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void ListWindow::dragMoveEvent(QDragMoveEvent *e)
{
    if (Accepts(e->mimeData()) && (e->possibleActions() & Qt::CopyAction)) {
        e->setDropAction(Qt::CopyAction);
        e->accept();
    } else {
        e->ignore();
    }
}

void ListWindow::dropEvent(QDropEvent *e)
{
    if (!Accepts(e->mimeData()) || !(e->possibleActions() & Qt::CopyAction)) {
        e->ignore();
        return;
    }
    e->setDropAction(Qt::CopyAction);
    e->accept();
    const int row = RowAt(e->position().toPoint().y());
    const int source = PaneDragSource(e->mimeData());
    if (source >= 0)
        emit entriesDropped(m_side, source, row);
    else
        emit filesDropped(m_side, DroppedLocalPaths(e->mimeData()), row);
}

void ListWindow::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_shell.DoubleClick(m_side, e->position().toPoint().y(), e->modifiers() & Qt::ControlModifier,
                        e->modifiers() & Qt::ShiftModifier);
}

void ListWindow::wheelEvent(QWheelEvent *e)
{
    bool taken = false;
    emit wheelTurned(e->angleDelta().y(), taken);
    e->setAccepted(taken);
}

} // namespace kestrel
