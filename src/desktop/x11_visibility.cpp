#include "desktop/x11_visibility.h"

#include "desktop/x11_connection.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace miravel::desktop {

X11Visibility* X11Visibility::watch(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection) return nullptr;
    window.winId();
    return new X11Visibility(window, connection);
}

X11Visibility::X11Visibility(QWidget& window, xcb_connection_t* connection)
    : QObject(&window), window_(window), connection_(connection) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    window_.installEventFilter(this);
    listen();
}

// Qt made the window with an event mask of its own, and the mask is one per
// client: ours is Qt's, so visibility changes are added to it, never put in
// its place.
void X11Visibility::listen() {
    listening_ = static_cast<std::uint32_t>(window_.internalWinId());
    if (listening_ == 0) return;
    std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, listening_), nullptr),
        &std::free);
    if (!attributes) return;
    const std::uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_VISIBILITY_CHANGE;
    xcb_change_window_attributes(connection_, listening_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
}

// A window made afresh (the toolkit may replace it) is covered by nothing
// until the server says otherwise, once it is mapped.
bool X11Visibility::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WinIdChange) {
        listen();
        setCovered(false);
    }
    return false;
}

bool X11Visibility::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // The top bit marks an event another client sent.
    if ((event->response_type & ~0x80) != XCB_VISIBILITY_NOTIFY) return false;
    const auto* visibility = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (listening_ != 0 && visibility->window == listening_)
        setCovered(visibility->state == XCB_VISIBILITY_FULLY_OBSCURED);
    // Qt may want it too.
    return false;
}

void X11Visibility::setCovered(bool covered) {
    if (covered == covered_) return;
    covered_ = covered;
    emit coveredChanged(covered_);
}

} // namespace miravel::desktop
