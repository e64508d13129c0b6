#pragma once

#include "binding/device_grid.h"
#include "forms/twips.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>

namespace miravel::desktop {

// image, a 32-bit image, scaled to size nearest-pixel (binding's
// scalePixelForPixel). Done by copying pixels because the toolkit's own
// scaling paints, and a painter hands a large draw to helper threads, which
// then linger for half a minute.
QImage scaledPixelForPixel(const QImage& image, QSize size);

// binding's DeviceGrid in the toolkit's types: where logical pixels fall on
// device pixels, each edge on the device boundary nearest to it, as the
// toolkit rounds the rectangles it fills. phase is how far the logical
// origin lies from the device pixel boundary it is rounded to.
struct DeviceGrid {
    qreal ratio = 1;
    QPointF phase;

    binding::DeviceGrid grid() const { return {ratio, phase.x(), phase.y()}; }

    // A rectangle of logical pixels as device pixels, from the device
    // boundary the logical origin was rounded to.
    QRect map(const QRect& logical) const;
    QRect map(const forms::PixelRect& logical) const;

    friend bool operator==(const DeviceGrid&, const DeviceGrid&) = default;
};

} // namespace miravel::desktop
