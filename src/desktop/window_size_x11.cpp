#include "desktop/window_size.h"

#include "desktop/x11_connection.h"

#include <QWidget>

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace miravel::desktop {

namespace {

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

} // namespace miravel::desktop
