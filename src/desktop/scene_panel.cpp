#include "desktop/scene_panel.h"

#include "desktop/geometry.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>

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
        if (kind == QAccessible::Description) return sceneDescription(form_);
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

QString sceneDescription(const Form1& form) {
    QStringList scenes;
    if (form.DOSEI.visible()) scenes << toQString(Form1::SceneNames[0]);
    if (form.ancou1.visible()) scenes << toQString(Form1::SceneNames[1]);
    if (form.eternityOn != 0) scenes << toQString(Form1::SceneNames[2]);
    QString text = scenes.isEmpty() ? QStringLiteral("Empty.") : scenes.join(QStringLiteral(" and ")) + u'.';
    if (form.CLOCK.visible() && !form.CLOCK.caption().empty()) {
        text += QStringLiteral(" The time is ") + toQString(form.CLOCK.caption()) + u'.';
    }
    return text;
}

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
    QString description = sceneDescription(form_);
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
    QImage image = updateBacking(devicePixelRatioF()).convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return image;
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
    const QRect inside = insideRect();
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
    if (form_.HAIKEI1.sunken() && !(event->region() - inside).isEmpty()) paintSunkenFrame(painter, rect(), palette());
    if (showsFocus()) drawFocus(painter, inside);
    if (paintObserver_) {
        long long logical = 0;
        for (const QRect& rect : event->region()) logical += static_cast<long long>(rect.width()) * rect.height();
        paintObserver_(std::llround(static_cast<qreal>(logical) * ratio * ratio));
    }
}

} // namespace miravel::desktop
