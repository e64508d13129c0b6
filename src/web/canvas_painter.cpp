#include "web/canvas_painter.h"

#include "web/page.h"

#include <variant>

namespace miravel::web {

void CanvasPainter::setGrid(const binding::DeviceGrid& grid, const forms::PixelRect& inner) {
    grid_ = grid;
    kept_.clear();
    page::panelSize(grid.map(inner).size());
}

long long CanvasPainter::paint(const forms::PictureBox& panel, const forms::PixelRect& part) {
    const std::vector<binding::PanelStep> steps = binding::planPanel(panel, part);
    if (steps.empty()) return 0;
    for (const binding::PanelStep& step : steps) {
        if (const auto* fillStep = std::get_if<binding::PanelFill>(&step)) {
            fill(*fillStep);
        } else if (const auto* picture = std::get_if<binding::PanelPicture>(&step)) {
            drawPicture(*picture);
        } else if (const auto* text = std::get_if<binding::PanelText>(&step)) {
            drawText(*text);
        }
    }
    // The first step fills what of the part lies in the inner area.
    const forms::PixelRect covered = grid_.map(std::get<binding::PanelFill>(steps.front()).area);
    return static_cast<long long>(covered.width) * covered.height;
}

void CanvasPainter::fill(const binding::PanelFill& step) { page::fill(grid_.map(step.area), rgbOf(step.colour)); }

void CanvasPainter::drawPicture(const binding::PanelPicture& step) {
    const forms::PixelRect device = grid_.map(step.to);
    page::clip(grid_.map(step.clip));
    page::drawPicture(pictureKey(*step.picture, step.to.size(), device.size()), device.x, device.y);
    page::unclip();
}

void CanvasPainter::drawText(const binding::PanelText& step) {
    page::clip(grid_.map(step.clip));
    page::fill(grid_.map(step.area), rgbOf(step.back));
    if (!step.caption.empty()) page::text(grid_.map(step.textBox), rgbOf(step.fore), step.caption, grid_.ratio);
    page::unclip();
}

std::uint32_t CanvasPainter::rgbOf(forms::Colour colour) {
    if (!forms::isSystemColour(colour))
        return static_cast<std::uint32_t>(forms::red(colour) << 16 | forms::green(colour) << 8 | forms::blue(colour));
    const int index = forms::systemColourIndex(colour);
    auto found = systemColours_.find(index);
    if (found == systemColours_.end()) found = systemColours_.emplace(index, page::systemColour(index)).first;
    return found->second;
}

// Scaled to the logical size first, then each logical pixel to its device
// pixels, as the desktop does: at a whole ratio, one whole block each, and
// at any ratio the very pixels the desktop shows.
int CanvasPainter::pictureKey(const forms::Picture& picture, forms::PixelSize logical, forms::PixelSize device) {
    const ScaledKey key{&picture, logical.width, logical.height, device.width, device.height};
    if (const auto found = kept_.find(key); found != kept_.end()) return found->second;

    const auto count = [](forms::PixelSize size) { return static_cast<std::size_t>(size.width) * size.height; };
    constexpr forms::PixelSize natural{forms::Picture::Size, forms::Picture::Size};
    logical_.resize(count(logical));
    binding::scalePixelForPixel({picture.argb(), count(natural)}, natural, logical_, logical);
    device_.resize(count(device));
    binding::scalePixelForPixel(logical_, logical, device_, device);
    // The canvas takes bytes in the order red, green, blue, alpha.
    rgba_.resize(4 * device_.size());
    for (std::size_t i = 0; i < device_.size(); ++i) {
        const std::uint32_t argb = device_[i];
        rgba_[4 * i] = static_cast<std::uint8_t>(argb >> 16);
        rgba_[4 * i + 1] = static_cast<std::uint8_t>(argb >> 8);
        rgba_[4 * i + 2] = static_cast<std::uint8_t>(argb);
        rgba_[4 * i + 3] = static_cast<std::uint8_t>(argb >> 24);
    }
    const int handed = static_cast<int>(kept_.size());
    page::keepPicture(handed, rgba_, device);
    kept_.emplace(key, handed);
    return handed;
}

} // namespace miravel::web
