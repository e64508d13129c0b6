#include "desktop/display_probe.h"

namespace miravel::desktop {

// Qt for Windows is built without the X11 platform: no display name is ever
// one it could use.
bool DisplayProbe::xDisplayReachable(const std::string&) { return false; }

// The desktop of the session the program runs in is always there.
bool DisplayProbe::defaultAvailable(const QByteArray&) { return true; }

} // namespace miravel::desktop
