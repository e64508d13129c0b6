#include "desktop/scene_painter.h"

#include "desktop/geometry.h"
#include "desktop/palette_colour.h"
#include "desktop/pixel_scale.h"

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
    painter.save();
    painter.setClipRect(grid.map(part), Qt::IntersectClip);
    painter.fillRect(grid.map(panelInnerRect(form)), toQColor(form.HAIKEI1.backColor()));

    // A control outside the area would be clipped away whole, but only after
    // its drawing was prepared: the clock's text shaping costs more than the
    // rest of a paint.
    const auto needed = [&](const forms::VisibleControl& control) {
        return control.visible() && part.intersects(toQRect(control.area()));
    };
    // The windowless children in definition order, then the windowed ones over them all.
    for (const forms::VisibleControl* child : form.HAIKEI1.children()) {
        if (child->windowed() || !needed(*child)) continue;
        if (child->kind() == forms::ControlKind::Image)
            paintImage(painter, static_cast<const forms::Image&>(*child), grid);
        if (child->kind() == forms::ControlKind::Label)
            paintLabel(painter, static_cast<const forms::Label&>(*child), grid, form.timeText);
    }
    for (const forms::VisibleControl* child : form.HAIKEI1.children()) {
        if (child->kind() == forms::ControlKind::PictureBox && needed(*child))
            paintPictureBox(painter, static_cast<const forms::PictureBox&>(*child), grid);
    }
    painter.restore();
}

void ScenePainter::paintImage(QPainter& painter, const forms::Image& image, const DeviceGrid& grid) {
    if (!image.picture()) return;
    const QRect area = toQRect(image.area());
    if (image.stretch()) {
        // Scaled to the logical size first, then each logical pixel to its
        // device pixels: at a whole ratio, one whole block each.
        const QRect device = grid.map(area);
        drawOneToOne(painter, device.topLeft(), imageOf(*image.picture(), area.size(), device.size()));
    } else {
        paintNatural(painter, *image.picture(), area, grid);
    }
}

void ScenePainter::paintNatural(QPainter& painter, const forms::Picture& picture, const QRect& area,
                                const DeviceGrid& grid) {
    const QRect natural(area.topLeft(), imageOf(picture).size());
    const QRect device = grid.map(natural);
    painter.save();
    painter.setClipRect(grid.map(area), Qt::IntersectClip);
    drawOneToOne(painter, device.topLeft(), imageOf(picture, natural.size(), device.size()));
    painter.restore();
}

void ScenePainter::paintLabel(QPainter& painter, const forms::Label& label, const DeviceGrid& grid,
                              const TimeText& timeText) {
    const QRect area = toQRect(label.area());
    const QRect device = grid.map(area);
    drawOneToOne(painter, device.topLeft(), labelImage(label, area.size(), device.size(), grid.ratio, timeText));
}

// The clock is repainted whenever a picture beside it changes, ten times a
// second in the deep sea, but its text changes once a second: shaping and
// drawing the text is kept for the paints that need it.
const QImage& ScenePainter::labelImage(const forms::Label& label, QSize size, QSize device, qreal devicePixelRatio,
                                       const TimeText& timeText) {
    const QString text = QString::fromStdString(label.caption());
    LabelKey key{text, size, device, devicePixelRatio, label.backColor(), label.foreColor()};
    if (key == labelKey_) return labelImage_;
    labelImage_ = QImage(device, QImage::Format_ARGB32_Premultiplied);
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

void ScenePainter::paintPictureBox(QPainter& painter, const forms::PictureBox& box, const DeviceGrid& grid) {
    const QRect area = toQRect(box.area());
    painter.fillRect(grid.map(area), toQColor(box.backColor()));
    if (box.picture()) paintNatural(painter, *box.picture(), area, grid);
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
