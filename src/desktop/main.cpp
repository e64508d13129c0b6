#include "desktop/command_line.h"
#include "desktop/display_probe.h"
#include "desktop/error_report.h"
#include "desktop/parent_console.h"
#include "desktop/session.h"
#include "desktop/stay_on_top.h"
#include "desktop/trace_log.h"
#include "scene/form1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThreadPool>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char** argv) {
    // The trace and the driver both count from here, so the trace shows how
    // long start-up took and its times convert to the virtual clock's exactly.
    QElapsedTimer started;
    started.start();

    using namespace miravel::desktop;
    useParentConsole();
    const auto parsed = parseCommandLine(argumentsOf(argc, argv));
    if (const auto* early = std::get_if<EarlyExit>(&parsed)) {
        std::fputs(early->out.toLocal8Bit().constData(), stdout);
        std::fputs(early->err.toLocal8Bit().constData(), stderr);
        return early->status;
    }
    const StartOptions& options = std::get<StartOptions>(parsed);

    // -platform and -display win over the environment, as the toolkit reads them.
    const QByteArray platforms = options.platform ? options.platform->toLocal8Bit() : qgetenv("QT_QPA_PLATFORM");
    const QByteArray display = options.display ? options.display->toLocal8Bit() : qgetenv("DISPLAY");
    if (!DisplayProbe::available(platforms, display)) {
        if (options.display) {
            std::fprintf(stderr, "miravel: cannot connect to the display '%s'\n", display.constData());
        } else {
            std::fputs("miravel: cannot connect to a display\n", stderr);
        }
        return 1;
    }

    // Shared-memory images cost a round trip to the X server at every paint,
    // which for a window this small costs more than the copy it saves.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    // The toolkit scales the whole window, frame, text and pictures, by whole
    // device pixels; it reads the factor once, as the application is made.
    if (options.zoom != 1) qputenv("QT_SCALE_FACTOR", zoomedScaleFactor(qgetenv("QT_SCALE_FACTOR"), options.zoom));
    // QApplication keeps argc and argv for the whole run.
    std::vector<QByteArray> toolkitArgs = toolkitArguments(argc, argv, options.zoom);
    std::vector<char*> toolkitArgv;
    for (QByteArray& argument : toolkitArgs) toolkitArgv.push_back(argument.data());
    int toolkitArgc = static_cast<int>(toolkitArgv.size());
    toolkitArgv.push_back(nullptr);
    QApplication app(toolkitArgc, toolkitArgv.data());
    QApplication::setApplicationName(QStringLiteral("Miravel"));
    QApplication::setApplicationVersion(QStringLiteral(MIRAVEL_VERSION));
    // Scaled up, the style's antialiased frames are large enough for the
    // painter to share their fills out to Qt's pooled threads, once for each
    // look of a button or the list. Those threads would then sit for half a
    // minute; they end as soon as the frames are drawn.
    QThreadPool::globalInstance()->setExpiryTimeout(0);

    TraceLog trace;
    if (options.trace && !trace.open(*options.trace, started)) return 1;

    std::unique_ptr<miravel::Form1> form;
    try {
        form = std::make_unique<miravel::Form1>();
    } catch (const forms::RuntimeError& error) {
        reportRuntimeError(error);
        return 1;
    }
    const Driver::Clock clock = [started] { return static_cast<double>(started.nsecsElapsed()) / 1e6; };
    Session session(*form, trace.isOpen() ? &trace : nullptr, clock);
    if (options.onTop) {
        if (canStayOnTop()) {
            setStaysOnTop(session.window(), true);
        } else {
            std::fputs("miravel: this desktop cannot keep a window on top of the others\n", stderr);
        }
    }
    if (!session.start()) return 1;
    trace.recordVirtualZero(session.driver().offset());
    session.performStartActions(options.actions);
    const int status = QApplication::exec();
    // A trace that stopped short was said at once; the status says it again to
    // whoever ran the program for it.
    return status == 0 && trace.failed() ? 1 : status;
}
