#pragma once

#include "forms/twips.h"
#include "scene/form1.h"

#include <QRect>

namespace miravel::desktop {

inline QRect toQRect(const forms::PixelRect& r) { return {r.x, r.y, r.width, r.height}; }
inline forms::PixelRect toPixelRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// Twips to the logical pixels Qt lays out in; edges round the way the core's
// toPixels does, so a control and its repaint area cover the same pixels.
inline QRect toQRect(const forms::TwipRect& area) { return toQRect(forms::toPixels(area)); }

// A picture box's frame, in pixels on each side.
inline int frameOf(const forms::PictureBox& box) { return forms::toPixels(box.frame()); }

// The panel (HAIKEI1) in the window, frame included.
inline QRect panelOuterRect(const Form1& form) { return toQRect(form.HAIKEI1.area()); }

// The panel's inner area, where its children live; origin at its top-left.
inline QRect panelInnerRect(const Form1& form) { return toQRect(form.HAIKEI1.inner()); }

// Where the inner area's origin lies in the window.
inline QPoint panelInnerOrigin(const Form1& form) {
    const int frame = frameOf(form.HAIKEI1);
    return panelOuterRect(form).topLeft() + QPoint(frame, frame);
}

} // namespace miravel::desktop
