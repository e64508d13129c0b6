#pragma once

#include <QWidget>

namespace miravel::desktop {

// Keeping a top-level window above the others. An X11 window manager is
// asked through _NET_WM_STATE_ABOVE; Wayland has no such request, and the
// offscreen platform no other windows, so there the window cannot be asked
// to and the choice is not offered.
bool canStayOnTop();

bool staysOnTop(const QWidget& window);

// Shown or not: the window is neither hidden nor made again, as a change of
// a widget's flags would do.
void setStaysOnTop(QWidget& window, bool on);

} // namespace miravel::desktop
