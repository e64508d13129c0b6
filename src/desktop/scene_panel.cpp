#include "desktop/scene_panel.h"

#include "binding/scene_description.h"
#include "desktop/geometry.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QtMath>

#include <cmath>

namespace miravel::desktop {

namespace {

QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// An image to assistive technologies (the toolkit makes a bare widget an
// unnamed filler), described by what it shows at the moment it is asked.
class PanelAccessible : public QAccessibleWidget {
public:
    PanelAccessible(ScenePanel* panel, const Form1& form)
        : QAccessibleWidget(panel, QAccessible::Graphic), form_(form) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Description) return toQString(binding::sceneDescription(form_));
        return QAccessibleWidget::text(kind);
    }

private:
    const Form1& form_;
};

// A ring of pixels just inside an area.
QRegion ring(const QRect& area, int width) {
    return QRegion(area) - QRegion(area.adjusted(width, width, -width, -width));
}

// The focus mark: a black ring with a white one inside it, seen on any
// scene, black space, deep blue or the empty grey, and whole pixels at any
// scale, where a dotted line would blur or merge.
constexpr int FocusWidth = 2;

void drawFocus(QPainter& painter, const QRect& area) {
    for (const QRect& side : ring(area, 1)) painter.fillRect(side, Qt::black);
    for (const QRect& side : ring(area.adjusted(1, 1, -1, -1), 1)) painter.fillRect(side, Qt::white);
}

} // namespace

ScenePanel::ScenePanel(const Form1& form, QWidget* parent) : QWidget(parent), form_(form) {
    // Asked for only while an assistive technology is at work, but then as
    // soon as a property below changes: installed first.
    QAccessible::installFactory([](const QString& className, QObject* object) -> QAccessibleInterface* {
        auto* panel = qobject_cast<ScenePanel*>(object);
        if (!panel || className != QLatin1String(ScenePanel::staticMetaObject.className())) return nullptr;
        return new PanelAccessible(panel, panel->form_);
    });
    setObjectName(QStringLiteral("HAIKEI1"));
    setAccessibleName(QStringLiteral("Scene"));
    setGeometry(panelOuterRect(form));
    // A picture box takes the focus in turn, as the window's first stop.
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ScenePanel::modelChanged() {
    // One look after the handler has run, however many properties it wrote.
    if (announcing_ || !QAccessible::isActive()) return;
    announcing_ = true;
    QMetaObject::invokeMethod(this, &ScenePanel::announceDescription, Qt::QueuedConnection);
}

void ScenePanel::announceDescription() {
    announcing_ = false;
    QString description = toQString(binding::sceneDescription(form_));
    if (description == announced_) return;
    announced_ = std::move(description);
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

QRect ScenePanel::insideRect() const {
    const int frame = frameOf(form_.HAIKEI1);
    return rect().adjusted(frame, frame, -frame, -frame);
}

// As the style does for the buttons and the list: once the user moves the
// focus by keyboard, the stop that has it is marked.
bool ScenePanel::showsFocus() const { return hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange); }

void ScenePanel::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update(ring(insideRect(), FocusWidth));
}

// The mark is drawn over the copied scene, never into the backing image:
// painting the ring afresh takes it away.
void ScenePanel::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update(ring(insideRect(), FocusWidth));
}

void ScenePanel::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard the menu opens over the picture, not where the pointer is.
    const QPoint at =
        event->reason() == QContextMenuEvent::Mouse ? event->globalPos() : mapToGlobal(insideRect().center());
    menu_.popup(at);
}

// Shift+F10 is the menu key of keyboards that have none.
void ScenePanel::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
        menu_.popup(mapToGlobal(insideRect().center()));
        return;
    }
    QWidget::keyPressEvent(event);
}

QImage ScenePanel::picture() {
    // The grid of the last paint, which puts the inner area where the window has it.
    const qreal ratio = devicePixelRatioF();
    return updateBacking(grid_.ratio == ratio ? grid_ : DeviceGrid{ratio, {}}).copy();
}

void ScenePanel::invalidate(const QRect& innerArea) {
    const QRect area = innerArea & panelInnerRect(form_);
    if (area.isEmpty()) return;
    dirty_ += area;
    update(area.translated(panelInnerOrigin(form_) - panelOuterRect(form_).topLeft()));
}

const QImage& ScenePanel::updateBacking(const DeviceGrid& grid) {
    const QRect inner = panelInnerRect(form_);
    const QSize physical = grid.map(inner).size();
    if (backing_.size() != physical || !(grid_ == grid)) {
        // The window's own format, or one it takes by copying: the panel is
        // opaque, and a 32-bit image without alpha goes onto the 32-bit
        // formats of the window systems' backing stores as it is.
        backing_ = QImage(physical, QImage::Format_RGB32);
        grid_ = grid;
        dirty_ = inner;
    }
    if (!dirty_.isEmpty()) {
        QPainter painter(&backing_);
        painter_.paint(painter, form_, dirty_, grid_);
        dirty_ = QRegion();
    }
    return backing_;
}

void ScenePanel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect inside = insideRect();
    // Logical pixels to the window's device pixels, and where the inner area
    // lies on them.
    const QTransform toDevice = painter.deviceTransform();
    const qreal ratio = toDevice.m11();
    const QPointF origin = toDevice.map(QPointF(inside.topLeft()));
    const QPoint at(qFloor(origin.x() + 0.5), qFloor(origin.y() + 0.5));
    const QImage& scene = updateBacking(DeviceGrid{ratio, origin - QPointF(at)});
    // Rectangle by rectangle, each the one clipping rectangle: against the
    // paint's region of several the engine would blend span by span, and
    // clipping the whole image to a few small areas costs more than the
    // copying itself.
    for (const QRect& part : event->region()) {
        painter.setClipRect(part);
        const QRect within = part & inside;
        if (!within.isEmpty()) {
            // Device pixels copied one to one: the painter is set to draw in
            // them, untransformed.
            const QRect source = grid_.map(within.translated(-inside.topLeft())) & scene.rect();
            painter.setWorldTransform(toDevice.inverted());
            painter.drawImage(QRect(at + source.topLeft(), source.size()), scene, source);
            painter.resetTransform();
        }
        // The frame never changes: most paints are of the inside only.
        if (form_.HAIKEI1.sunken() && !inside.contains(part)) paintSunkenFrame(painter, rect(), palette());
        if (showsFocus()) drawFocus(painter, inside);
    }
    if (paintObserver_) {
        long long logical = 0;
        for (const QRect& rect : event->region()) logical += static_cast<long long>(rect.width()) * rect.height();
        paintObserver_(std::llround(static_cast<qreal>(logical) * ratio * ratio));
    }
}

} // namespace miravel::desktop
