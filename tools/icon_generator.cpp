// Build-time tool: the desktop icons at every size a desktop asks for, from the
// 32 x 32 window icon the picture encoder writes (the ringed planet).
//
//   icon_generator <32x32 png> <out-dir>
//   icon_generator --size <n> <32x32 png> <out.png>
//
// The first writes <out-dir>/<n>x<n>/apps/miravel.png for each n in iconSizes
// and <out-dir>/scalable/apps/miravel.svg, the hicolor theme's layout; the
// second one PNG of any size, as a web app's manifest names its icons. Every
// art pixel stays a crisp square: a PNG holds the picture enlarged by the
// largest whole factor that fits, centred on a transparent square, and the
// SVG draws one square per pixel with crisp edges.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace {

constexpr int ArtSize = 32;
constexpr int iconSizes[] = {32, 48, 64, 128, 256};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

QImage readArt(const QString& file) {
    QImage art(file);
    if (art.isNull()) throw Failure("cannot read " + file.toStdString());
    if (art.width() != ArtSize || art.height() != ArtSize)
        throw Failure(file.toStdString() + " is not " + std::to_string(ArtSize) + " x " + std::to_string(ArtSize));
    return art.convertToFormat(QImage::Format_ARGB32);
}

// Nearest-neighbour by a whole factor: an art pixel becomes a factor x factor
// block, where any fractional scaling would blend or split pixels unevenly.
QImage enlarged(const QImage& art, int size) {
    const int factor = size / ArtSize;
    const int margin = (size - ArtSize * factor) / 2;
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    for (int y = 0; y < ArtSize * factor; ++y)
        for (int x = 0; x < ArtSize * factor; ++x)
            icon.setPixel(margin + x, margin + y, art.pixel(x / factor, y / factor));
    return icon;
}

QString svg(const QImage& art) {
    QString out = QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\" "
                                 "viewBox=\"0 0 %1 %1\" shape-rendering=\"crispEdges\">\n")
                      .arg(ArtSize);
    for (int y = 0; y < ArtSize; ++y)
        for (int x = 0; x < ArtSize; ++x) {
            const QColor c = art.pixelColor(x, y);
            if (c.alpha() == 0) continue;
            out += QStringLiteral("<rect x=\"%1\" y=\"%2\" width=\"1\" height=\"1\" fill=\"%3\"/>\n")
                       .arg(x)
                       .arg(y)
                       .arg(c.name(QColor::HexRgb));
        }
    return out + QStringLiteral("</svg>\n");
}

QString appsDir(const QString& outDir, const QString& theme) {
    const QString dir = outDir + QLatin1Char('/') + theme + QStringLiteral("/apps");
    if (!QDir().mkpath(dir)) throw Failure("cannot create " + dir.toStdString());
    return dir;
}

void writePng(const QImage& art, int size, const QString& file) {
    if (!enlarged(art, size).save(file, "PNG")) throw Failure("cannot write " + file.toStdString());
}

// A size as given on the command line: a whole number of pixels that holds the art.
int sizeOf(const QString& text) {
    bool ok = false;
    const int size = text.toInt(&ok);
    if (!ok || size < ArtSize || size > 4096) throw Failure("no icon size: " + text.toStdString());
    return size;
}

void run(const QString& artFile, const QString& outDir) {
    const QImage art = readArt(artFile);
    for (int size : iconSizes)
        writePng(art, size, appsDir(outDir, QStringLiteral("%1x%1").arg(size)) + QStringLiteral("/miravel.png"));
    QFile file(appsDir(outDir, QStringLiteral("scalable")) + QStringLiteral("/miravel.svg"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(svg(art).toUtf8()) < 0 || !file.flush())
        throw Failure("cannot write " + file.fileName().toStdString());
}

} // namespace

int main(int argc, char** argv) {
    const bool one = argc == 5 && std::string(argv[1]) == "--size";
    if (argc != 3 && !one) {
        std::fputs("usage: icon_generator <32x32 png> <out-dir>\n"
                   "       icon_generator --size <n> <32x32 png> <out.png>\n",
                   stderr);
        return 2;
    }
    try {
        if (one) {
            writePng(readArt(QString::fromLocal8Bit(argv[3])), sizeOf(QString::fromLocal8Bit(argv[2])),
                     QString::fromLocal8Bit(argv[4]));
        } else {
            run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
        }
        return 0;
    } catch (const Failure& e) {
        std::fprintf(stderr, "icon_generator: %s\n", e.what());
    }
    return 1;
}
