#pragma once

#include "forms/twips.h"

#include <cstdint>
#include <span>

namespace miravel::binding {

// Where logical pixels fall on device pixels. Each edge goes to the device
// pixel boundary nearest to it, as the desktop's toolkit rounds the
// rectangles it fills, so areas that meet in logical pixels meet in device
// pixels too and a painted area meets the toolkit's own drawing beside it.
// phaseX and phaseY are how far the logical origin lies from the device
// pixel boundary it is rounded to: at a fractional ratio they decide which
// way each edge rounds.
struct DeviceGrid {
    double ratio = 1;
    double phaseX = 0;
    double phaseY = 0;

    // A rectangle of logical pixels as device pixels, from the device
    // boundary the logical origin was rounded to.
    forms::PixelRect map(const forms::PixelRect& logical) const;

    friend bool operator==(const DeviceGrid&, const DeviceGrid&) = default;
};

// The source pixel under the centre of target pixel i, along an axis where
// from source pixels span to target pixels.
int sourceIndex(int i, int to, int from);

// Nearest-pixel scaling of 32-bit pixels, rows top first with none between:
// each target pixel takes the source pixel under its centre, so every source
// pixel becomes a block of one of two sizes (one size at a whole ratio) and
// none is blurred. target holds targetSize's pixels.
void scalePixelForPixel(std::span<const std::uint32_t> source, forms::PixelSize sourceSize,
                        std::span<std::uint32_t> target, forms::PixelSize targetSize);

} // namespace miravel::binding
