#include "binding/panel_plan.h"

namespace miravel::binding {

namespace {

using forms::PixelRect;

PixelRect areaOf(const forms::VisibleControl& control) { return forms::toPixels(control.area()); }

// Where a picture drawn at its natural size from the top-left of area lies.
PixelRect naturalAt(const PixelRect& area) { return {area.x, area.y, forms::Picture::Size, forms::Picture::Size}; }

void planImage(const forms::Image& image, const PixelRect& clip, std::vector<PanelStep>& steps) {
    if (!image.picture()) return;
    const PixelRect area = areaOf(image);
    steps.push_back(PanelPicture{&*image.picture(), image.stretch() ? area : naturalAt(area), clip});
}

void planLabel(const forms::Label& label, const PixelRect& clip, std::vector<PanelStep>& steps) {
    const PixelRect area = areaOf(label);
    steps.push_back(PanelText{area, captionBox(area), label.caption(), &label.font(), label.foreColor(),
                              label.backColor(), clip});
}

void planPictureBox(const forms::PictureBox& box, const PixelRect& clip, std::vector<PanelStep>& steps) {
    steps.push_back(PanelFill{clip, box.backColor()});
    if (box.picture()) steps.push_back(PanelPicture{&*box.picture(), naturalAt(areaOf(box)), clip});
}

} // namespace

PixelRect captionBox(const PixelRect& labelArea) {
    return {labelArea.x + CaptionMargin, labelArea.y, labelArea.width - 2 * CaptionMargin, labelArea.height};
}

std::vector<PanelStep> planPanel(const forms::PictureBox& panel, const PixelRect& part) {
    const PixelRect within = forms::intersected(part, forms::toPixels(panel.inner()));
    if (within.empty()) return {};
    std::vector<PanelStep> steps{PanelFill{within, panel.backColor()}};

    // What of a child this part shows: nothing when it is hidden or lies
    // elsewhere. A child with nothing to show has no step at all, so no
    // binding prepares a drawing only to clip it away whole: shaping the
    // clock's text costs more than the rest of a paint.
    const auto shown = [&within](const forms::VisibleControl& child) {
        return child.visible() ? forms::intersected(areaOf(child), within) : PixelRect{};
    };
    // A windowed child has a window of its own, over every windowless one.
    for (const forms::VisibleControl* child : panel.children()) {
        const PixelRect clip = shown(*child);
        if (child->windowed() || clip.empty()) continue;
        if (child->kind() == forms::ControlKind::Image)
            planImage(static_cast<const forms::Image&>(*child), clip, steps);
        if (child->kind() == forms::ControlKind::Label)
            planLabel(static_cast<const forms::Label&>(*child), clip, steps);
    }
    for (const forms::VisibleControl* child : panel.children()) {
        const PixelRect clip = shown(*child);
        if (child->kind() == forms::ControlKind::PictureBox && !clip.empty())
            planPictureBox(static_cast<const forms::PictureBox&>(*child), clip, steps);
    }
    return steps;
}

PixelRect changedInPanel(const forms::PictureBox& panel, const forms::PictureBox* container,
                         const forms::TwipRect& area) {
    PixelRect pixels = forms::toPixels(area);
    if (container == nullptr) {
        const PixelRect outer = areaOf(panel);
        const int frame = forms::toPixels(panel.frame());
        pixels = {pixels.x - outer.x - frame, pixels.y - outer.y - frame, pixels.width, pixels.height};
    } else if (container != &panel) {
        const PixelRect box = areaOf(*container);
        pixels = {pixels.x + box.x, pixels.y + box.y, pixels.width, pixels.height};
    }
    return forms::intersected(pixels, forms::toPixels(panel.inner()));
}

} // namespace miravel::binding
