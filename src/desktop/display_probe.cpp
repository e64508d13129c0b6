#include "desktop/display_probe.h"

#include <QList>

namespace miravel::desktop {

bool DisplayProbe::waylandAvailable() { return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"); }

bool DisplayProbe::xAvailable(const QByteArray& display) {
    return !display.isEmpty() && xDisplayReachable(display.toStdString());
}

bool DisplayProbe::available(const QByteArray& platforms, const QByteArray& display) {
    if (platforms.isEmpty()) return defaultAvailable(display);
    // "wayland;xcb": Qt tries each in turn.
    for (const QByteArray& entry : platforms.split(';')) {
        const QByteArray name = entry.split(':').front().trimmed();
        if (name == "xcb") {
            if (xAvailable(display)) return true;
        } else if (name.startsWith("wayland")) {
            if (waylandAvailable()) return true;
        } else if (!name.isEmpty()) {
            return true; // offscreen, minimal, vnc and the like need nothing from the environment
        }
    }
    return false;
}

} // namespace miravel::desktop
