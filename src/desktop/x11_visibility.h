#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

class QWidget;
struct xcb_connection_t;

namespace miravel::desktop {

// Whether other windows cover a top-level window whole, as the X server
// tells it. Qt calls a mapped window exposed however it is covered; the
// server, asked for visibility changes on the window, says when it becomes
// fully obscured, partly obscured or unobscured. Without a compositing
// manager that is what a person sees. A compositing manager draws every
// window from an image of its own, and the server reports each unobscured:
// there the window is never covered.
//
// Only for the xcb platform's windows; elsewhere there is nothing to watch.
class X11Visibility : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    // Listens on the window's X11 window, made now if it is not yet; the
    // watcher is the window's child. Null off the xcb platform.
    static X11Visibility* watch(QWidget& window);

    // Asks again for the visibility changes: Qt puts its own event mask back
    // whenever the window's flags change.
    void listen();

signals:
    void coveredChanged(bool covered);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    X11Visibility(QWidget& window, xcb_connection_t* connection);

    void setCovered(bool covered);

    QWidget& window_;
    xcb_connection_t* connection_;
    std::uint32_t listening_ = 0; // the X11 window listened on, 0 for none
    bool covered_ = false;
};

} // namespace miravel::desktop
