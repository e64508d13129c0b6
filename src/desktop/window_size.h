#pragma once

#include <QObject>
#include <QSize>
#include <QWidget>

namespace miravel::desktop {

// Keeps a top-level window at its one size. It asks for a title, a menu,
// minimizing and closing, never resizing, maximizing or filling the screen.
// Some X11 window managers maximize, fill the screen or resize a window all
// the same: it puts itself back, once each time; a manager that insists (a
// tiling one) is left to have its way. A Wayland compositor may configure any
// size, and a client that does not take it is disconnected: there the window
// grows when told to, its content staying whole at the top-left.
class WindowSize : public QObject {
    Q_OBJECT
public:
    // Sets the window's flags and size; the keeper is the window's child.
    static void hold(QWidget& window, QSize size);
    // Says again to an X11 window manager that the window is of one size:
    // Qt says otherwise each time the window's flags change.
    static void askForNoResizing(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowSize(QWidget& window, QSize size);

    QWidget& window_;
    QSize size_;
    bool resisted_ = false;
};

} // namespace miravel::desktop
