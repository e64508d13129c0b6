#include "desktop/pixel_scale.h"

namespace miravel::desktop {

namespace {

// The source index under the centre of target index i, when from source
// pixels span to target pixels: floor((i + 1/2) * from / to).
int sourceIndex(int i, int to, int from) {
    return static_cast<int>((2LL * i + 1) * from / (2LL * to));
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

} // namespace miravel::desktop
