#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <variant>
#include <vector>

namespace miravel::desktop {

// What a person would otherwise do by hand once the form has loaded: press
// "time", then choose these entries of the scene list (indexes into
// Form1::SceneNames), in this order.
struct StartActions {
    bool time = false;
    std::vector<std::size_t> scenes;

    bool operator==(const StartActions&) const = default;
};

// How the program was asked to start.
struct StartOptions {
    std::optional<QString> trace;
    StartActions actions;
    // Whole-number zoom of the window on top of the desktop's own scale.
    int zoom = 1;
    bool onTop = false;
    // The toolkit's -platform and -display, if given: the display that the
    // toolkit will open, asked for before it does.
    std::optional<QString> platform;
    std::optional<QString> display;
};

// The program ends before it opens a window: --help, --version or an
// argument it cannot take. What it prints goes to stdout or stderr.
struct EarlyExit {
    int status = 0;
    QString out;
    QString err;
};

// Reads the program's arguments (without the program's name). The toolkit's
// own options (-display, -geometry, -platform, -style, ...) are known here
// only to be let through to it and to find the display; QApplication takes
// them itself. Needs no application object, so --help and --version work
// without a display.
std::variant<StartOptions, EarlyExit> parseCommandLine(const QStringList& arguments);

// The toolkit places a window in its own pixels, which a zoom enlarges:
// -geometry +300+200 would put the window at 600,400 at zoom 2. The
// arguments for QApplication, with the offsets of -geometry and
// -qwindowgeometry divided by the zoom so that they are screen pixels again.
std::vector<QByteArray> toolkitArguments(int argc, char** argv, int zoom);
QByteArray zoomedGeometry(const QByteArray& geometry, int zoom);

// The value for QT_SCALE_FACTOR that draws the window zoom times larger,
// given the variable's present value (empty: unset).
QByteArray zoomedScaleFactor(const QByteArray& current, int zoom);

} // namespace miravel::desktop
