// What the panel showed at a moment of a real run, as the Linux build paints it.
//
// The run's --trace is replayed on the model up to the moment (see
// trace_replay.h), and the panel's inner area is drawn from it by the
// desktop's own painter at one device pixel per logical pixel. The clock, if
// shown, reads the traced wall-clock time of the moment in the locale's
// format, as the program's does. A script holds a screenshot of the real
// window against it: any build, any platform, is then judged pixel for pixel
// against the same picture, at the moment of one of its own paints.
//
// Where the panel shows the window's own colour through (cleared, say), that
// is the desktop's: this machine's, as the Linux build shows it, unless
// --window-colour names another desktop's, read from its window.

#include "desktop/scene_painter.h"
#include "desktop/time_text.h"
#include "trace_reader.h"
#include "trace_replay.h"

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QPalette>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

constexpr const char* Usage = "Usage: trace_picture [--window-colour COLOUR] TRACE MS OUT.png\n"
                              "  TRACE    a file written by miravel --trace\n"
                              "  MS       a moment of the run in trace ms, such as a paint's \"shows\"\n"
                              "  OUT.png  the panel's inner area at that moment\n"
                              "  --window-colour COLOUR\n"
                              "           the window's own colour, #RRGGBB, as the desktop that showed the run has it\n";

// A trace ms as given on the command line: a finite number and nothing else.
std::optional<double> parseMs(const char* text) {
    char* end = nullptr;
    const double ms = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(ms)) return std::nullopt;
    return ms;
}

// The window's own colour as another desktop has it. The panel shows no
// other system colour than the window's.
bool useWindowColour(const char* name) {
    const QColor colour(QString::fromLatin1(name));
    if (!colour.isValid()) return false;
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Button, colour);
    QApplication::setPalette(palette);
    return true;
}

int writePicture(const char* path, const char* msText, const char* out) {
    const std::optional<double> ms = parseMs(msText);
    if (!ms) {
        std::fprintf(stderr, "trace_picture: \"%s\" is no moment in trace ms\n", msText);
        return 2;
    }
    const std::optional<miravel::replay::Trace> trace = miravel::replay::readTrace(path);
    if (!trace) {
        std::fprintf(stderr, "trace_picture: cannot read %s\n", path);
        return 2;
    }
    if (!trace->replayable()) {
        std::fprintf(stderr, "trace_picture: %s lacks the wall time, the virtual zero or any handler run\n", path);
        return 2;
    }
    // Before its load the form has no panel to show.
    if (*ms < trace->runs.front().ms) {
        std::fprintf(stderr, "trace_picture: %s is before the run's first handler, at %.3f\n", msText,
                     trace->runs.front().ms);
        return 2;
    }

    miravel::replay::Replay replay(*trace);
    replay.form().timeText = miravel::desktop::localeTimeText();
    try {
        replay.runTo(*ms);
    } catch (const miravel::replay::ReplayError& error) {
        std::fprintf(stderr, "trace_picture: %s\n", error.what());
        return 1;
    }
    // Opaque: a screenshot holds no alpha to compare with.
    const QImage picture =
        miravel::desktop::ScenePainter().render(replay.form(), 1.0).convertToFormat(QImage::Format_RGB32);
    if (!picture.save(QString::fromLocal8Bit(out), "PNG")) {
        std::fprintf(stderr, "trace_picture: cannot write %s\n", out);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Drawn into an image: no display is needed, and none is asked for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    char** arguments = argv + 1;
    if (argc == 6 && std::string(arguments[0]) == "--window-colour") {
        if (!useWindowColour(arguments[1])) {
            std::fprintf(stderr, "trace_picture: \"%s\" is no colour\n", arguments[1]);
            return 2;
        }
        arguments += 2;
    } else if (argc != 4) {
        std::fputs(Usage, stderr);
        return 2;
    }
    try {
        return writePicture(arguments[0], arguments[1], arguments[2]);
    } catch (const miravel::trace::BadTrace& bad) {
        std::fprintf(stderr, "trace_picture: %s\n", bad.what());
        return 2;
    }
}
