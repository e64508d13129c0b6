#pragma once

#include <QSize>

namespace miravel::desktop {

// Without shared memory (see main), every paint's pixels go to the X server
// down its socket, and at a zoom a paint holds zoom² times as many. A write
// that finds the socket's send buffer full waits until the server has read,
// and each such wait is one more wake-up of the main thread: at a zoom of 4
// nearly one in two paints waited so. Asks the system for room for a whole
// window of device pixels, as far as it allows (net.core.wmem_max), so that
// a paint is written at once and the server reads it at its own pace. Does
// nothing off X11 or where the buffer is already that large; Windows hands a
// paint to its compositor without a socket (paint_room_win.cpp).
void makeRoomForPaints(QSize windowDevicePixels);

} // namespace miravel::desktop
