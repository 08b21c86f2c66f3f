// The column header of a pane ("SysHeader32"): six sections that are
// clicked to sort and dragged at their right edge to resize, painted with
// the platform's header style.
#pragma once

#include <array>

#include <QStringList>
#include <QWidget>

#include "app/shell/pane.h"

namespace kestrel
{

class HeaderBar : public QWidget
{
    Q_OBJECT
public:
    explicit HeaderBar(QWidget *parent);

    void SetSections(const std::array<PaneColumn, kColumnCount> &columns);
    // Left positions (the sum of the widths before) and widths of the items.
    void Geometry(int lefts[kColumnCount], int widths[kColumnCount]) const;
    int SectionAt(int x) const;
    // The section whose right edge lies within a few pixels of x, or -1.
    int BorderAt(int x) const;
    QSize sizeHint() const override;
    // A section's rectangle in the header's coordinates.
    QRect SectionRect(int index) const;
    // Where the title of a section is written: from its left edge + the
    // cell indent of the list, so that titles and cells line up.
    QRect TitleRect(int index) const;

signals:
    void sectionClicked(int index);
    // Emitted while a border is dragged and once when it is let go.
    void sectionsResized();
    // A double click on the right edge of a section: fit it to its content.
    void borderDoubleClicked(int index);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;

private:
    int Left(int index) const;

    QStringList m_texts;
    std::array<int, kColumnCount> m_widths{};
    int m_dragging = -1;
    int m_dragOrigin = 0;
    int m_dragWidth = 0;
    int m_pressed = -1;
};

} // namespace kestrel
