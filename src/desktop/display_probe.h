#pragma once

#include <string>

namespace miravel::desktop {

// Whether the window system Qt would use can be reached. Qt aborts when its
// platform plugin cannot connect, leaving a core dump; asking first lets the
// program say so in one line and exit cleanly.
class DisplayProbe {
public:
    // Reads QT_QPA_PLATFORM, WAYLAND_DISPLAY and DISPLAY from the environment.
    static bool available();

    // An X display name such as ":0", "unix:1.0" or "localhost:10.0" that accepts a connection.
    static bool xDisplayReachable(const std::string& display);
};

} // namespace miravel::desktop
