#include "desktop/window_size.h"

#include "desktop/x11_connection.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace miravel::desktop {

namespace {

constexpr Qt::WindowStates Enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;

bool compositorSizesWindows() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// _MOTIF_WM_HINTS: which fields count, then the functions and decorations.
constexpr std::uint32_t MotifFunctions = 1, MotifDecorations = 2;
constexpr std::uint32_t MotifMove = 4, MotifMinimize = 8, MotifClose = 32;
constexpr std::uint32_t MotifBorder = 2, MotifTitle = 8, MotifMenu = 16, MotifMinimizeButton = 32;

} // namespace

// Qt asks an X11 window manager for resizing along with anything else it
// asks for; a window of one size asks to be moved, minimized and closed only,
// and for a frame without resize handles.
void WindowSize::askForNoResizing(QWidget& window) {
    xcb_connection_t* connection = x11Connection();
    if (!connection) return;
    const std::string_view name = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr);
    if (!atom) return;
    const std::array<std::uint32_t, 5> hints{MotifFunctions | MotifDecorations, MotifMove | MotifMinimize | MotifClose,
                                             MotifBorder | MotifTitle | MotifMenu | MotifMinimizeButton, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()), atom->atom,
                        atom->atom, 32, static_cast<std::uint32_t>(hints.size()), hints.data());
    std::free(atom);
    xcb_flush(connection);
}

void WindowSize::hold(QWidget& window, QSize size) {
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (compositorSizesWindows()) {
        window.setMinimumSize(size);
        window.resize(size);
        return;
    }
    window.setFixedSize(size);
    askForNoResizing(window);
    window.installEventFilter(new WindowSize(window, size));
}

WindowSize::WindowSize(QWidget& window, QSize size) : QObject(&window), window_(window), size_(size) {}

bool WindowSize::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    if (event->type() == QEvent::WindowStateChange && (window_.windowState() & Enlarged)) {
        // Changed after the event is handled: Qt is still applying this state.
        QMetaObject::invokeMethod(
            this, [this] { window_.setWindowState(window_.windowState() & ~Enlarged); }, Qt::QueuedConnection);
    } else if (event->type() == QEvent::Resize) {
        if (window_.size() == size_) {
            resisted_ = false;
        } else if (!resisted_) {
            resisted_ = true;
            QMetaObject::invokeMethod(
                this, [this] { window_.resize(size_); }, Qt::QueuedConnection);
        }
    }
    return false;
}

} // namespace miravel::desktop
