#pragma once

#include <algorithm>
#include <cmath>

namespace forms {

// Positions and sizes are in twips, 1/1440 inch: 15 to a pixel at 96 dots per inch.
inline constexpr int TwipsPerPixel = 15;

// Edges are rounded to the nearest pixel, sizes derived from the rounded edges,
// so that frames stacked at one place cover the very same pixels.
inline int toPixels(double twips) { return static_cast<int>(std::lround(twips / TwipsPerPixel)); }

struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

struct PixelSize {
    int width = 0;
    int height = 0;

    friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool empty() const { return width <= 0 || height <= 0; }
    PixelSize size() const { return {width, height}; }

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// The pixels two rectangles share; empty when they share none.
inline PixelRect intersected(const PixelRect& a, const PixelRect& b) {
    const int x = std::max(a.x, b.x);
    const int y = std::max(a.y, b.y);
    return {x, y, std::min(a.x + a.width, b.x + b.width) - x, std::min(a.y + a.height, b.y + b.height) - y};
}

inline PixelRect toPixels(const TwipRect& r) {
    const int x = toPixels(r.left);
    const int y = toPixels(r.top);
    return {x, y, toPixels(r.left + r.width) - x, toPixels(r.top + r.height) - y};
}

} // namespace forms
