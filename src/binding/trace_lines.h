#pragma once

#include <string>
#include <string_view>

namespace miravel::binding {

// The lines of a trace, each one JSON object without its newline, written
// as they are by hand so that every binding's trace reads the same to
// trace_check. Every line begins with its "ms": the binding's monotonic
// time since the program started, to the microsecond, as are all times.
// Numbers never take the decimal comma of the locale in force.

// The first line: the wall-clock time, in ms since the Unix epoch, read
// together with its "ms". {"ms": 127.245, "wall": 1796708239537.012}
std::string wallLine(double ms, double wallMs);
// A handler ran, with the list's text for a choice; an empty text is left
// out. {"ms": 1510.885, "handler": "SelectBg_Click", "text": "Eternity"}
std::string handlerLine(double ms, std::string_view control, std::string_view event, std::string_view text = {});
// A paint reached the screen, covering this many device pixels, and showed
// the moment "shows". {"ms": 153.362, "painted": 18705, "shows": 152.885}
std::string paintLine(double ms, long long devicePixels, double shows);
// The "ms" at which the virtual clock stood at 0. {"ms": 152.898, "virtual_zero": 152.885}
std::string virtualZeroLine(double ms, double zero);
// The pacer stopped its alarm (resting) or armed it again. {"ms": 152.893, "resting": false}
std::string restingLine(double ms, bool resting);

} // namespace miravel::binding
