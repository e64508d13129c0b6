// Holds a real run's --trace against the ideal run: what a person saw, and when.
//
// The user's actions in the trace (load, "time", a choice in the list,
// "clear", "end") are replayed at the same moments on a Form1 running on the
// virtual clock, where every timer fires exactly on its schedule and the
// clock reads the wall-clock time of each moment. Where the program stalled
// and moved its timers' clock on (a later virtual_zero line), so does the
// replay, and "stalled" says by how much in all. The replay gives the
// moments at which a timer's handler changed what is seen; each is paired
// with the first paint that showed it, and the delay from the one to the
// other is what a person sees of the program's timing. The virtual runs of
// each handler are also paired in order with the traced ones of the same
// name: a handler that ran a different number of times in the two is
// reported.
//
// Every line of the trace must be one the program writes, or nothing is
// judged: a bad line is said with its number on stderr, status 2.
//
// Prints one line of name=value figures (milliseconds unless named
// otherwise) for the calling script to tabulate and judge. With FROM and TO
// (trace ms), also the moments a second at which a pixel changed over that
// span: the floor for the program's wake-ups.

#include "trace_reader.h"
#include "trace_replay.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace {

constexpr const char* Usage = "Usage: trace_check TRACE [FROM TO]\n"
                              "       trace_check --lines TRACE\n"
                              "  TRACE    a file written by miravel --trace\n"
                              "  FROM TO  a span of it in trace ms, for the visible changes a second\n"
                              "  --lines  each line of the trace as \"ms kind value [text]\", for scripts\n";

// The face's nineteenth blink is due this many ms after "Eternity" is chosen
// (the blinks begin at 6.9 s, one every 5 s): far enough in for any drift to show.
constexpr forms::Ms LateBlinkAfterChoice = 96'900;
// Span at each end of the run over which drift is judged.
constexpr double DriftWindowMs = 10'000;

using miravel::replay::isTimer;
using miravel::replay::Line;
using miravel::replay::Paint;
using miravel::replay::Trace;

// Handler name to the times it ran, in order.
using Runs = std::map<std::string, std::vector<double>>;

// What the replay gives, in trace ms: each handler's runs, and the moments at
// which a timer's handler changed what is seen.
struct Ideal {
    Runs runs;
    std::vector<double> changes;
};

// The whole run replayed, recorded in trace ms so that it compares directly
// with the real one. Throws replay::ReplayError.
Ideal idealRun(const Trace& trace) {
    miravel::replay::Replay replay(trace);
    Ideal ideal;
    replay.form().setEventObserver([&](std::string_view control, std::string_view event) {
        std::string name(control);
        name += '_';
        name += event;
        ideal.runs[name].push_back(replay.traceNow());
    });
    replay.form().setRepaintObserver([&](const forms::VisibleControl& source, const forms::TwipRect& area) {
        const double at = replay.traceNow();
        if (!replay.acting() && forms::Form::shows(source, area) && (ideal.changes.empty() || ideal.changes.back() != at))
            ideal.changes.push_back(at);
    });
    replay.runToEnd();
    return ideal;
}

double median(std::vector<double> values) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Nearest rank.
double percentile(std::vector<double> values, double p) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100 * static_cast<double>(values.size())));
    return values[std::max<std::size_t>(rank, 1) - 1];
}

struct Pair {
    double ideal;
    double error; // real less ideal
};

