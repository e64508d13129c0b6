#include "desktop/cover_watch.h"

#include "desktop/x11_connection.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace miravel::desktop {

namespace {

// The server, asked for visibility changes on the window, says when it
// becomes fully obscured, partly obscured or unobscured.
class X11CoverWatch final : public CoverWatch, public QAbstractNativeEventFilter {
public:
    X11CoverWatch(QWidget& window, xcb_connection_t* connection);

    void listen() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void setCovered(bool covered);

    QWidget& window_;
    xcb_connection_t* connection_;
    std::uint32_t listening_ = 0; // the X11 window listened on, 0 for none
    bool covered_ = false;
};

X11CoverWatch::X11CoverWatch(QWidget& window, xcb_connection_t* connection)
    : CoverWatch(&window), window_(window), connection_(connection) {
    QCoreApplication::instance()->installNativeEventFilter(this);
    window_.installEventFilter(this);
    listen();
}

// Qt made the window with an event mask of its own, and the mask is one per
// client: ours is Qt's, so visibility changes are added to it, never put in
// its place.
void X11CoverWatch::listen() {
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
bool X11CoverWatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::WinIdChange) {
        listen();
        setCovered(false);
    }
    return false;
}

bool X11CoverWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
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

void X11CoverWatch::setCovered(bool covered) {
    if (covered == covered_) return;
    covered_ = covered;
    emit coveredChanged(covered_);
}

} // namespace

// Only for the xcb platform's windows; elsewhere there is nothing to watch.
CoverWatch* CoverWatch::watch(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection) return nullptr;
    window.winId();
    return new X11CoverWatch(window, connection);
}

} // namespace miravel::desktop
