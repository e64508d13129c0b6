#include "desktop/scene_panel.h"

#include "desktop/geometry.h"

#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace miravel::desktop {

ScenePanel::ScenePanel(const Form1& form, QWidget* parent) : QWidget(parent), form_(form) {
    setObjectName(QStringLiteral("HAIKEI1"));
    setGeometry(panelOuterRect(form));
    // A picture box takes the focus in turn, as the window's first stop.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScenePanel::invalidate(const QRect& innerArea) {
    const QRect area = innerArea & panelInnerRect(form_);
    if (area.isEmpty()) return;
    dirty_ += area;
    update(area.translated(panelInnerOrigin(form_) - panelOuterRect(form_).topLeft()));
}

const QImage& ScenePanel::updateBacking(qreal devicePixelRatio) {
    const QRect inner = panelInnerRect(form_);
    const QSize physical(static_cast<int>(std::ceil(inner.width() * devicePixelRatio)),
                         static_cast<int>(std::ceil(inner.height() * devicePixelRatio)));
    if (backing_.size() != physical || backing_.devicePixelRatio() != devicePixelRatio) {
        backing_ = QImage(physical, QImage::Format_ARGB32_Premultiplied);
        backing_.setDevicePixelRatio(devicePixelRatio);
        dirty_ = inner;
    }
    if (!dirty_.isEmpty()) {
        QPainter painter(&backing_);
        painter_.paint(painter, form_, dirty_);
        dirty_ = QRegion();
    }
    return backing_;
}

void ScenePanel::paintEvent(QPaintEvent* event) {
    const QImage& scene = updateBacking(devicePixelRatioF());
    QPainter painter(this);
    const int frame = form_.HAIKEI1.sunken() ? PanelFrame : 0;
    const QRect inside = rect().adjusted(frame, frame, -frame, -frame);
    // Copied rectangle by rectangle: clipping the whole image to a few small
    // areas costs more than the copying itself.
    const qreal ratio = scene.devicePixelRatio();
    for (const QRect& area : event->region() & inside) {
        // Whole physical pixels, copied one to one: at a fractional ratio a
        // fractional source would be resampled.
        const QRect source = QRectF(QPointF(area.topLeft() - inside.topLeft()) * ratio, QSizeF(area.size()) * ratio)
                                 .toAlignedRect() &
                             scene.rect();
        const QRectF target(QPointF(source.topLeft()) / ratio + QPointF(inside.topLeft()), QSizeF(source.size()) / ratio);
        painter.drawImage(target, scene, source);
    }
    // The frame never changes: most paints are of the inside only.
    if (frame > 0 && !(event->region() - inside).isEmpty()) paintSunkenFrame(painter, rect(), palette());
    if (paintObserver_) {
        long long logical = 0;
        for (const QRect& rect : event->region()) logical += static_cast<long long>(rect.width()) * rect.height();
        paintObserver_(std::llround(static_cast<qreal>(logical) * ratio * ratio));
    }
}

} // namespace miravel::desktop
