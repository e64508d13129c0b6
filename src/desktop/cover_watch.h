#pragma once

#include <QObject>

class QWidget;

namespace miravel::desktop {

// Whether other windows cover a top-level window whole, where the window
// system tells it. Qt calls a mapped window exposed however it is covered.
//
// An X server without a compositing manager says when a window becomes fully
// obscured, partly obscured or unobscured, and that is what a person sees
// (cover_watch_x11.cpp). A compositing manager draws every window from an
// image of its own and reports each unobscured, and Windows does the same:
// there a window is never known to be covered.
class CoverWatch : public QObject {
    Q_OBJECT
public:
    // Listens on the window's native window, made now if it is not yet; the
    // watcher is the window's child. Null where the window system cannot tell.
    static CoverWatch* watch(QWidget& window);

    // Asks again for word of being covered: Qt may put the native window's
    // own settings back whenever the window's flags change.
    virtual void listen() = 0;

signals:
    void coveredChanged(bool covered);

protected:
    using QObject::QObject;
};

} // namespace miravel::desktop
