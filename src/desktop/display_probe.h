#pragma once

#include <QByteArray>

#include <string>

namespace miravel::desktop {

// Whether the window system Qt would use can be reached. Qt aborts when its
// platform plugin cannot connect, leaving a core dump; asking first lets the
// program say so in one line and exit cleanly.
class DisplayProbe {
public:
    // platforms as QT_QPA_PLATFORM or -platform give them ("wayland;xcb"),
    // display as DISPLAY or -display; WAYLAND_DISPLAY is read from the
    // environment.
    static bool available(const QByteArray& platforms, const QByteArray& display);

    // An X display name such as ":0", "unix:1.0" or "localhost:10.0" that accepts a connection.
    static bool xDisplayReachable(const std::string& display);

private:
    // Whether the platform Qt picks when none is named can be reached: on
    // Linux a Wayland compositor or the X server, on Windows its desktop.
    static bool defaultAvailable(const QByteArray& display);
    static bool waylandAvailable();
    static bool xAvailable(const QByteArray& display);
};

} // namespace miravel::desktop
