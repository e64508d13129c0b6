#include "binding/device_grid.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace miravel::binding {
namespace {

using forms::PixelRect;

TEST(DeviceGridTest, EdgesGoToTheNearestDeviceBoundary) {
    const struct {
        DeviceGrid grid;
        PixelRect logical;
        PixelRect device;
    } cases[] = {
        {{1.0}, {3, 2, 5, 4}, {3, 2, 5, 4}},
        {{3.0}, {3, 2, 5, 4}, {9, 6, 15, 12}},
        // 1.5: edges at 4.5 and 12 round up to 5, and stay at 12.
        {{1.5}, {3, 2, 5, 4}, {5, 3, 7, 6}},
        // 1.25: 3.75 goes to 4, 10 stays; 2.5 goes to 3, 7.5 to 8.
        {{1.25}, {3, 2, 5, 4}, {4, 3, 6, 5}},
        // A phase moves where each edge rounds to: 0.4 + 4.5 is 4.9, nearer 5;
        // -0.4 + 4.5 is 4.1, nearer 4.
        {{1.5, 0.4, 0}, {3, 0, 1, 1}, {5, 0, 1, 2}},
        {{1.5, -0.4, 0}, {3, 0, 1, 1}, {4, 0, 2, 2}},
        {{1.5, 0, -0.4}, {0, 3, 1, 1}, {0, 4, 2, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "ratio " << c.grid.ratio << ", phase " << c.grid.phaseX << ","
                                          << c.grid.phaseY << ", x " << c.logical.x);
        EXPECT_EQ(c.grid.map(c.logical), c.device);
    }
}

// Areas that meet in logical pixels meet in device pixels, at any ratio and
// phase: a row of single pixels covers the device row once, without a gap
// or an overlap, every pixel one of two widths.
TEST(DeviceGridTest, NeighboursMeetWithoutGapsAtFractionalRatios) {
    for (const double ratio : {1.0, 1.25, 4.0 / 3.0, 1.5, 1.75, 2.0, 2.25, 2.5, 3.0}) {
        for (const double phase : {0.0, 0.3, -0.3, 0.49}) {
            SCOPED_TRACE(::testing::Message() << "ratio " << ratio << ", phase " << phase);
            const DeviceGrid grid{ratio, phase, phase};
            const PixelRect row = grid.map({-5, -5, 150, 150});
            int reached = row.x;
            for (int x = -5; x < 145; ++x) {
                const PixelRect pixel = grid.map({x, x, 1, 1});
                ASSERT_EQ(pixel.x, reached) << "at " << x;
                ASSERT_EQ(pixel.x, pixel.y) << "the axes round alike";
                ASSERT_TRUE(pixel.width == static_cast<int>(ratio) || pixel.width == static_cast<int>(ratio) + 1)
                    << pixel.width << " at " << x;
                reached += pixel.width;
            }
            EXPECT_EQ(reached, row.x + row.width);
        }
    }
}

// Every pixel a different value, which tells where it came from.
std::vector<std::uint32_t> distinctPixels(forms::PixelSize size) {
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) pixels.push_back(0xFF000000u | std::uint32_t(y) << 8 | std::uint32_t(x));
    return pixels;
}

std::vector<std::uint32_t> scaled(const std::vector<std::uint32_t>& source, forms::PixelSize from,
                                  forms::PixelSize to) {
    std::vector<std::uint32_t> target(static_cast<std::size_t>(to.width * to.height));
    scalePixelForPixel(source, from, target, to);
    return target;
}

TEST(ScalePixelForPixelTest, AWholeRatioMakesEverySourcePixelAWholeBlock) {
    const struct {
        forms::PixelSize from;
        int zoomX;
        int zoomY;
    } cases[] = {{{32, 32}, 1, 1}, {{32, 32}, 3, 3}, {{32, 32}, 8, 8}, {{7, 3}, 2, 5}, {{1, 1}, 4, 4}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.from.width << "x" << c.from.height << " by " << c.zoomX << "x"
                                          << c.zoomY);
        const forms::PixelSize to{c.from.width * c.zoomX, c.from.height * c.zoomY};
        const std::vector<std::uint32_t> source = distinctPixels(c.from);
        const std::vector<std::uint32_t> target = scaled(source, c.from, to);
        for (int y = 0; y < to.height; ++y) {
            for (int x = 0; x < to.width; ++x) {
                ASSERT_EQ(target[std::size_t(y * to.width + x)],
                          source[std::size_t(y / c.zoomY * c.from.width + x / c.zoomX)])
                    << "at " << x << "," << y;
            }
        }
    }
}

// Each target pixel takes the source pixel under its centre: at 32 to 49
// (a stretched picture's width) the blocks are one or two pixels, in order,
// none skipped; shrinking takes every other pixel's centre.
TEST(ScalePixelForPixelTest, UnevenRatiosTakeThePixelUnderEachCentre) {
    std::vector<int> counts(32);
    for (int i = 0; i < 49; ++i) {
        const int source = sourceIndex(i, 49, 32);
        ASSERT_GE(source, 0);
        ASSERT_LT(source, 32);
        // The centre, (i + 1/2) * 32 / 49 in source pixels, lies in the one taken.
        ASSERT_LE(source * 2 * 49, (2 * i + 1) * 32) << "at " << i;
        ASSERT_GT((source + 1) * 2 * 49, (2 * i + 1) * 32) << "at " << i;
        ++counts[std::size_t(source)];
    }
    for (const int n : counts) EXPECT_TRUE(n == 1 || n == 2) << n;

    const std::vector<std::uint32_t> source = distinctPixels({4, 1});
    EXPECT_EQ(scaled(source, {4, 1}, {2, 1}), (std::vector<std::uint32_t>{source[1], source[3]}));
    // Rows alike: each row of the target is one whole row of the source,
    // three rows to five taking the first twice, the second once, the last twice.
    const std::vector<std::uint32_t> tall = distinctPixels({2, 3});
    EXPECT_EQ(scaled(tall, {2, 3}, {2, 5}),
              (std::vector<std::uint32_t>{tall[0], tall[1], tall[0], tall[1], tall[2], tall[3], tall[4], tall[5],
                                          tall[4], tall[5]}));
}

} // namespace
} // namespace miravel::binding
