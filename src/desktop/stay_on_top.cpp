#include "desktop/stay_on_top.h"

#include "desktop/window_size.h"
#include "desktop/cover_watch.h"

#include <QGuiApplication>
#include <QWindow>

namespace miravel::desktop {

bool canStayOnTop() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa");
}

bool staysOnTop(const QWidget& window) { return window.windowFlags().testFlag(Qt::WindowStaysOnTopHint); }

void setStaysOnTop(QWidget& window, bool on) {
    Qt::WindowFlags flags = window.windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, on);
    window.overrideWindowFlags(flags);
    // The native window takes the new state as it is, mapped or not.
    if (QWindow* native = window.windowHandle()) native->setFlags(flags);
    // What Qt says again to the X server with the new flags undoes two things
    // the window asked for: no resizing, and word of being covered.
    WindowSize::askForNoResizing(window);
    if (auto* cover = window.findChild<CoverWatch*>(QString(), Qt::FindDirectChildrenOnly))
        cover->listen();
}

} // namespace miravel::desktop
