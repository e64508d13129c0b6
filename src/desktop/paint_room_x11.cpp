#include "desktop/paint_room.h"

#include "desktop/x11_connection.h"

#include <sys/socket.h>

#include <algorithm>

namespace miravel::desktop {

void makeRoomForPaints(QSize windowDevicePixels) {
    xcb_connection_t* connection = x11Connection();
    if (!connection) return;
    const int socket = xcb_get_file_descriptor(connection);
    // Four bytes a pixel, as a 24- or 32-bit visual's images travel.
    const long long wanted = 4LL * windowDevicePixels.width() * windowDevicePixels.height();
    int size = 0;
    socklen_t length = sizeof size;
    if (getsockopt(socket, SOL_SOCKET, SO_SNDBUF, &size, &length) != 0 || size >= wanted) return;
    // The system caps the request at its own limit; a refusal leaves the buffer as it was.
    const int request = static_cast<int>(std::min<long long>(wanted, 1 << 30));
    setsockopt(socket, SOL_SOCKET, SO_SNDBUF, &request, sizeof request);
}

} // namespace miravel::desktop
