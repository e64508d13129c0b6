#include "desktop/display_probe.h"
#include "desktop/error_report.h"
#include "desktop/session.h"
#include "desktop/trace_log.h"
#include "scene/form1.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

constexpr const char* Usage = "Usage: miravel [--trace FILE]\n"
                              "       miravel --version | --help\n"
                              "\n"
                              "  --trace FILE  write one JSON line per event handler run to FILE\n"
                              "  --version     print the version and exit\n"
                              "  --help        print this help and exit\n";

struct Options {
    std::optional<std::string> trace;
};

} // namespace

int main(int argc, char** argv) {
    // The trace and the driver both count from here, so the trace shows how
    // long start-up took and its times convert to the virtual clock's exactly.
    QElapsedTimer started;
    started.start();

    Options options;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--version") == 0) {
            std::printf("Miravel %s\n", MIRAVEL_VERSION);
            return 0;
        }
        if (std::strcmp(arg, "--help") == 0) {
            std::fputs(Usage, stdout);
            return 0;
        }
        if (std::strcmp(arg, "--trace") == 0 && i + 1 < argc) {
            options.trace = argv[++i];
            continue;
        }
        if (std::strncmp(arg, "--trace=", 8) == 0 && arg[8] != '\0') {
            options.trace = arg + 8;
            continue;
        }
        std::fprintf(stderr, "miravel: unexpected argument '%s'\n%s", arg, Usage);
        return 2;
    }

    if (!miravel::desktop::DisplayProbe::available()) {
        std::fputs("miravel: cannot connect to a display\n", stderr);
        return 1;
    }

    // Shared-memory images cost a round trip to the X server at every paint,
    // which for a window this small costs more than the copy it saves.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Miravel"));
    QApplication::setApplicationVersion(QStringLiteral(MIRAVEL_VERSION));

    miravel::desktop::TraceLog trace;
    if (options.trace && !trace.open(QString::fromLocal8Bit(options.trace->c_str()), started)) return 1;

    std::unique_ptr<miravel::Form1> form;
    try {
        form = std::make_unique<miravel::Form1>();
    } catch (const forms::RuntimeError& error) {
        miravel::desktop::reportRuntimeError(error);
        return 1;
    }
    const miravel::desktop::Driver::Clock clock = [started] {
        return static_cast<double>(started.nsecsElapsed()) / 1e6;
    };
    miravel::desktop::Session session(*form, trace.isOpen() ? &trace : nullptr, clock);
    if (!session.start()) return 1;
    trace.recordVirtualZero(session.driver().offset());
    const int status = QApplication::exec();
    // A trace that stopped short was said at once; the status says it again to
    // whoever ran the program for it.
    return status == 0 && trace.failed() ? 1 : status;
}
