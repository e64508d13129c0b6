#pragma once

#include "forms/colour.h"
#include "forms/controls.h"
#include "forms/picture.h"
#include "forms/twips.h"

#include <string_view>
#include <variant>
#include <vector>

namespace miravel::binding {

// What a picture box shows where, as steps every binding draws in order,
// each in its own toolkit: the desktop with a painter, the page on a canvas.
// Rectangles are in logical pixels, the origin at the box's inner top-left,
// as its children's areas are. Colours are the runtime's, a system colour
// resolved by the binding from its own palette. A step points into the form
// it was planned from, so it is drawn before the form changes again.

// Fill area with colour.
struct PanelFill {
    forms::PixelRect area;
    forms::Colour colour;

    friend bool operator==(const PanelFill&, const PanelFill&) = default;
};

// picture scaled nearest-pixel to the rectangle to (its natural size where it
// is not stretched), shown only within clip.
struct PanelPicture {
    const forms::Picture* picture = nullptr;
    forms::PixelRect to;
    forms::PixelRect clip;

    friend bool operator==(const PanelPicture&, const PanelPicture&) = default;
};

// A label, shown only within clip: its area filled with back, then its
// caption in font and fore, left-aligned and centred vertically in textBox.
// An empty caption leaves the area filled.
struct PanelText {
    forms::PixelRect area;
    forms::PixelRect textBox;
    std::string_view caption;
    const forms::Font* font = nullptr;
    forms::Colour fore;
    forms::Colour back;
    forms::PixelRect clip;

    friend bool operator==(const PanelText&, const PanelText&) = default;
};

using PanelStep = std::variant<PanelFill, PanelPicture, PanelText>;

// Room kept free inside a label, left and right, in pixels: italic text
// leans past its advance, and a text that fits the box less this margin is
// never cut off at its edges.
inline constexpr int CaptionMargin = 1;

// Where a label of that area writes its caption: the area less the margin
// on either side.
forms::PixelRect captionBox(const forms::PixelRect& labelArea);

// What panel shows within part (logical pixels of its inner area): its inner
// area filled with its back colour; the windowless children (images and
// labels) in definition order; then the picture boxes among its children
// over all of them, each its area filled with its back colour and then its
// picture at natural size from its top-left. Hidden children show nothing,
// and a child that part does not touch has no step. Every step stays within
// part and the inner area.
std::vector<PanelStep> planPanel(const forms::PictureBox& panel, const forms::PixelRect& part);

// Where a change the form reports for area lands in panel's inner area, as
// planPanel takes its parts: area lies in container's inner area, or on the
// window where container is null (and counts where it overlaps the inner
// area, through the panel's place and frame), or in a picture box inside
// panel (through the box's place). Empty where it misses the inner area.
forms::PixelRect changedInPanel(const forms::PictureBox& panel, const forms::PictureBox* container,
                                const forms::TwipRect& area);

} // namespace miravel::binding
