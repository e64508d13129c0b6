#pragma once

#include "binding/panel_plan.h"
#include "desktop/clock_font.h"
#include "desktop/pixel_scale.h"
#include "desktop/text_cells.h"
#include "scene/form1.h"

#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QRegion>

#include <functional>
#include <map>
#include <optional>
#include <tuple>
#include <unordered_map>

namespace miravel::desktop {

// Paints the scene panel's inner area from the model by walking the steps
// binding's planPanel states for it: what shows where, in which order and
// clipped to what, shared with every other binding. Holds no animation
// state, only caches: each picture scaled once to each size it is drawn at,
// the clock's font sizes, the pieces of its text and its last drawn text.
//
// It draws in device pixels, with the painter untransformed: every picture
// is scaled here, pixel for pixel, to the device pixels its control covers,
// and put down one to one. A painter that scales, or that clips to more than
// one rectangle, blends span by span, and the raster engine hands a tall run
// of spans to helper threads: at a zoom of 3 that woke two threads every
// paint, and they linger for half a minute after.
class ScenePainter {
public:
    // Paints what lies within area (logical pixels, the origin at the inner
    // area's top-left) onto grid's device pixels, with the device origin
    // where grid puts the logical one; controls wholly outside it are skipped.
    void paint(QPainter& painter, const Form1& form, const QRegion& area, const DeviceGrid& grid = {});

    // The inner area rendered at a device pixel ratio: an image of physical
    // pixels, pictures scaled nearest-pixel so they stay crisp.
    QImage render(const Form1& form, qreal devicePixelRatio = 1.0);

    // The image drawn for a picture; converted on first use.
    const QImage& imageOf(const forms::Picture& picture);
    // The same scaled nearest-pixel to a size in logical pixels, then to a
    // size in device pixels: at a whole ratio each logical pixel is a whole
    // block, as it would be drawn by a painter at that ratio.
    const QImage& imageOf(const forms::Picture& picture, QSize logical, QSize device);

private:
    void paintPart(QPainter& painter, const Form1& form, const QRect& part, const DeviceGrid& grid);
    void paintPicture(QPainter& painter, const binding::PanelPicture& step, const DeviceGrid& grid);
    using TimeText = std::function<std::string(forms::TimeOfDay)>;
    void paintText(QPainter& painter, const binding::PanelText& step, const DeviceGrid& grid, const TimeText& timeText);
    // The label's area drawn at a ratio, as device pixels of the given size.
    const QImage& labelImage(const binding::PanelText& step, QSize device, qreal devicePixelRatio,
                             const TimeText& timeText);

    struct ScaledKey {
        const forms::Picture* picture;
        QSize logical;
        QSize device;
        friend bool operator<(const ScaledKey& a, const ScaledKey& b) {
            return std::tuple(a.picture, a.logical.width(), a.logical.height(), a.device.width(), a.device.height()) <
                   std::tuple(b.picture, b.logical.width(), b.logical.height(), b.device.width(), b.device.height());
        }
    };

    struct LabelKey {
        QString text;
        QSize size;
        QSize device;
        qreal devicePixelRatio = 0;
        forms::Colour back;
        forms::Colour fore;
        friend bool operator==(const LabelKey&, const LabelKey&) = default;
    };

    std::unordered_map<const forms::Picture*, QImage> images_;
    std::map<ScaledKey, QImage> scaled_;
    std::optional<ClockFont> clockFont_; // made from the first label drawn
    LabelKey labelKey_;
    QImage labelImage_;
    TextCells labelText_;
};

// The panel's sunken frame around outer, in logical pixels: a ring of dark
// over light outside a ring of shadow over midlight. Each ring is filled as
// logical-pixel blocks, as the pictures are, so at any device pixel ratio it
// is as thick as a picture's pixel and leaves nothing unpainted between the
// rings or before the inner area.
void paintSunkenFrame(QPainter& painter, const QRect& outer, const QPalette& palette);

} // namespace miravel::desktop
