#pragma once

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>

namespace miravel::desktop {

// image, a 32-bit image, scaled to size nearest-pixel: each target pixel takes
// the source pixel under its centre, so every source pixel becomes a block of
// one of two sizes and none is blurred. Done here by copying pixels because
// the toolkit's own scaling paints, and a painter hands a large draw to
// helper threads, which then linger for half a minute.
QImage scaledPixelForPixel(const QImage& image, QSize size);

// Where logical pixels fall on device pixels. Each edge goes to the device
// pixel boundary nearest to it, as the toolkit rounds the rectangles it
// fills, so areas that meet in logical pixels meet in device pixels too and
// a painted area meets the toolkit's own drawing beside it. phase is how far
// the logical origin lies from the device pixel boundary it is rounded to:
// at a fractional ratio it decides which way each edge rounds.
struct DeviceGrid {
    qreal ratio = 1;
    QPointF phase;

    // A rectangle of logical pixels as device pixels, from the device
    // boundary the logical origin was rounded to.
    QRect map(const QRect& logical) const;

    friend bool operator==(const DeviceGrid&, const DeviceGrid&) = default;
};

} // namespace miravel::desktop