// The trace as scripts read it: "ms handler NAME [TEXT]", "ms painted PIXELS
// SHOWS", "ms wall EPOCH_MS", "ms virtual_zero MS", "ms resting true|false",
// one a line.
int printLines(const char* path) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "trace_check: cannot read %s\n", path);
        return 2;
    }
    // All read before any is printed: a script must not act on a trace that turns out bad further on.
    for (const auto& line : miravel::trace::readTrace(in, path)) {
        if (const auto* run = std::get_if<miravel::trace::HandlerRun>(&line)) {
            std::printf("%.3f handler %s%s%s\n", run->ms, run->handler.c_str(), run->text.empty() ? "" : " ",
                        run->text.c_str());
        } else if (const auto* paint = std::get_if<miravel::trace::Painted>(&line)) {
            std::printf("%.3f painted %lld %.3f\n", paint->ms, paint->pixels, paint->shows);
        } else if (const auto* wall = std::get_if<miravel::trace::Wall>(&line)) {
            std::printf("%.3f wall %.3f\n", wall->ms, wall->epochMs);
        } else if (const auto* zero = std::get_if<miravel::trace::VirtualZero>(&line)) {
            std::printf("%.3f virtual_zero %.3f\n", zero->ms, zero->zero);
        } else if (const auto* resting = std::get_if<miravel::trace::Resting>(&line)) {
            std::printf("%.3f resting %s\n", resting->ms, resting->resting ? "true" : "false");
        }
    }
    return 0;
}

// The first paint that showed the moment at, if any.
const Paint* paintShowing(const std::vector<Paint>& paints, double at) {
    const auto found =
        std::find_if(paints.begin(), paints.end(), [at](const Paint& p) { return p.shows >= at - 1e-3; });
    return found == paints.end() ? nullptr : &*found;
}

