#include "app/qt/header_bar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

#include "app/qt/pane_widget.h"

namespace kestrel
{

namespace
{
constexpr int kGrip = 3;
}

HeaderBar::HeaderBar(QWidget *parent) : QWidget(parent)
{
    setObjectName("SysHeader32");
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < kColumnCount; ++i) {
        m_texts << kColumnTitles[i];
        m_widths[i] = 100;
    }
}

void HeaderBar::SetSections(const std::array<PaneColumn, kColumnCount> &columns)
{
    for (int i = 0; i < kColumnCount; ++i) {
        m_texts[i] = QString::fromStdString(columns[i].text);
        m_widths[i] = std::max(0, columns[i].width);
    }
    update();
}

int HeaderBar::Left(int index) const
{
    int left = 0;
    for (int i = 0; i < index && i < kColumnCount; ++i)
        left += m_widths[i];
    return left;
}

void HeaderBar::Geometry(int lefts[kColumnCount], int widths[kColumnCount]) const
{
    for (int i = 0; i < kColumnCount; ++i) {
        lefts[i] = Left(i);
        widths[i] = m_widths[i];
    }
}

QRect HeaderBar::SectionRect(int index) const
{
    if (index < 0 || index >= kColumnCount)
        return {};
    return QRect(Left(index), 0, m_widths[index], height());
}

QRect HeaderBar::TitleRect(int index) const
{
    QRect r = SectionRect(index);
    if (r.isNull())
        return r;
    r.setLeft(r.left() + kCellIndent);
    return r;
}

int HeaderBar::SectionAt(int x) const
{
    for (int i = 0; i < kColumnCount; ++i)
        if (x >= Left(i) && x < Left(i) + m_widths[i])
            return i;
    return -1;
}

int HeaderBar::BorderAt(int x) const
{
    // The last matching border wins, so that a section dragged to width 0
    // can be pulled open again.
    int found = -1;
    for (int i = 0; i < kColumnCount; ++i)
        if (std::abs(x - (Left(i) + m_widths[i])) <= kGrip)
            found = i;
    return found;
}

QSize HeaderBar::sizeHint() const
{
    QStyleOptionHeader opt;
    opt.initFrom(this);
    opt.text = "Pc Name";
    QSize s = style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), this);
    return QSize(Left(kColumnCount), std::max(s.height(), fontMetrics().height() + 6));
}

void HeaderBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (int i = 0; i <= kColumnCount; ++i) {
        QStyleOptionHeader opt;
        opt.initFrom(this);
        opt.state |= QStyle::State_Raised;
        if (i < kColumnCount) {
            opt.rect = SectionRect(i);
            opt.section = i;
            if (i == m_pressed)
                opt.state |= QStyle::State_Sunken;
            // The style's own label margin differs from the list's indent;
            // the title is written where the column's cells start.
            style()->drawControl(QStyle::CE_HeaderSection, &opt, &p, this);
            const QRect title = TitleRect(i);
            if (title.width() > 0) {
                p.save();
                p.setClipRect(title);
                p.setPen(palette().color(QPalette::ButtonText));
                p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                           m_texts[i]);
                p.restore();
            }
            continue;
        } else {
            // The rest of the bar right of the last section.
            int x = Left(kColumnCount);
            if (x >= width())
                break;
            opt.rect = QRect(x, 0, width() - x, height());
        }
        opt.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        style()->drawControl(QStyle::CE_Header, &opt, &p, this);
    }
}

void HeaderBar::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    int x = e->position().toPoint().x();
    m_dragging = BorderAt(x);
    if (m_dragging >= 0) {
        m_dragOrigin = x;
        m_dragWidth = m_widths[m_dragging];
        return;
    }
    m_pressed = SectionAt(x);
    update();
}

void HeaderBar::mouseMoveEvent(QMouseEvent *e)
{
    int x = e->position().toPoint().x();
    if (m_dragging >= 0) {
        m_widths[m_dragging] = std::max(0, m_dragWidth + x - m_dragOrigin);
        update();
        emit sectionsResized();
        return;
    }
    setCursor(BorderAt(x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void HeaderBar::mouseDoubleClickEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    const int border = BorderAt(e->position().toPoint().x());
    if (border >= 0) {
        m_dragging = -1;
        emit borderDoubleClicked(border);
    }
}

void HeaderBar::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    if (m_dragging >= 0) {
        m_dragging = -1;
        emit sectionsResized();
        return;
    }
    int pressed = m_pressed;
    m_pressed = -1;
    update();
    if (pressed >= 0 && pressed == SectionAt(e->position().toPoint().x()))
        emit sectionClicked(pressed);
}

} // namespace kestrel
