#include "app/qt/pane_widget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace kestrel
{

QColor FromColorRef(uint32_t colorRef)
{
    return QColor(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF);
}

ListWindow::ListWindow(Shell &shell, const ListStyle &style, int side, QWidget *parent)
    : QWidget(parent), m_shell(shell), m_style(style), m_side(side)
{
    setObjectName("ModTiFiles");
    setProperty("controlId", side == 0 ? 1005 : 1006);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
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
            p.fillRect(QRect(0, y, width(), lh), m_style.text);
            fore = e->marked ? m_style.mark : m_style.background;
        } else {
            fore = e->marked ? m_style.mark : m_style.text;
        }
        p.setPen(fore);
        const auto cells = m_shell.Locations().Cells(pane.location, *e);
        for (int c = 0; c < kColumnCount; ++c) {
            const PaneColumn &col = pane.columns[c];
            QRect cell(col.left + 5, y, col.width - 5, lh);
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
    m_shell.Click(m_side, e->position().toPoint().y(), e->modifiers() & Qt::ControlModifier,
                  e->modifiers() & Qt::ShiftModifier);
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
