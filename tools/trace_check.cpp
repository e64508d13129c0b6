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

#include "forms/runtime_error.h"
#include "scene/form1.h"
#include "scene/layout.h"
#include "trace_reader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

struct Line {
    double ms = 0;
    std::string handler;
    std::string text;
    int number = 0; // in the file
};

// A paint that reached the screen, and the trace ms of the moment it showed.
struct Paint {
    double ms = 0;
    double shows = 0;
};

// Where the virtual clock stands against the trace ms. The first zero is set
// at start; each later one, written when the program woke so late that it
// moved its timers' clock on instead of running every missed tick, holds from
// the moment it was written.
class Zeros {
public:
    struct Zero {
        double from; // trace ms of the line
        double zero; // trace ms at which the virtual clock read 0
    };

    void add(Zero zero) { zeros_.push_back(zero); }
    bool empty() const { return zeros_.empty(); }
    // The virtual moment at a trace ms, in whole ms as the real driver counts.
    // The trace keeps three decimals: a timer's own moment may come back a
    // hair below its whole ms.
    forms::Ms virtualAt(double ms) const {
        const double zero = inForce([ms](const Zero& z) { return z.from <= ms; });
        return static_cast<forms::Ms>(std::floor(ms - zero + 0.0005));
    }
    // The trace ms of a virtual moment. A zero's line is stamped with the
    // moment of the shift, on the new clock, and what ran at that moment ran
    // on the old one: the new zero holds from the next whole ms.
    double traceAt(double v) const {
        return v + inForce([v](const Zero& z) { return z.from - z.zero + 0.5 <= v; });
    }
    // How far the stalls moved the timers' clock on, in all.
    double stalled() const { return zeros_.back().zero - zeros_.front().zero; }

private:
    // The last zero in force by the test; the first holds until another does.
    template <typename Test>
    double inForce(Test holds) const {
        double zero = zeros_.front().zero;
        for (std::size_t i = 1; i < zeros_.size() && holds(zeros_[i]); ++i) zero = zeros_[i].zero;
        return zero;
    }

    std::vector<Zero> zeros_;
};

struct Trace {
    std::string path;
    std::vector<Line> runs;
    std::vector<Paint> paints;
    std::optional<double> wall; // wall-clock epoch ms at wallMs
    double wallMs = 0;
    Zeros zeros;
};

// The trace's lines as the replay needs them. Throws trace::BadTrace.
std::optional<Trace> readTrace(const char* path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    Trace trace;
    trace.path = path;
    for (const auto& line : miravel::trace::readTrace(in, path)) {
        if (const auto* wall = std::get_if<miravel::trace::Wall>(&line)) {
            trace.wall = wall->epochMs;
            trace.wallMs = wall->ms;
        } else if (const auto* zero = std::get_if<miravel::trace::VirtualZero>(&line)) {
            trace.zeros.add({zero->ms, zero->zero});
        } else if (const auto* paint = std::get_if<miravel::trace::Painted>(&line)) {
            trace.paints.push_back({paint->ms, paint->shows});
        } else if (const auto* run = std::get_if<miravel::trace::HandlerRun>(&line)) {
            trace.runs.push_back({run->ms, run->handler, run->text, run->number});
        }
    }
    return trace;
}

bool isTimer(const std::string& handler) { return handler.ends_with("_Timer"); }

// Handler name to the times it ran, in order.
using Runs = std::map<std::string, std::vector<double>>;

// What the replay gives, in trace ms: each handler's runs, and the moments at
// which a timer's handler changed what is seen.
struct Ideal {
    Runs runs;
    std::vector<double> changes;
};

// The local time of day at an epoch ms, as the program's clock reads it.
forms::TimeOfDay localTimeAt(double epochMs) {
    const auto seconds = static_cast<std::time_t>(std::floor(epochMs / 1000));
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

// A user's action from the trace, done again on the control whose handler it
// names: a press of a button, or a choice of the entry with the traced text.
bool replayAction(miravel::Form1& form, const Line& run, std::string& problem) {
    using miravel::Form1;
    for (const miravel::layout::Row& row : miravel::layout::Rows) {
        if (row.handler == nullptr || row.handlerName() != run.handler) continue;
        if (const auto* button = std::get_if<forms::CommandButton Form1::*>(&row.member)) {
            (form.**button).click();
            return true;
        }
        if (const auto* list = std::get_if<forms::ComboBox Form1::*>(&row.member)) {
            const auto items = (form.**list).items();
            const auto item = std::find(items.begin(), items.end(), run.text);
            if (item == items.end()) break;
            (form.**list).choose(static_cast<std::size_t>(item - items.begin()));
            return true;
        }
    }
    problem = "unknown user event " + miravel::trace::quoted(run.handler) +
              (run.text.empty() ? "" : " choosing " + miravel::trace::quoted(run.text));
    return false;
}

// Replays the trace's user actions on a virtual Form1; what it records is in
// trace ms, so it compares directly with the real run.
Ideal idealRun(const Trace& trace, std::string& problem) {
    const Zeros& zeros = trace.zeros;
    miravel::Form1 form;
    const auto traceMs = [&] { return zeros.traceAt(static_cast<double>(form.scheduler().now())); };
    form.timeOfDay = [&] { return localTimeAt(*trace.wall + traceMs() - trace.wallMs); };
    Ideal ideal;
    Runs& runs = ideal.runs;
    bool acting = false;
    form.setEventObserver([&](std::string_view control, std::string_view event) {
        std::string name(control);
        name += '_';
        name += event;
        runs[name].push_back(traceMs());
    });
    form.setRepaintObserver([&](const forms::VisibleControl& source, const forms::TwipRect& area) {
        const double at = traceMs();
        if (!acting && forms::Form::shows(source, area) && (ideal.changes.empty() || ideal.changes.back() != at))
            ideal.changes.push_back(at);
    });
    const auto at = [&zeros](double ms) { return zeros.virtualAt(ms); };
    // Whatever goes wrong is said at the line being replayed.
    const Line* line = &trace.runs.front();
    const auto where = [&] { return trace.path + ':' + std::to_string(line->number) + ": "; };
    try {
        for (const Line& run : trace.runs) {
            line = &run;
            if (isTimer(run.handler)) continue;
            if (run.handler != "Form_Load") form.scheduler().advanceTo(at(run.ms));
            acting = true;
            if (run.handler == "Form_Load") {
                form.load();
            } else if (!replayAction(form, run, problem)) {
                problem = where() + problem;
                return ideal;
            }
            acting = false;
        }
        form.scheduler().advanceTo(at(trace.runs.back().ms));
        // A run closed by "end" ends 10 ms after it, which may lie past its last line.
        const auto ended = [](const Line& run) { return run.handler == "Command3_Click"; };
        if (std::any_of(trace.runs.begin(), trace.runs.end(), ended))
            form.scheduler().advanceTo(at(trace.runs.back().ms) + 1000);
    } catch (const forms::RuntimeError& error) {
        problem = where() + "run-time error in the replay: " + error.what();
    }
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
    const std::optional<Trace> trace = readTrace(path);
    if (!trace) {
        std::fprintf(stderr, "trace_check: cannot read %s\n", path);
        return 2;
    }
    if (trace->zeros.empty() || !trace->wall || trace->runs.empty()) {
        std::fprintf(stderr, "trace_check: %s lacks the wall time, the virtual zero or any handler run\n", path);
        return 2;
    }

    std::string problem;
    const Ideal ideal = idealRun(*trace, problem);
    if (!problem.empty()) {
        std::fprintf(stderr, "trace_check: %s\n", problem.c_str());
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
