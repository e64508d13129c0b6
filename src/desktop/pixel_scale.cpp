#include "desktop/pixel_scale.h"

#include <cmath>

namespace miravel::desktop {

namespace {

// The source index under the centre of target index i, when from source
// pixels span to target pixels: floor((i + 1/2) * from / to).
int sourceIndex(int i, int to, int from) {
    return static_cast<int>((2LL * i + 1) * from / (2LL * to));
}

// The device boundary nearest to a logical coordinate.
int deviceEdge(int logical, qreal ratio, qreal phase) {
    return static_cast<int>(std::floor(phase + logical * ratio + 0.5));
}

} // namespace

QImage scaledPixelForPixel(const QImage& image, QSize size) {
    Q_ASSERT(image.depth() == 32);
    QImage scaled(size, image.format());
    for (int y = 0; y < size.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(image.constScanLine(sourceIndex(y, size.height(), image.height())));
        auto* to = reinterpret_cast<QRgb*>(scaled.scanLine(y));
        for (int x = 0; x < size.width(); ++x) to[x] = from[sourceIndex(x, size.width(), image.width())];
    }
    scaled.setDevicePixelRatio(image.devicePixelRatio());
    return scaled;
}

QRect DeviceGrid::map(const QRect& logical) const {
    const int left = deviceEdge(logical.left(), ratio, phase.x());
    const int top = deviceEdge(logical.top(), ratio, phase.y());
    const int right = deviceEdge(logical.left() + logical.width(), ratio, phase.x());
    const int bottom = deviceEdge(logical.top() + logical.height(), ratio, phase.y());
    return {left, top, right - left, bottom - top};
}

} // namespace miravel::desktop
