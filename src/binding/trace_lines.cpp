#include "binding/trace_lines.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace miravel::binding {

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

// Milliseconds to the microsecond. Not printf: a toolkit may put the user's
// locale in force, and its decimal comma would make the line no JSON.
void appendMs(std::string& out, double ms) {
    char digits[std::numeric_limits<double>::max_exponent10 + 8]; // any finite double, with sign, point and 3 places
    const auto written = std::to_chars(digits, digits + sizeof digits, ms, std::chars_format::fixed, 3);
    out.append(digits, written.ptr);
}

// A line's start, up to where its own fields follow.
std::string lineAt(double ms) {
    std::string line = "{\"ms\": ";
    appendMs(line, ms);
    return line;
}

} // namespace

std::string wallLine(double ms, double wallMs) {
    std::string line = lineAt(ms) + ", \"wall\": ";
    appendMs(line, wallMs);
    return line + '}';
}

std::string handlerLine(double ms, std::string_view control, std::string_view event, std::string_view text) {
    std::string line = lineAt(ms) + ", \"handler\": \"";
    appendEscaped(line, control);
    line += '_';
    appendEscaped(line, event);
    if (!text.empty()) {
        line += "\", \"text\": \"";
        appendEscaped(line, text);
    }
    return line + "\"}";
}

std::string paintLine(double ms, long long devicePixels, double shows) {
    std::string line = lineAt(ms) + ", \"painted\": " + std::to_string(devicePixels) + ", \"shows\": ";
    appendMs(line, shows);
    return line + '}';
}

std::string virtualZeroLine(double ms, double zero) {
    std::string line = lineAt(ms) + ", \"virtual_zero\": ";
    appendMs(line, zero);
    return line + '}';
}

std::string restingLine(double ms, bool resting) {
    return lineAt(ms) + (resting ? ", \"resting\": true}" : ", \"resting\": false}");
}

} // namespace miravel::binding
