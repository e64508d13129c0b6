#pragma once

#include <istream>
#include <stdexcept>
#include <string>
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
using Line = std::variant<Wall, HandlerRun, Painted, VirtualZero>;

// A line that is none of those, said as "NAME:LINE: why".
struct BadTrace : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Every line of a trace, in order. A line that is not JSON, lacks a field its
// kind needs, has one of the wrong type or one no kind has stops the reading:
// a checker that skipped it would judge a run it has not seen.
std::vector<Line> readTrace(std::istream& in, const std::string& name);

} // namespace miravel::trace
