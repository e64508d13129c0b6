#pragma once

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace miravel::desktop {

// The connection to the X server that the window lives on, or null off the
// xcb platform: the offscreen platform may speak of an X11 connection of
// its own, and its windows are none of that server's.
inline xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace miravel::desktop
