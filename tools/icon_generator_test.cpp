// The installed icons against the ringed planet as the program decodes it:
// at every size each art pixel is a whole square block of its own colour, the
// padding around a picture that does not fill its size is see-through, and the
// scalable icon has one square of the pixel's colour per opaque art pixel.

#include "scene/picture.h"
#include "scene/stored_pictures.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace miravel {
namespace {

constexpr int N = Picture::Size;

Picture ringedPlanet() { return decodeStoredPicture(storedPicture("DOSEI"), "DOSEI"); }

QString iconFile(const QString& theme, const char* name) {
    return QStringLiteral(MIRAVEL_ICONS_DIR "/") + theme + QStringLiteral("/apps/") + QLatin1String(name);
}

struct Scaled {
    int size, factor, margin;
};

// Pixels of icon that are not the art enlarged by s: a whole block of its
// colour per opaque art pixel, see-through elsewhere.
int mismatches(const QImage& icon, const Picture& art, const Scaled s) {
    int wrong = 0;
    for (int y = 0; y < s.size; ++y)
        for (int x = 0; x < s.size; ++x) {
            const int ax = (x - s.margin) / s.factor, ay = (y - s.margin) / s.factor;
            const bool inside = x >= s.margin && y >= s.margin && ax < N && ay < N;
            const QColor got = icon.pixelColor(x, y);
            if (!inside || art.transparent(ax, ay)) {
                wrong += got.alpha() != 0;
            } else {
                const Rgb want = art.colour(ax, ay);
                wrong += got != QColor(want.red, want.green, want.blue);
            }
        }
    return wrong;
}

TEST(IconGenerator, EveryPngSizeIsTheArtInWholeBlocksOnATransparentSquare) {
    const Picture art = ringedPlanet();
    for (const Scaled s :
         {Scaled{32, 1, 0}, Scaled{48, 1, 8}, Scaled{64, 2, 0}, Scaled{128, 4, 0}, Scaled{256, 8, 0}}) {
        SCOPED_TRACE(s.size);
        const QImage icon(iconFile(QStringLiteral("%1x%1").arg(s.size), "miravel.png"));
        ASSERT_EQ(icon.size(), QSize(s.size, s.size));
        EXPECT_EQ(mismatches(icon, art, s), 0);
    }
}

// One PNG of a size asked for, as the web app's manifest names them, and a
// size no icon can have refused.
TEST(IconGenerator, OneSizeAskedForIsTheArtInWholeBlocks) {
    const QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const Picture art = ringedPlanet();
    for (const Scaled s : {Scaled{192, 6, 0}, Scaled{512, 16, 0}, Scaled{100, 3, 2}}) {
        SCOPED_TRACE(s.size);
        const QString out = dir.filePath(QStringLiteral("icon-%1.png").arg(s.size));
        ASSERT_EQ(QProcess::execute(QStringLiteral(ICON_GENERATOR),
                                    {QStringLiteral("--size"), QString::number(s.size),
                                     QStringLiteral(MIRAVEL_DESKTOP_ICON), out}),
                  0);
        const QImage icon(out);
        ASSERT_EQ(icon.size(), QSize(s.size, s.size));
        EXPECT_EQ(mismatches(icon, art, s), 0);
    }
    for (const char* size : {"16", "0x20", "big"}) {
        SCOPED_TRACE(size);
        const QString out = dir.filePath(QStringLiteral("refused.png"));
        EXPECT_EQ(QProcess::execute(QStringLiteral(ICON_GENERATOR),
                                    {QStringLiteral("--size"), QString::fromLatin1(size),
                                     QStringLiteral(MIRAVEL_DESKTOP_ICON), out}),
                  1);
        EXPECT_FALSE(QFile::exists(out));
    }
}

TEST(IconGenerator, ScalableIconIsOneCrispSquarePerOpaqueArtPixel) {
    QFile file(iconFile(QStringLiteral("scalable"), "miravel.svg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(svg.contains(QStringLiteral("viewBox=\"0 0 32 32\"")));
    EXPECT_TRUE(svg.contains(QStringLiteral("shape-rendering=\"crispEdges\"")));

    std::map<std::pair<int, int>, QColor> squares;
    static const QRegularExpression rect(
        QStringLiteral("<rect x=\"(\\d+)\" y=\"(\\d+)\" width=\"1\" height=\"1\" fill=\"(#[0-9a-f]{6})\"/>"));
    for (auto it = rect.globalMatch(svg); it.hasNext();) {
        const auto m = it.next();
        const bool fresh =
            squares.emplace(std::pair{m.captured(1).toInt(), m.captured(2).toInt()}, QColor(m.captured(3))).second;
        EXPECT_TRUE(fresh) << "two squares at " << m.captured(0).toStdString();
    }
    EXPECT_EQ(svg.count(QStringLiteral("<rect")), static_cast<long long>(squares.size()));

    const Picture art = ringedPlanet();
    int opaque = 0;
    for (int y = 0; y < N; ++y)
        for (int x = 0; x < N; ++x) {
            if (art.transparent(x, y)) continue;
            ++opaque;
            const Rgb want = art.colour(x, y);
            const auto found = squares.find({x, y});
            ASSERT_NE(found, squares.end()) << "no square at " << x << ',' << y;
            EXPECT_EQ(found->second, QColor(want.red, want.green, want.blue)) << x << ',' << y;
        }
    EXPECT_EQ(squares.size(), static_cast<std::size_t>(opaque));
}

} // namespace
} // namespace miravel
