#include "binding/trace_lines.h"

#include <cmath>
#include <cstdio>

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

// Milliseconds to the microsecond, their digits written out here: not
// printf, as a toolkit may put the person's locale in force, whose decimal
// comma would make the line no JSON, and not std::to_chars, whose floating
// point the web build's C++ library lacks. The number is rounded as
// to_chars rounds it, its exact value to the nearest microsecond, half to
// even: a product that lands on a half is settled by the product's own
// rounding error, which fma gives exactly.
void appendMs(std::string& out, double ms) {
    const double product = ms * 1000;
    double micros = std::nearbyint(product);
    if (std::fabs(product - micros) == 0.5) {
        const double error = std::fma(ms, 1000, -product);
        if (error != 0) micros = error > 0 ? std::ceil(product) : std::floor(product);
    }
    const long long signedMicros = std::llround(micros);
    const unsigned long long whole =
        signedMicros < 0 ? 0ULL - static_cast<unsigned long long>(signedMicros) : static_cast<unsigned long long>(signedMicros);
    if (std::signbit(micros)) out += '-';
    out += std::to_string(whole / 1000);
    out += '.';
    const auto fraction = static_cast<unsigned>(whole % 1000);
    out += static_cast<char>('0' + fraction / 100);
    out += static_cast<char>('0' + fraction / 10 % 10);
    out += static_cast<char>('0' + fraction % 10);
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
