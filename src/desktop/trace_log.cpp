#include "desktop/trace_log.h"

#include <QFile>

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

bool TraceLog::open(const QString& path) {
    if (file_) std::fclose(file_);
    file_ = std::fopen(QFile::encodeName(path).constData(), "w");
    since_.start();
    return file_ != nullptr;
}

void TraceLog::record(std::string_view control, std::string_view event) {
    if (!file_) return;
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.3f", static_cast<double>(since_.nsecsElapsed()) / 1e6);
    std::string line = "{\"ms\": ";
    line += ms;
    line += ", \"handler\": \"";
    appendEscaped(line, control);
    line += '_';
    appendEscaped(line, event);
    line += "\"}\n";
    std::fputs(line.c_str(), file_);
    std::fflush(file_);
}

} // namespace miravel::desktop
