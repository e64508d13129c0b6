#pragma once

#include <QImage>
#include <QSize>

namespace miravel::desktop {

// image, a 32-bit image, scaled to size nearest-pixel: each target pixel takes
// the source pixel under its centre, so every source pixel becomes a block of
// one of two sizes and none is blurred. Done here by copying pixels because
// the toolkit's own scaling paints, and a painter hands a large draw to
// helper threads, which then linger for half a minute.
QImage scaledPixelForPixel(const QImage& image, QSize size);

} // namespace miravel::desktop
