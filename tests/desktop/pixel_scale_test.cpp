#include "desktop/pixel_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace miravel::desktop {
namespace {

// Every pixel a different colour, which tells where it came from.
QImage distinctPixels(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) image.setPixel(x, y, qRgb(x, y, 0x5A));
    }
    return image;
}

// Along one axis: from how many target pixels each source pixel was taken,
// in order; empty when a pixel was taken out of order or from elsewhere.
std::vector<int> blocks(const QImage& target, bool alongX) {
    std::vector<int> counts;
    const int length = alongX ? target.width() : target.height();
    for (int i = 0; i < length; ++i) {
        const QRgb pixel = alongX ? target.pixel(i, 0) : target.pixel(0, i);
        const int source = alongX ? qRed(pixel) : qGreen(pixel);
        if (source == static_cast<int>(counts.size()) - 1) {
            ++counts.back();
        } else if (source == static_cast<int>(counts.size())) {
            counts.push_back(1);
        } else {
            return {};
        }
    }
    return counts;
}

TEST(PixelScaleTest, EverySourcePixelBecomesOneEvenBlock) {
    // The art's sizes: whole multiples (the window icon's), the panel-filling
    // pictures' uneven stretches, one axis only.
    const struct {
        QSize from;
        QSize to;
    } cases[] = {
        {{32, 32}, {32, 32}},   {{32, 32}, {64, 64}}, {{32, 32}, {256, 256}}, {{32, 32}, {124, 140}},
        {{32, 32}, {125, 141}}, {{32, 32}, {49, 37}}, {{32, 32}, {32, 100}},  {{7, 3}, {100, 9}},
        {{1, 1}, {11, 13}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.width() << "x" << c.from.height() << " to " << c.to.width() << "x"
                                        << c.to.height());
        const QImage source = distinctPixels(c.from);
        const QImage scaled = scaledPixelForPixel(source, c.to);
        ASSERT_EQ(scaled.size(), c.to);
        EXPECT_EQ(scaled.format(), source.format());
        // Rows are copied whole and columns alike: a row's pixel always
        // comes from the same source row, a column's from the same column.
        for (int y = 0; y < c.to.height(); ++y) {
            for (int x = 0; x < c.to.width(); ++x) {
                ASSERT_EQ(qRed(scaled.pixel(x, y)), qRed(scaled.pixel(x, 0)));
                ASSERT_EQ(qGreen(scaled.pixel(x, y)), qGreen(scaled.pixel(0, y)));
            }
        }
        for (const bool alongX : {true, false}) {
            const int from = alongX ? c.from.width() : c.from.height();
            const int to = alongX ? c.to.width() : c.to.height();
            const std::vector<int> counts = blocks(scaled, alongX);
            ASSERT_EQ(static_cast<int>(counts.size()), from) << "a source pixel was skipped or taken out of order";
            for (const int n : counts) EXPECT_TRUE(n == to / from || n == (to + from - 1) / from) << n;
        }
        // Whole multiples leave nothing to round: the toolkit agrees.
        if (c.to.width() % c.from.width() == 0 && c.to.height() % c.from.height() == 0) {
            EXPECT_EQ(scaled, source.scaled(c.to, Qt::IgnoreAspectRatio, Qt::FastTransformation));
        }
    }
}

} // namespace
} // namespace miravel::desktop