// The figures of the run in the trace at path, with those of the span
// span[0] to span[1] unless span is null.
int check(const char* path, char* const* span) {
    const std::optional<Trace> trace = miravel::replay::readTrace(path);
    if (!trace) {
        std::fprintf(stderr, "trace_check: cannot read %s\n", path);
        return 2;
    }
    if (!trace->replayable()) {
        std::fprintf(stderr, "trace_check: %s lacks the wall time, the virtual zero or any handler run\n", path);
        return 2;
    }

    Ideal ideal;
    try {
        ideal = idealRun(*trace);
    } catch (const miravel::replay::ReplayError& error) {
        std::fprintf(stderr, "trace_check: %s\n", error.what());
        return 1;
    }

    // Every timer ran as often as on the ideal schedule.
    Runs real;
    for (const Line& run : trace->runs)
        if (isTimer(run.handler)) real[run.handler].push_back(run.ms);
    std::size_t events = 0;
    int unmatched = 0;
    std::string miscounted;
    std::map<std::string, std::size_t> names;
    for (const auto& [name, times] : real) names[name] = 0;
    for (const auto& [name, times] : ideal.runs)
        if (isTimer(name)) names[name] = 0;
    for (const auto& [name, unused] : names) {
        const std::size_t r = real.contains(name) ? real.at(name).size() : 0;
        const std::size_t v = ideal.runs.contains(name) ? ideal.runs.at(name).size() : 0;
        events += std::min(r, v);
        if (r == v) continue;
        unmatched += static_cast<int>(std::max(r, v) - std::min(r, v));
        miscounted += (miscounted.empty() ? "" : ",") + name + ":" + std::to_string(r) + "/" + std::to_string(v);
    }

    // Each visible change against the paint that showed it.
    std::vector<Pair> delays;
    for (const double change : ideal.changes)
        if (const Paint* paint = paintShowing(trace->paints, change)) delays.push_back({change, paint->ms - change});
    std::vector<double> absolute;
    for (const Pair& pair : delays) absolute.push_back(pair.error);

    // Drift: the median delay near the end against that near the start.
    double start = trace->runs.front().ms;
    for (const Line& run : trace->runs)
        if (run.handler == "SelectBg_Click") {
            start = run.ms;
            break;
        }
    const double end = trace->runs.back().ms;
    std::optional<double> drift;
    if (end - start >= 2 * DriftWindowMs) {
        std::vector<double> first, last;
        for (const Pair& pair : delays) {
            if (pair.ideal >= start && pair.ideal < start + DriftWindowMs) first.push_back(pair.error);
            if (pair.ideal > end - DriftWindowMs) last.push_back(pair.error);
        }
        if (!first.empty() && !last.empty()) drift = median(last) - median(first);
    }

    // The late blink, when the run chose "Eternity".
    std::optional<double> lateBlink;
    for (const Line& run : trace->runs) {
        if (run.handler != "SelectBg_Click" || run.text != "Eternity") continue;
        const double due =
            trace->zeros.traceAt(static_cast<double>(trace->zeros.virtualAt(run.ms) + LateBlinkAfterChoice));
        // The blink's timer only starts the eyes' closing; the first frame shows on the next tick.
        const auto blink =
            std::find_if(delays.begin(), delays.end(), [due](const Pair& pair) { return pair.ideal >= due; });
        if (blink != delays.end() && blink->ideal < due + 100) lateBlink = blink->error;
        break;
    }

    // The clock, from the first second after "time" showed it: from each
    // wall-clock second to the paint of the first refresh after it.
    std::vector<double> lags;
    if (ideal.runs.contains("JIKOKU1_Timer") && ideal.runs.contains("JIKOKU_Click")) {
        const auto wallOf = [&](double ms) { return *trace->wall + (ms - trace->wallMs); };
        const double shown = ideal.runs.at("JIKOKU_Click").front();
        std::vector<double> ticks;
        for (const double tick : ideal.runs.at("JIKOKU1_Timer"))
            if (tick > shown) ticks.push_back(tick);
        double second = ticks.empty() ? 0 : std::ceil(wallOf(ticks.front()) / 1000) * 1000;
        for (const double tick : ticks) {
            const Paint* paint = paintShowing(trace->paints, tick);
            if (paint == nullptr) break;
            while (wallOf(tick) >= second) {
                lags.push_back(wallOf(paint->ms) - second);
                second += 1000;
            }
        }
    }

    std::printf("timer_events=%zu unmatched=%d miscounted=%s visible_changes=%zu median=%.3f p99=%.3f max=%.3f "
                "drift=%s late_blink=%s clock_seconds=%zu clock_lag_median=%.3f clock_lag_max=%.3f run_s=%.1f "
                "stalled=%.0f",
                events, unmatched, miscounted.empty() ? "-" : miscounted.c_str(), absolute.size(), median(absolute),
                percentile(absolute, 99), absolute.empty() ? NAN : *std::max_element(absolute.begin(), absolute.end()),
                drift ? std::to_string(*drift).c_str() : "-", lateBlink ? std::to_string(*lateBlink).c_str() : "-",
                lags.size(), median(lags), lags.empty() ? NAN : *std::max_element(lags.begin(), lags.end()),
                (end - start) / 1000, trace->zeros.stalled());
    if (span != nullptr) {
        // The moments a second at which a pixel changed, and the paints, over the span.
        const double from = std::strtod(span[0], nullptr);
        const double to = std::strtod(span[1], nullptr);
        const auto within = [&](double ms) { return ms >= from && ms < to; };
        const auto changes = std::count_if(ideal.changes.begin(), ideal.changes.end(), within);
        const auto paints =
            std::count_if(trace->paints.begin(), trace->paints.end(), [&](const Paint& p) { return within(p.ms); });
        std::printf(" visible_per_s=%.2f paints_per_s=%.2f", static_cast<double>(changes) * 1000 / (to - from),
                    static_cast<double>(paints) * 1000 / (to - from));
    }
    std::printf("\n");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 3 && std::string(argv[1]) == "--lines") return printLines(argv[2]);
        if (argc != 2 && argc != 4) {
            std::fputs(Usage, stderr);
            return 2;
        }
        return check(argv[1], argc == 4 ? argv + 2 : nullptr);
    } catch (const miravel::trace::BadTrace& bad) {
        std::fprintf(stderr, "trace_check: %s\n", bad.what());
        return 2;
    }
}
