#pragma once

// Helpers for tests that look at rendered scene pixels.

#include "desktop/geometry.h"
#include "desktop/palette_colour.h"
#include "desktop/scene_painter.h"
#include "scene/form1.h"

#include <QImage>
#include <QRect>

#include <functional>

namespace miravel::desktop::testing {

// The list's entries, by their place in it.
constexpr std::size_t Universe = 0;
constexpr std::size_t DeepSea = 1;
constexpr std::size_t Eternity = 2;

inline QRgb rgbOf(forms::Colour colour) { return toQColor(colour).rgb(); }

inline QRgb pixel(const QImage& image, QPoint p) { return image.pixel(p) | 0xFF000000u; }

// Points where two same-sized images differ.
inline QList<QPoint> differences(const QImage& a, const QImage& b) {
    QList<QPoint> points;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) points.append({x, y});
        }
    }
    return points;
}

inline QRect boundingRect(const QList<QPoint>& points) {
    QRect bounds;
    for (const QPoint& p : points) bounds |= QRect(p, QSize(1, 1));
    return bounds;
}

inline int count(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
    int n = 0;
    const QRect within = area & image.rect();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) n += test(pixel(image, {x, y})) ? 1 : 0;
    }
    return n;
}

// The control's rectangle in the panel's inner area, in pixels.
inline QRect rectOf(const forms::VisibleControl& control) { return toQRect(control.area()); }

} // namespace miravel::desktop::testing
