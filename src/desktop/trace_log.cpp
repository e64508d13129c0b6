#include "desktop/trace_log.h"

#include <QFile>

#include <chrono>
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

} // namespace

TraceLog::~TraceLog() {
    if (file_) std::fclose(file_);
}

bool TraceLog::open(const QString& path, const QElapsedTimer& since) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(QFile::encodeName(path).constData(), "w");
    since_ = since;
    if (!file_) return false;
    // Read right before the line's own "ms", so the two stand for one moment.
    const auto wall = std::chrono::system_clock::now().time_since_epoch();
    char line[64];
    std::snprintf(line, sizeof line, ", \"wall\": %.3f}\n",
                  static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(wall).count()) / 1e3);
    std::string text = line;
    write(text);
    return true;
}

void TraceLog::record(std::string_view control, std::string_view event, std::string_view text) {
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
    write(line);
}

void TraceLog::recordPaint(long long devicePixels) {
    if (!file_) return;
    std::string line = ", \"painted\": " + std::to_string(devicePixels) + "}\n";
    write(line);
}

void TraceLog::recordVirtualZero(double ms) {
    if (!file_) return;
    char field[48];
    std::snprintf(field, sizeof field, ", \"virtual_zero\": %.3f}\n", ms);
    std::string line = field;
    write(line);
}

// Puts the time in front of the line's fields and writes it out.
void TraceLog::write(std::string& line) {
    char ms[40];
    std::snprintf(ms, sizeof ms, "{\"ms\": %.3f", static_cast<double>(since_.nsecsElapsed()) / 1e6);
    line.insert(0, ms);
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

} // namespace miravel::desktop
