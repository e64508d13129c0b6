#pragma once

#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace miravel::trace {

// The lines miravel --trace writes, one JSON object a line, each with its "ms".
// {"ms": ..., "wall": <epoch ms>}, the first line and only that one.
struct Wall {
    double ms = 0;
    double epochMs = 0;
};
// {"ms": ..., "handler": "SelectBg_Click", "text": "Eternity"}, text optional.
struct HandlerRun {
    double ms = 0;
    std::string handler;
    std::string text; // empty when the line has none
    int number = 0;   // of the line in the file, for a replay that finds it names what the program lacks
};
// {"ms": ..., "painted": <device pixels>, "shows": <ms of the state shown>}
struct Painted {
    double ms = 0;
    long long pixels = 0;
    double shows = 0;
};
// {"ms": ..., "virtual_zero": <ms at which the virtual clock read 0>}
struct VirtualZero {
    double ms = 0;
    double zero = 0;
};
// {"ms": ..., "resting": true}: the program stopped its timer and wakes for
// nothing until the window is seen again or a person acts; false: armed again.
struct Resting {
    double ms = 0;
    bool resting = false;
};
using Line = std::variant<Wall, HandlerRun, Painted, VirtualZero, Resting>;

// A line that is none of those, said as "NAME:LINE: why".
struct BadTrace : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A text from a trace as a message quotes it: in double quotes, a quote, a
// backslash or a control character escaped as JSON writes it, and cut after
// MaxQuoted characters with "...", so that a line of any length is said in
// one short line of the terminal.
constexpr std::size_t MaxQuoted = 80;
std::string quoted(std::string_view text);

// Every line of a trace, in order. A line that is not JSON, lacks a field its
// kind needs, has one of the wrong type or one no kind has stops the reading:
// a checker that skipped it would judge a run it has not seen.
std::vector<Line> readTrace(std::istream& in, const std::string& name);

} // namespace miravel::trace
