#include "desktop/scene_painter.h"

#include "desktop/geometry.h"
#include "desktop/palette_colour.h"
#include "desktop/pixel_scale.h"

#include <variant>

namespace miravel::desktop {

const QImage& ScenePainter::imageOf(const forms::Picture& picture) {
    auto found = images_.find(&picture);
    if (found == images_.end()) {
        const QImage wrapped(reinterpret_cast<const uchar*>(picture.argb()), forms::Picture::Size, forms::Picture::Size,
                             QImage::Format_ARGB32);
        // Alpha is 0 or 0xFF, so premultiplying changes no pixel; it only makes drawing cheaper.
        found = images_.emplace(&picture, wrapped.convertToFormat(QImage::Format_ARGB32_Premultiplied)).first;
    }
    return found->second;
}

const QImage& ScenePainter::imageOf(const forms::Picture& picture, QSize logical, QSize device) {
    const ScaledKey key{&picture, logical, device};
    auto found = scaled_.find(key);
    if (found == scaled_.end()) {
        found = scaled_.emplace(key, scaledPixelForPixel(scaledPixelForPixel(imageOf(picture), logical), device)).first;
    }
    return found->second;
}

namespace {

// One image pixel to one device pixel, whatever ratio the image was drawn for.
void drawOneToOne(QPainter& painter, QPoint at, const QImage& image) {
    painter.drawImage(QRect(at, image.size()), image, image.rect());
}

} // namespace

void ScenePainter::paint(QPainter& painter, const Form1& form, const QRegion& area, const DeviceGrid& grid) {
    painter.save();
    // Pictures are scaled pixel for pixel, never blurred.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // One rectangle of the area at a time, each a single clipping rectangle
    // (see the note on the class).
    for (const QRect& part : area & panelInnerRect(form)) paintPart(painter, form, part, grid);
    painter.restore();
}

void ScenePainter::paintPart(QPainter& painter, const Form1& form, const QRect& part, const DeviceGrid& grid) {
    for (const binding::PanelStep& step : binding::planPanel(form.HAIKEI1, toPixelRect(part))) {
        if (const auto* fill = std::get_if<binding::PanelFill>(&step)) {
            painter.fillRect(grid.map(fill->area), toQColor(fill->colour));
        } else if (const auto* picture = std::get_if<binding::PanelPicture>(&step)) {
            paintPicture(painter, *picture, grid);
        } else if (const auto* text = std::get_if<binding::PanelText>(&step)) {
            paintText(painter, *text, grid, form.timeText);
        }
    }
}

// Scaled to the logical size first, then each logical pixel to its device
// pixels: at a whole ratio, one whole block each.
void ScenePainter::paintPicture(QPainter& painter, const binding::PanelPicture& step, const DeviceGrid& grid) {
    const QRect device = grid.map(step.to);
    painter.save();
    painter.setClipRect(grid.map(step.clip), Qt::IntersectClip);
    drawOneToOne(painter, device.topLeft(), imageOf(*step.picture, toQRect(step.to).size(), device.size()));
    painter.restore();
}

void ScenePainter::paintText(QPainter& painter, const binding::PanelText& step, const DeviceGrid& grid,
                             const TimeText& timeText) {
    const QRect device = grid.map(step.area);
    painter.save();
    painter.setClipRect(grid.map(step.clip), Qt::IntersectClip);
    drawOneToOne(painter, device.topLeft(), labelImage(step, device.size(), grid.ratio, timeText));
    painter.restore();
}

// The clock is repainted whenever a picture beside it changes, ten times a
// second in the deep sea, but its text changes once a second: shaping and
// drawing the text is kept for the paints that need it.
const QImage& ScenePainter::labelImage(const binding::PanelText& step, QSize device, qreal devicePixelRatio,
                                       const TimeText& timeText) {
    const QString text = QString::fromUtf8(step.caption.data(), static_cast<qsizetype>(step.caption.size()));
    const QRect area = toQRect(step.area);
    LabelKey key{text, area.size(), device, devicePixelRatio, step.back, step.fore};
    if (key == labelKey_) return labelImage_;
    labelImage_ = QImage(device, QImage::Format_ARGB32_Premultiplied);
    labelImage_.setDevicePixelRatio(devicePixelRatio);
    labelImage_.fill(toQColor(step.back));
    if (!text.isEmpty()) {
        // The label's own font, or the nearest installed face that draws the
        // texts the form's clock writes.
        if (!clockFont_) clockFont_.emplace(*step.font, timeText);
        labelText_.draw(labelImage_, toQRect(step.textBox).translated(-area.topLeft()),
                        clockFont_->fontFor(text, area.size()), toQColor(step.fore), toQColor(step.back), text);
    }
    labelKey_ = std::move(key);
    return labelImage_;
}

void paintSunkenFrame(QPainter& painter, const QRect& outer, const QPalette& palette) {
    // One ring: its top and left edges in one colour, its bottom and right in
    // another, the bottom-left and top-right corners going to the latter.
    const auto ring = [&painter](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
        painter.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), topLeft);
        painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        painter.fillRect(QRect(r.right(), r.top(), 1, r.height() - 1), bottomRight);
    };
    ring(outer, palette.color(QPalette::Dark), palette.color(QPalette::Light));
    ring(outer.adjusted(1, 1, -1, -1), palette.color(QPalette::Shadow), palette.color(QPalette::Midlight));
}

QImage ScenePainter::render(const Form1& form, qreal devicePixelRatio) {
    const QRect inner = panelInnerRect(form);
    const DeviceGrid grid{devicePixelRatio, {}};
    QImage image(grid.map(inner).size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, form, inner, grid);
    painter.end();
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

} // namespace miravel::desktop
