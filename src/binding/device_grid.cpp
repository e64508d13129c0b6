#include "binding/device_grid.h"

#include <cmath>
#include <cstddef>

namespace miravel::binding {

namespace {

// The device boundary nearest to a logical coordinate.
int deviceEdge(int logical, double ratio, double phase) {
    return static_cast<int>(std::floor(phase + logical * ratio + 0.5));
}

} // namespace

forms::PixelRect DeviceGrid::map(const forms::PixelRect& logical) const {
    const int left = deviceEdge(logical.x, ratio, phaseX);
    const int top = deviceEdge(logical.y, ratio, phaseY);
    const int right = deviceEdge(logical.x + logical.width, ratio, phaseX);
    const int bottom = deviceEdge(logical.y + logical.height, ratio, phaseY);
    return {left, top, right - left, bottom - top};
}

// floor((i + 1/2) * from / to), in integers.
int sourceIndex(int i, int to, int from) { return static_cast<int>((2LL * i + 1) * from / (2LL * to)); }

void scalePixelForPixel(std::span<const std::uint32_t> source, forms::PixelSize sourceSize,
                        std::span<std::uint32_t> target, forms::PixelSize targetSize) {
    const auto row = [](auto pixels, int width, int y) {
        return pixels.subspan(static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                              static_cast<std::size_t>(width));
    };
    for (int y = 0; y < targetSize.height; ++y) {
        const auto from = row(source, sourceSize.width, sourceIndex(y, targetSize.height, sourceSize.height));
        const auto to = row(target, targetSize.width, y);
        for (int x = 0; x < targetSize.width; ++x)
            to[static_cast<std::size_t>(x)] = from[static_cast<std::size_t>(sourceIndex(x, targetSize.width, sourceSize.width))];
    }
}

} // namespace miravel::binding
