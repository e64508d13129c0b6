#pragma once

#include "binding/device_grid.h"
#include "binding/panel_plan.h"
#include "forms/controls.h"

#include <cstdint>
#include <map>
#include <tuple>
#include <vector>

namespace miravel::web {

// Draws the scene panel on the page's canvas by walking the panel's plan,
// in the canvas's device pixels: fills as filled rectangles, each picture
// scaled here pixel for pixel to the device pixels it covers and handed to
// the page once per size, then put down one to one wherever it shows, and
// the clock's text in the browser's own type. Holds no state of the scene,
// only which scaled pictures the page keeps.
class CanvasPainter {
public:
    // The canvas made afresh for a grid of device pixels over the panel's
    // inner area (logical pixels); nothing drawn on it yet.
    void setGrid(const binding::DeviceGrid& grid, const forms::PixelRect& inner);
    const binding::DeviceGrid& grid() const { return grid_; }

    // Draws what part of the panel's inner area (logical pixels) shows.
    // Returns the device pixels it covered.
    long long paint(const forms::PictureBox& panel, const forms::PixelRect& part);

private:
    void fill(const binding::PanelFill& step);
    void drawPicture(const binding::PanelPicture& step);
    void drawText(const binding::PanelText& step);
    std::uint32_t rgbOf(forms::Colour colour);
    // The page's key for a picture at that logical size and those device
    // pixels, scaled and handed over on first use.
    int pictureKey(const forms::Picture& picture, forms::PixelSize logical, forms::PixelSize device);

    using ScaledKey = std::tuple<const forms::Picture*, int, int, int, int>;

    binding::DeviceGrid grid_;
    std::map<ScaledKey, int> kept_;
    std::map<int, std::uint32_t> systemColours_;
    std::vector<std::uint32_t> logical_;
    std::vector<std::uint32_t> device_;
    std::vector<std::uint8_t> rgba_;
};

} // namespace miravel::web
