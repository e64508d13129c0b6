#include "desktop/text_cells.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace miravel::desktop {
namespace {

constexpr QRgb Grey = 0xFF808080;
const QRect Box(1, 0, 47, 17); // the clock label's, inside its margins

QImage blank() {
    QImage image(49, 17, QImage::Format_ARGB32_Premultiplied);
    image.fill(Grey);
    return image;
}

QImage byToolkit(const QFont& font, QColor colour, const QString& text) {
    QImage image = blank();
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(Box, Qt::AlignLeft | Qt::AlignVCenter, text);
    return image;
}

QImage byPieces(TextCells& cells, const QFont& font, QColor colour, const QString& text) {
    QImage image = blank();
    cells.draw(image, Box, font, colour, QColor(Grey), text);
    return image;
}

QRect inkOf(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != Grey) ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

// How much ink: the pixels' distance from the background, summed.
int inkMass(const QImage& image) {
    int mass = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) mass += std::abs(qGreen(image.pixel(x, y)) - qGreen(Grey));
    }
    return mass;
}

// Every pixel lies between the background and colour, channel by channel:
// no pixel of a colour drawn before.
bool onlyBlendsOf(const QImage& image, QColor colour) {
    const auto between = [](int v, int a, int b) { return v >= std::min(a, b) - 2 && v <= std::max(a, b) + 2; };
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (!between(qRed(p), qRed(Grey), colour.red()) || !between(qGreen(p), qGreen(Grey), colour.green()) ||
                !between(qBlue(p), qBlue(Grey), colour.blue())) {
                return false;
            }
        }
    }
    return true;
}

QFont face(const QString& family, int pixels, bool italic) {
    QFont font(family);
    font.setPixelSize(pixels);
    font.setItalic(italic);
    return font;
}

TEST(TextCellsTest, AClocksTextPutTogetherLooksAsTheToolkitDrawsIt) {
    // One instance through the whole table: a font, size or colour that
    // changes must not leave pieces of the one before.
    TextCells cells;
    const struct {
        QFont font;
        QColor colour;
        const char* text;
    } table[] = {
        {face("Comic Neue", 11, true), QColor(0xFF, 0xFF, 0xC0), "10:00:01 AM"},
        {face("Comic Neue", 11, true), QColor(0xFF, 0xFF, 0xC0), "10:00:02 AM"},
        {face("Comic Neue", 11, true), QColor(0xFF, 0xFF, 0xC0), "1:59:59 PM"},
        {face("Comic Neue", 11, true), QColor(0x00, 0x00, 0x80), "1:59:59 PM"},
        {face("Comic Neue", 8, true), QColor(0x00, 0x00, 0x80), "12:34:56 PM"},
        {face("DejaVu Sans", 11, false), QColor(0xFF, 0xFF, 0xC0), "23:08:47"},
        {face("DejaVu Sans", 11, false), QColor(0xFF, 0xFF, 0xC0), "23.08.47 Uhr"},
    };
    for (const auto& row : table) {
        const QString text = QString::fromLatin1(row.text);
        SCOPED_TRACE(testing::Message() << row.text << " in " << row.font.family().toStdString() << " "
                                        << row.font.pixelSize() << " px");
        ASSERT_TRUE(TextCells::composable(text));
        const QImage expected = byToolkit(row.font, row.colour, text);
        const QImage pieced = byPieces(cells, row.font, row.colour, text);
        const QRect want = inkOf(expected);
        const QRect got = inkOf(pieced);
        EXPECT_LE(std::abs(got.left() - want.left()), 1);
        EXPECT_LE(std::abs(got.right() - want.right()), 1);
        EXPECT_LE(std::abs(got.top() - want.top()), 1);
        EXPECT_LE(std::abs(got.bottom() - want.bottom()), 1);
        EXPECT_NEAR(inkMass(pieced), inkMass(expected), inkMass(expected) / 10);
        EXPECT_TRUE(onlyBlendsOf(pieced, row.colour));
    }
}

TEST(TextCellsTest, TextsWhoseCharactersHangTogetherAreDrawnWholeByTheToolkit) {
    TextCells cells;
    const QFont font = face("DejaVu Sans", 11, false);
    const QColor colour(0xFF, 0xFF, 0xC0);
    // Right to left with joining letters, and a script that reorders and
    // stacks its signs.
    for (const QString& text : {QStringLiteral("١٠:٠٠:٠١ م"), QStringLiteral("١٠:٠٠ ق.ظ."),
                                QStringLiteral("နံနက် ၁၀:၀၀:၀၁"), QStringLiteral("e\u0301 10:00")}) {
        EXPECT_FALSE(TextCells::composable(text)) << text.toStdString();
        EXPECT_EQ(byPieces(cells, font, colour, text), byToolkit(font, colour, text)) << text.toStdString();
    }
}

} // namespace
} // namespace miravel::desktop
