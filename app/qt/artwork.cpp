#include "app/qt/artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "app/shell/version.h"

namespace kestrel
{

namespace
{

// A kestrel in flight: a body with two swept wings and a fanned tail.
void DrawBird(QPainter &p, QPointF at, double scale, const QColor &colour)
{
    p.save();
    p.translate(at);
    p.scale(scale, scale);
    QPainterPath bird;
    bird.moveTo(0, 0);
    bird.cubicTo(-20, -12, -45, -14, -70, -4); // left wing leading edge
    bird.cubicTo(-48, -2, -30, 4, -12, 8);
    bird.lineTo(-8, 26); // tail
    bird.lineTo(0, 30);
    bird.lineTo(8, 26);
    bird.lineTo(12, 8);
    bird.cubicTo(30, 4, 48, -2, 70, -4);
    bird.cubicTo(45, -14, 20, -12, 0, 0);  // right wing
    bird.addEllipse(QPointF(0, -4), 5, 6); // head
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(bird);
    p.restore();
}

} // namespace

QPixmap SplashPicture()
{
    QPixmap pix(360, 220);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 220);
    sky.setColorAt(0, QColor(0x1f, 0x3b, 0x73));
    sky.setColorAt(1, QColor(0xd9, 0x8c, 0x3f));
    p.fillRect(pix.rect(), sky);
    // Distant hills.
    QPainterPath hills;
    hills.moveTo(0, 180);
    hills.cubicTo(80, 150, 140, 190, 220, 165);
    hills.cubicTo(280, 148, 320, 170, 360, 160);
    hills.lineTo(360, 220);
    hills.lineTo(0, 220);
    p.fillPath(hills, QColor(0x3a, 0x2a, 0x1e));
    DrawBird(p, QPointF(250, 70), 1.0, QColor(0x2b, 0x1a, 0x10));
    p.setPen(Qt::white);
    QFont title("Sans", 30, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(20, 20, 200, 50), Qt::AlignLeft | Qt::AlignVCenter, "Kestrel");
    QFont small("Sans", 10);
    p.setFont(small);
    p.drawText(QRect(22, 70, 300, 20), Qt::AlignLeft, QString::fromStdString(VersionText()));
    p.drawText(QRect(22, 90, 300, 20), Qt::AlignLeft, "TI-99/4A files on the PC");
    p.setPen(QColor(255, 255, 255, 160));
    p.drawRect(pix.rect().adjusted(0, 0, -1, -1));
    return pix;
}

QIcon ToolbarImage(int index)
{
    QPixmap pix(24, 24);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x20, 0x30, 0x60);
    p.setPen(QPen(ink, 2));
    switch (index) {
    case 0: // information: an "i" in a circle
        p.setBrush(QColor(0xe8, 0xf0, 0xff));
        p.drawEllipse(3, 3, 18, 18);
        p.drawLine(12, 10, 12, 17);
        p.drawPoint(12, 7);
        break;
    case 1: // contents: a page with lines
        p.setBrush(Qt::white);
        p.drawRect(5, 3, 14, 18);
        p.drawLine(8, 8, 16, 8);
        p.drawLine(8, 12, 16, 12);
        p.drawLine(8, 16, 13, 16);
        break;
    case 2: // extract: an arrow out of a box
        p.drawRect(4, 12, 16, 9);
        p.drawLine(12, 3, 12, 14);
        p.drawLine(8, 7, 12, 3);
        p.drawLine(16, 7, 12, 3);
        break;
    case 3: // convert: two pages and an arrow
        p.drawRect(2, 4, 8, 11);
        p.drawRect(14, 9, 8, 11);
        p.drawLine(8, 19, 12, 19);
        p.drawLine(11, 6, 15, 6);
        break;
    case 4: // reread: a circular arrow
        p.drawArc(4, 4, 16, 16, 30 * 16, 300 * 16);
        p.drawLine(19, 6, 19, 11);
        p.drawLine(19, 11, 14, 11);
        break;
    case 5: // swap: two opposite arrows
        p.drawLine(3, 8, 21, 8);
        p.drawLine(17, 4, 21, 8);
        p.drawLine(3, 16, 21, 16);
        p.drawLine(3, 16, 7, 20);
        break;
    case 6: // root: a folder with a bar above
        p.setBrush(QColor(0xf0, 0xd0, 0x70));
        p.drawRect(3, 9, 18, 12);
        p.drawLine(3, 4, 21, 4);
        break;
    default: // upper directory: a folder with an up arrow
        p.setBrush(QColor(0xf0, 0xd0, 0x70));
        p.drawRect(3, 11, 18, 10);
        p.drawLine(12, 3, 12, 9);
        p.drawLine(9, 6, 12, 3);
        p.drawLine(15, 6, 12, 3);
        break;
    }
    return QIcon(pix);
}

QIcon ProgramIcon()
{
    QPixmap pix(32, 32);
    pix.fill(QColor(0x1f, 0x3b, 0x73));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    DrawBird(p, QPointF(16, 12), 0.2, QColor(0xd9, 0x8c, 0x3f));
    return QIcon(pix);
}

} // namespace kestrel
