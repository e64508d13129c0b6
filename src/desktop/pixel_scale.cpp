#include "desktop/pixel_scale.h"

#include "desktop/geometry.h"

#include <cstdint>
#include <span>

namespace miravel::desktop {

namespace {

// A 32-bit image's pixels: its rows are whole 32-bit words, none between them.
std::span<const std::uint32_t> pixelsOf(const QImage& image) {
    Q_ASSERT(image.depth() == 32 && image.bytesPerLine() == image.width() * 4);
    return {reinterpret_cast<const std::uint32_t*>(image.constBits()), static_cast<std::size_t>(image.sizeInBytes() / 4)};
}

std::span<std::uint32_t> pixelsOf(QImage& image) {
    Q_ASSERT(image.depth() == 32 && image.bytesPerLine() == image.width() * 4);
    return {reinterpret_cast<std::uint32_t*>(image.bits()), static_cast<std::size_t>(image.sizeInBytes() / 4)};
}

forms::PixelSize toPixelSize(QSize size) { return {size.width(), size.height()}; }

} // namespace

QImage scaledPixelForPixel(const QImage& image, QSize size) {
    QImage scaled(size, image.format());
    binding::scalePixelForPixel(pixelsOf(image), toPixelSize(image.size()), pixelsOf(scaled), toPixelSize(size));
    scaled.setDevicePixelRatio(image.devicePixelRatio());
    return scaled;
}

QRect DeviceGrid::map(const QRect& logical) const { return map(toPixelRect(logical)); }

QRect DeviceGrid::map(const forms::PixelRect& logical) const { return toQRect(grid().map(logical)); }

} // namespace miravel::desktop
