// The widgets of one pane: the path line, the column header, the list
// window ("ModTiFiles", painted row by row), its scroll bar and the status
// line. They show the shell's Pane of their side and hand clicks to it.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QScrollBar>
#include <QWidget>

#include "app/qt/header_bar.h"
#include "app/shell/shell.h"

namespace kestrel
{

// What every list is painted with.
struct ListStyle {
    QFont font;
    int lineHeight = 16;
    QColor text, background, mark;
};

QColor FromColorRef(uint32_t colorRef);

class ListWindow : public QWidget
{
    Q_OBJECT
public:
    ListWindow(Shell &shell, const ListStyle &style, int side, QWidget *parent);
    int Side() const { return m_side; }
    // The texts of the row as last painted, for tests and the screenshot.
    QStringList RowCells(int index) const;

signals:
    void wheelTurned(int delta, bool &taken);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;
    void wheelEvent(QWheelEvent *) override;

private:
    Shell &m_shell;
    const ListStyle &m_style;
    int m_side;
};

struct PaneWidgets {
    QLabel *pathLine = nullptr;
    HeaderBar *header = nullptr;
    ListWindow *list = nullptr;
    QScrollBar *scrollBar = nullptr;
    QLabel *statusLine = nullptr;
};

} // namespace kestrel
