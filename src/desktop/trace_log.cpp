#include "desktop/trace_log.h"

#include "binding/trace_lines.h"

#include <QFile>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>

namespace miravel::desktop {

TraceLog::~TraceLog() {
    if (file_) std::fclose(file_);
}

bool TraceLog::open(const QString& path, const QElapsedTimer& since) {
    if (file_) std::fclose(file_);
    path_ = path;
    failed_ = false;
    file_ = std::fopen(QFile::encodeName(path).constData(), "w");
    since_ = since;
    if (!file_) {
        fail(errno);
        return false;
    }
    // Read right before the line's own "ms", so the two stand for one moment.
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    const double wallMs =
        static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(wall).count()) / 1e3;
    write(binding::wallLine(now(), wallMs));
    return true;
}

void TraceLog::record(std::string_view control, std::string_view event, std::string_view text) {
    record(control, event, text, now());
}

void TraceLog::record(std::string_view control, std::string_view event, std::string_view text, double ms) {
    if (file_) write(binding::handlerLine(ms, control, event, text));
}

void TraceLog::recordPaint(long long devicePixels, double shows) {
    if (file_) write(binding::paintLine(now(), devicePixels, shows));
}

void TraceLog::recordVirtualZero(double zero) { recordVirtualZero(zero, now()); }

void TraceLog::recordVirtualZero(double zero, double ms) {
    if (file_) write(binding::virtualZeroLine(ms, zero));
}

void TraceLog::recordResting(bool resting) {
    if (file_) write(binding::restingLine(now(), resting));
}

void TraceLog::write(std::string line) {
    line += '\n';
    errno = 0;
    if (std::fwrite(line.data(), 1, line.size(), file_) != line.size() || std::fflush(file_) != 0) fail(errno);
}

void TraceLog::fail(int error) {
    std::fprintf(stderr, "miravel: cannot write the trace file '%s': %s\n", QFile::encodeName(path_).constData(),
                 error != 0 ? std::strerror(error) : "write error");
    failed_ = true;
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

} // namespace miravel::desktop
