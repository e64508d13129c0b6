#pragma once

#include "desktop/clock_font.h"
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

// Paints the scene panel's inner area from the model, in logical pixels with
// the origin at the inner area's top-left: the background, the windowless
// children (label and images) in definition order, then the windowed picture
// boxes over all of them, everything clipped to the inner area. Hidden
// controls draw nothing. Holds no animation state, only caches: each picture
// converted once, the clock's font sizes, the pieces of its text and its last
// drawn text.
class ScenePainter {
public:
    // Paints what lies within area (logical pixels, same origin); controls
    // wholly outside it are skipped.
    void paint(QPainter& painter, const Form1& form, const QRegion& area);

    // The inner area rendered at a device pixel ratio: an image of physical
    // pixels, pictures scaled nearest-pixel so they stay crisp.
    QImage render(const Form1& form, qreal devicePixelRatio = 1.0);

    // The image drawn for a picture; converted on first use.
    const QImage& imageOf(const forms::Picture& picture);
    // The same scaled nearest-pixel to a size in logical pixels.
    const QImage& imageOf(const forms::Picture& picture, QSize size);

private:
    void paintImage(QPainter& painter, const forms::Image& image);
    using TimeText = std::function<std::string(forms::TimeOfDay)>;
    void paintLabel(QPainter& painter, const forms::Label& label, const TimeText& timeText);
    const QImage& labelImage(const forms::Label& label, QSize size, qreal devicePixelRatio, const TimeText& timeText);
    void paintPictureBox(QPainter& painter, const forms::PictureBox& box);

    struct ScaledKey {
        const forms::Picture* picture;
        int width;
        int height;
        friend bool operator<(const ScaledKey& a, const ScaledKey& b) {
            return std::tie(a.picture, a.width, a.height) < std::tie(b.picture, b.width, b.height);
        }
    };

    struct LabelKey {
        QString text;
        QSize size;
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
