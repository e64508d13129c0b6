#include "desktop/trace_log.h"

#include <QFile>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <limits>
#include <string>

namespace miravel::desktop {

namespace {

void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }
}

// Milliseconds to the microsecond. Not printf: QApplication puts the user's
// locale in force, and its decimal comma would make the line no JSON.
void appendMs(std::string& out, double ms) {
    char digits[std::numeric_limits<double>::max_exponent10 + 8]; // any finite double, with sign, point and 3 places
    const auto written = std::to_chars(digits, digits + sizeof digits, ms, std::chars_format::fixed, 3);
    out.append(digits, written.ptr);
}

} // namespace

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
    std::string line = ", \"wall\": ";
    appendMs(line, static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(wall).count()) / 1e3);
    line += "}\n";
    write(line, now());
    return true;
}

void TraceLog::record(std::string_view control, std::string_view event, std::string_view text) {
    record(control, event, text, now());
}

void TraceLog::record(std::string_view control, std::string_view event, std::string_view text, double ms) {
    if (!file_) return;
    std::string line = ", \"handler\": \"";
    appendEscaped(line, control);
    line += '_';
    appendEscaped(line, event);
    if (!text.empty()) {
        line += "\", \"text\": \"";
        appendEscaped(line, text);
    }
    line += "\"}\n";
    write(line, ms);
}

void TraceLog::recordPaint(long long devicePixels, double shows) {
    if (!file_) return;
    std::string line = ", \"painted\": " + std::to_string(devicePixels) + ", \"shows\": ";
    appendMs(line, shows);
    line += "}\n";
    write(line, now());
}

void TraceLog::recordVirtualZero(double zero) { recordVirtualZero(zero, now()); }

void TraceLog::recordVirtualZero(double zero, double ms) {
    if (!file_) return;
    std::string line = ", \"virtual_zero\": ";
    appendMs(line, zero);
    line += "}\n";
    write(line, ms);
}

void TraceLog::recordResting(bool resting) {
    if (!file_) return;
    std::string line = resting ? ", \"resting\": true}\n" : ", \"resting\": false}\n";
    write(line, now());
}

// Puts the time in front of the line's fields and writes it out.
void TraceLog::write(std::string& line, double ms) {
    std::string time = "{\"ms\": ";
    appendMs(time, ms);
    line.insert(0, time);
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
