// Writes the window's places, in logical pixels at scale 1, as shell
// variables for the scripts that drive the real program: each control's
// rectangle in the window, each picture box's inner area, and which control
// bears each caption. Built from the layout's rows, so that moving a control
// moves every script's clicks and crops with it.
//
//   PLACE_<name>="x y width height"   every visible control, in the window
//   INNER_<name>="x y width height"   a picture box's inner area, in the window
//   CAPTION_<caption>=<name>          a button by its caption
//   ENTRIES_<name>=(...)              a list's entries, in order
//   INTERVAL_<name>=ms                a timer's Interval
//   TABINDEX_<name>=n                 a visible control's place in the tab order
//   WINDOW_SIZE="width height"

#include "forms/twips.h"
#include "scene/form1.h"

#include <cstdio>
#include <string>

namespace {

forms::PixelRect inWindow(const forms::PixelRect& r, const forms::PixelRect& origin) {
    return {r.x + origin.x, r.y + origin.y, r.width, r.height};
}

// A picture box's inner area in window pixels: its frame taken off each side.
forms::PixelRect innerOf(const forms::PictureBox& box) {
    const forms::TwipRect outer = box.area();
    const forms::TwipRect inner = box.inner();
    const double frame = (outer.width - inner.width) / 2;
    return forms::toPixels(forms::TwipRect{outer.left + frame, outer.top + frame, inner.width, inner.height});
}

void print(const char* kind, const std::string& name, const forms::PixelRect& r) {
    std::printf("%s_%s=\"%d %d %d %d\"\n", kind, name.c_str(), r.x, r.y, r.width, r.height);
}

} // namespace

int main() {
    const miravel::Form1 form;
    std::printf("# The window's places in logical pixels at scale 1, written from the layout.\n");
    std::printf("WINDOW_SIZE=\"%d %d\"\n", forms::toPixels(miravel::Form1::InnerWidth),
                forms::toPixels(miravel::Form1::InnerHeight));
    for (const forms::Control* control : form.controls()) {
        if (const auto* timer = dynamic_cast<const forms::Timer*>(control)) {
            std::printf("INTERVAL_%s=%lld\n", timer->name().c_str(), static_cast<long long>(timer->interval()));
            continue;
        }
        const auto* visible = dynamic_cast<const forms::VisibleControl*>(control);
        if (visible == nullptr) continue;
        const forms::PixelRect own = forms::toPixels(visible->area());
        const forms::PictureBox* container = visible->container();
        print("PLACE", visible->name(), container ? inWindow(own, innerOf(*container)) : own);
        std::printf("TABINDEX_%s=%d\n", visible->name().c_str(), visible->tabIndex());
        if (const auto* box = dynamic_cast<const forms::PictureBox*>(visible); box && !container) {
            print("INNER", box->name(), innerOf(*box));
        }
        if (const auto* button = dynamic_cast<const forms::CommandButton*>(visible)) {
            std::printf("CAPTION_%s=%s\n", button->caption().c_str(), button->name().c_str());
        }
        if (const auto* list = dynamic_cast<const forms::ComboBox*>(visible)) {
            std::printf("ENTRIES_%s=(", list->name().c_str());
            for (const std::string_view item : list->items()) std::printf(" \"%.*s\"", int(item.size()), item.data());
            std::printf(" )\n");
        }
    }
}
