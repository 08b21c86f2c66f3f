// Writes the program's icon into a hicolor icon theme tree: the scalable SVG
// and PNG pictures of the usual sizes, all drawn from the one description
// below, so the SVG and the PNGs cannot drift apart. The picture is the bird
// of the program's window icon, on the same dark blue.
//
//   kestrel-icons OUTDIR APPID  ->  OUTDIR/hicolor/scalable/apps/APPID.svg
//                                   OUTDIR/hicolor/NxN/apps/APPID.png
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

namespace
{

constexpr int kCanvas = 256;
constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The tile behind the bird.
constexpr double kTileInset = 16;
constexpr double kTileRadius = 40;
constexpr const char *kTileColour = "#1f3b73";

// The bird, in its own coordinates (wings from -70 to 70, tail down to 30),
// placed on the canvas by kBirdX, kBirdY and kBirdScale.
constexpr const char *kBirdColour = "#d98c3f";
constexpr double kBirdX = 128;
constexpr double kBirdY = 117;
constexpr double kBirdScale = 1.4;
// Absolute M, C, L and Z only: enough for this picture, and read back below.
constexpr const char *kBirdPath = "M 0 0 C -20 -12 -45 -14 -70 -4 C -48 -2 -30 4 -12 8 "
                                  "L -8 26 L 0 30 L 8 26 L 12 8 C 30 4 48 -2 70 -4 "
                                  "C 45 -14 20 -12 0 0 Z";
constexpr double kHeadX = 0, kHeadY = -4, kHeadRadiusX = 5, kHeadRadiusY = 6;

QPainterPath PathFromSvg(const char *data)
{
    QPainterPath path;
    std::istringstream in(data);
    std::string op;
    while (in >> op) {
        double v[6] = {};
        if (op == "M" && in >> v[0] >> v[1]) {
            path.moveTo(v[0], v[1]);
        } else if (op == "L" && in >> v[0] >> v[1]) {
            path.lineTo(v[0], v[1]);
        } else if (op == "C" && in >> v[0] >> v[1] >> v[2] >> v[3] >> v[4] >> v[5]) {
            path.cubicTo(v[0], v[1], v[2], v[3], v[4], v[5]);
        } else if (op == "Z") {
            path.closeSubpath();
        } else {
            std::fprintf(stderr, "kestrel-icons: cannot read the path at '%s'\n", op.c_str());
            return QPainterPath();
        }
    }
    return path;
}

std::string SvgText()
{
    std::ostringstream svg;
    const double tile = kCanvas - 2 * kTileInset;
    svg << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << kCanvas << "\" height=\""
        << kCanvas << "\" viewBox=\"0 0 " << kCanvas << ' ' << kCanvas << "\">\n"
        << "  <rect x=\"" << kTileInset << "\" y=\"" << kTileInset << "\" width=\"" << tile
        << "\" height=\"" << tile << "\" rx=\"" << kTileRadius << "\" fill=\"" << kTileColour
        << "\"/>\n"
        << "  <g transform=\"translate(" << kBirdX << ' ' << kBirdY << ") scale(" << kBirdScale
        << ")\" fill=\"" << kBirdColour << "\">\n"
        << "    <path d=\"" << kBirdPath << "\"/>\n"
        << "    <ellipse cx=\"" << kHeadX << "\" cy=\"" << kHeadY << "\" rx=\"" << kHeadRadiusX
        << "\" ry=\"" << kHeadRadiusY << "\"/>\n"
        << "  </g>\n"
        << "</svg>\n";
    return svg.str();
}

QImage Render(int size, const QPainterPath &bird)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(double(size) / kCanvas, double(size) / kCanvas);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kTileColour));
    const double tile = kCanvas - 2 * kTileInset;
    p.drawRoundedRect(QRectF(kTileInset, kTileInset, tile, tile), kTileRadius, kTileRadius);
    p.translate(kBirdX, kBirdY);
    p.scale(kBirdScale, kBirdScale);
    p.setBrush(QColor(kBirdColour));
    p.drawPath(bird);
    p.drawEllipse(QPointF(kHeadX, kHeadY), kHeadRadiusX, kHeadRadiusY);
    p.end();
    return image;
}

bool WriteText(const QString &path, const std::string &text)
{
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    out << text;
    return bool(out.flush());
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kestrel-icons OUTDIR APPID\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + "/hicolor";
    const QString id = QString::fromLocal8Bit(argv[2]);
    const QPainterPath bird = PathFromSvg(kBirdPath);
    if (bird.isEmpty())
        return 1;

    const QString scalable = root + "/scalable/apps";
    if (!QDir().mkpath(scalable) || !WriteText(scalable + "/" + id + ".svg", SvgText())) {
        std::fprintf(stderr, "kestrel-icons: cannot write %s\n", qPrintable(scalable));
        return 1;
    }
    for (int size : kSizes) {
        const QString dir = root + QString("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(dir) || !Render(size, bird).save(dir + "/" + id + ".png", "PNG")) {
            std::fprintf(stderr, "kestrel-icons: cannot write %s\n", qPrintable(dir));
            return 1;
        }
    }
    return 0;
}
