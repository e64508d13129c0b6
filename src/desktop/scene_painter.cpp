#include "desktop/scene_painter.h"

#include "desktop/geometry.h"
#include "desktop/palette_colour.h"
#include "desktop/pixel_scale.h"

#include <cmath>

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

const QImage& ScenePainter::imageOf(const forms::Picture& picture, QSize size) {
    const ScaledKey key{&picture, size.width(), size.height()};
    auto found = scaled_.find(key);
    if (found == scaled_.end()) {
        found =
            scaled_.emplace(key, scaledPixelForPixel(imageOf(picture), size)).first;
    }
    return found->second;
}

void ScenePainter::paint(QPainter& painter, const Form1& form, const QRegion& area) {
    const QRect inner = panelInnerRect(form);
    painter.save();
    // Pictures are scaled pixel for pixel, never blurred.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRegion(area & inner, Qt::IntersectClip);
    painter.fillRect(inner, toQColor(form.HAIKEI1.backColor()));

    // A control outside the area would be clipped away whole, but only after
    // its drawing was prepared: the clock's text shaping costs more than the
    // rest of a paint.
    const auto needed = [&](const forms::VisibleControl& control) {
        return control.visible() && area.intersects(toQRect(control.area()));
    };
    // The windowless children in definition order, then the windowed ones over them all.
    for (const forms::VisibleControl* child : form.HAIKEI1.children()) {
        if (child->windowed() || !needed(*child)) continue;
        if (child->kind() == forms::ControlKind::Image) paintImage(painter, static_cast<const forms::Image&>(*child));
        if (child->kind() == forms::ControlKind::Label)
            paintLabel(painter, static_cast<const forms::Label&>(*child), form.timeText);
    }
    for (const forms::VisibleControl* child : form.HAIKEI1.children()) {
        if (child->kind() == forms::ControlKind::PictureBox && needed(*child))
            paintPictureBox(painter, static_cast<const forms::PictureBox&>(*child));
    }
    painter.restore();
}

void ScenePainter::paintImage(QPainter& painter, const forms::Image& image) {
    if (!image.picture()) return;
    const QRect area = toQRect(image.area());
    if (image.stretch()) {
        // Scaled to the logical size first, then drawn 1:1 in logical pixels:
        // at any device pixel ratio each logical pixel is one whole block.
        painter.drawImage(area.topLeft(), imageOf(*image.picture(), area.size()));
    } else {
        const QImage& picture = imageOf(*image.picture());
        // Natural size from the top-left, within the control's own area.
        painter.save();
        painter.setClipRect(area, Qt::IntersectClip);
        painter.drawImage(QRect(area.topLeft(), picture.size()), picture);
        painter.restore();
    }
}

void ScenePainter::paintLabel(QPainter& painter, const forms::Label& label, const TimeText& timeText) {
    const QRect area = toQRect(label.area());
    painter.drawImage(area.topLeft(), labelImage(label, area.size(), painter.device()->devicePixelRatioF(), timeText));
}

// The clock is repainted whenever a picture beside it changes, ten times a
// second in the deep sea, but its text changes once a second: shaping and
// drawing the text is kept for the paints that need it.
const QImage& ScenePainter::labelImage(const forms::Label& label, QSize size, qreal devicePixelRatio,
                                       const TimeText& timeText) {
    const QString text = QString::fromStdString(label.caption());
    LabelKey key{text, size, devicePixelRatio, label.backColor(), label.foreColor()};
    if (key == labelKey_) return labelImage_;
    labelImage_ = QImage(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    labelImage_.setDevicePixelRatio(devicePixelRatio);
    labelImage_.fill(toQColor(label.backColor()));
    if (!text.isEmpty()) {
        // The label's own font, or the nearest installed face that draws the
        // texts the form's clock writes.
        if (!clockFont_) clockFont_.emplace(label.font(), timeText);
        labelText_.draw(labelImage_, QRect(QPoint(0, 0), size).adjusted(ClockFont::Margin, 0, -ClockFont::Margin, 0),
                        clockFont_->fontFor(text, size), toQColor(label.foreColor()), toQColor(label.backColor()),
                        text);
    }
    labelKey_ = std::move(key);
    return labelImage_;
}

void ScenePainter::paintPictureBox(QPainter& painter, const forms::PictureBox& box) {
    const QRect area = toQRect(box.area());
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.fillRect(area, toQColor(box.backColor()));
    if (box.picture()) {
        const QImage& picture = imageOf(*box.picture());
        painter.drawImage(QRect(area.topLeft(), picture.size()), picture);
    }
    painter.restore();
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
    QImage image(static_cast<int>(std::ceil(inner.width() * devicePixelRatio)),
                 static_cast<int>(std::ceil(inner.height() * devicePixelRatio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paint(painter, form, inner);
    return image;
}

} // namespace miravel::desktop
