#pragma once

#include "desktop/picture_menu.h"
#include "desktop/pixel_scale.h"
#include "desktop/scene_painter.h"
#include "scene/form1.h"

#include <QImage>
#include <QRegion>
#include <QString>
#include <QWidget>

#include <functional>

namespace miravel::desktop {

// The scene panel (HAIKEI1) on screen: a sunken frame around the painted
// inner area. The scene is painted into a backing image of the window's
// device pixels, only where the model reported a change, and copied one to
// one onto the window, so pictures stay crisp at any device pixel ratio.
// Nothing on the way is scaled, converted or clipped to more than one
// rectangle at a time, since the raster engine hands such large draws to
// helper threads (see ScenePainter).
//
// To assistive technologies it is an image named "Scene" whose description
// says what it shows, read from the model when asked. A right click, the
// Menu key or Shift+F10 opens its menu (PictureMenu).
class ScenePanel : public QWidget {
    Q_OBJECT
public:
    ScenePanel(const Form1& form, QWidget* parent = nullptr);

    // An area of the inner area, in logical pixels, that must be painted afresh.
    void invalidate(const QRect& innerArea);

    // What is waiting to be painted into the backing image.
    const QRegion& dirtyRegion() const { return dirty_; }

    // Brings the backing image up to date for a grid of device pixels:
    // rebuilt whole when the grid changed, else repainted where dirty. The
    // image is of device pixels (its own ratio is 1).
    const QImage& updateBacking(const DeviceGrid& grid);
    // The same for a device pixel ratio, with the inner area's origin on a
    // device pixel boundary.
    const QImage& updateBacking(qreal devicePixelRatio) { return updateBacking(DeviceGrid{devicePixelRatio, {}}); }

    // What the inner area shows now, in device pixels.
    QImage picture();

    PictureMenu& menu() { return menu_; }

    // Told after each paint how many device pixels it covered.
    void setPaintObserver(std::function<void(long long devicePixels)> observer) {
        paintObserver_ = std::move(observer);
    }

    // The model changed something in or over the panel. While an assistive
    // technology listens, it is told once the description has changed.
    void modelChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void announceDescription();
    QRect insideRect() const;
    bool showsFocus() const;

    const Form1& form_;
    ScenePainter painter_;
    PictureMenu menu_{*this};
    QImage backing_;
    DeviceGrid grid_; // what backing_ was painted for
    QRegion dirty_;
    std::function<void(long long)> paintObserver_;
    QString announced_;
    bool announcing_ = false;
};

} // namespace miravel::desktop
