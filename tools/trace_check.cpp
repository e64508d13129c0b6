// Holds the timer runs of a real run's --trace against their ideal times.
//
// The user's actions in the trace (load, "time", a choice in the list,
// "clear", "end") are replayed at the same moments on a Form1 running on the
// virtual clock, where every timer fires exactly on its schedule. The
// virtual runs of each handler are then paired in order with the real ones
// of the same name: the first KAME_Timer with the first, and so on. A
// handler that ran a different number of times in the two is reported, and
// only its common prefix is paired.
//
// Prints one line of name=value figures (milliseconds unless named
// otherwise) for the calling script to tabulate and judge.

#include "forms/runtime_error.h"
#include "scene/form1.h"
#include "scene/layout.h"

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

constexpr const char* Usage = "Usage: trace_check TRACE\n"
                              "  TRACE  a file written by miravel --trace\n";

// The face's nineteenth blink starts this many ms after "Eternity" is chosen
// (the blinks begin at 6.9 s, one every 5 s): far enough in for any drift to show.
constexpr forms::Ms LateBlinkAfterChoice = 96'900;
// Span at each end of the run over which drift is judged.
constexpr double DriftWindowMs = 10'000;

struct Line {
    double ms = 0;
    std::string handler;
    std::string text;
};

struct Trace {
    std::vector<Line> runs;
    std::optional<double> wall; // wall-clock epoch ms at wallMs
    double wallMs = 0;
    std::optional<double> virtualZero; // trace ms at which the virtual clock read 0
};

std::optional<double> numberField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": ";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return std::nullopt;
    return std::strtod(line.c_str() + at + key.size(), nullptr);
}

std::optional<std::string> textField(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\": \"";
    std::size_t at = line.find(key);
    if (at == std::string::npos) return std::nullopt;
    std::string value;
    for (at += key.size(); at < line.size() && line[at] != '"'; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) ++at;
        value += line[at];
    }
    return value;
}

std::optional<Trace> readTrace(const char* path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    Trace trace;
    std::string line;
    while (std::getline(in, line)) {
        const std::optional<double> ms = numberField(line, "ms");
        if (!ms) continue;
        if (const auto wall = numberField(line, "wall")) {
            trace.wall = wall;
            trace.wallMs = *ms;
        }
        if (const auto zero = numberField(line, "virtual_zero")) trace.virtualZero = zero;
        if (auto handler = textField(line, "handler"))
            trace.runs.push_back({*ms, std::move(*handler), textField(line, "text").value_or("")});
    }
    return trace;
}

bool isTimer(const std::string& handler) { return handler.ends_with("_Timer"); }

// Handler name to the times it ran, in order.
using Runs = std::map<std::string, std::vector<double>>;

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
    problem = "unknown user event " + run.handler + (run.text.empty() ? "" : " '" + run.text + "'");
    return false;
}

// Replays the trace's user actions on a virtual Form1; the runs it records
// are in trace ms, so they compare directly with the real ones.
Runs idealRuns(const Trace& trace, std::string& problem) {
    const double zero = *trace.virtualZero;
    miravel::Form1 form;
    form.timeOfDay = [] { return forms::TimeOfDay{12, 0, 0}; };
    Runs runs;
    form.setEventObserver([&](std::string_view control, std::string_view event) {
        std::string name(control);
        name += '_';
        name += event;
        runs[name].push_back(zero + static_cast<double>(form.scheduler().now()));
    });
    // The virtual clock counts whole milliseconds, as the real driver's does.
    const auto at = [zero](double ms) { return static_cast<forms::Ms>(std::floor(ms - zero)); };
    try {
        for (const Line& run : trace.runs) {
            if (isTimer(run.handler)) continue;
            if (run.handler != "Form_Load") form.scheduler().advanceTo(at(run.ms));
            if (run.handler == "Form_Load") {
                form.load();
            } else if (!replayAction(form, run, problem)) {
                return runs;
            }
        }
        form.scheduler().advanceTo(at(trace.runs.back().ms));
        // A run closed by "end" ends 10 ms after it, which may lie past its last line.
        const auto ended = [](const Line& run) { return run.handler == "Command3_Click"; };
        if (std::any_of(trace.runs.begin(), trace.runs.end(), ended))
            form.scheduler().advanceTo(at(trace.runs.back().ms) + 1000);
    } catch (const forms::RuntimeError& error) {
        problem = std::string("run-time error in the replay: ") + error.what();
    }
    return runs;
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

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    const std::optional<Trace> trace = readTrace(argv[1]);
    if (!trace) {
        std::fprintf(stderr, "trace_check: cannot read %s\n", argv[1]);
        return 2;
    }
    if (!trace->virtualZero || !trace->wall || trace->runs.empty()) {
        std::fprintf(stderr, "trace_check: %s lacks the wall time, the virtual zero or any handler run\n", argv[1]);
        return 2;
    }

    std::string problem;
    const Runs ideal = idealRuns(*trace, problem);
    if (!problem.empty()) {
        std::fprintf(stderr, "trace_check: %s\n", problem.c_str());
        return 1;
    }
    Runs real;
    for (const Line& run : trace->runs)
        if (isTimer(run.handler)) real[run.handler].push_back(run.ms);

    // Pair the n-th real run of each timer with its n-th ideal run.
    std::map<std::string, std::vector<Pair>> pairs;
    int unmatched = 0;
    std::string miscounted;
    std::vector<std::string> names;
    for (const auto& [name, times] : real) names.push_back(name);
    for (const auto& [name, times] : ideal)
        if (isTimer(name) && !real.contains(name)) names.push_back(name);
    for (const std::string& name : names) {
        const std::vector<double> none;
        const std::vector<double>& r = real.contains(name) ? real.at(name) : none;
        const std::vector<double>& v = ideal.contains(name) ? ideal.at(name) : none;
        const std::size_t common = std::min(r.size(), v.size());
        for (std::size_t i = 0; i < common; ++i) pairs[name].push_back({v[i], r[i] - v[i]});
        if (r.size() != v.size()) {
            unmatched += static_cast<int>(std::max(r.size(), v.size()) - common);
            miscounted += (miscounted.empty() ? "" : ",") + name + ":" + std::to_string(r.size()) + "/" +
                          std::to_string(v.size());
        }
    }

    std::vector<double> absolute;
    for (const auto& [name, list] : pairs)
        for (const Pair& pair : list) absolute.push_back(std::abs(pair.error));

    // Drift: per timer, the median error near the end against that near the start.
    double start = trace->runs.front().ms;
    for (const Line& run : trace->runs)
        if (run.handler == "SelectBg_Click") {
            start = run.ms;
            break;
        }
    const double end = trace->runs.back().ms;
    double drift = 0;
    std::string driftTimer = "-";
    for (const auto& [name, list] : pairs) {
        std::vector<double> first, last;
        for (const Pair& pair : list) {
            if (pair.ideal >= start && pair.ideal < start + DriftWindowMs) first.push_back(pair.error);
            if (pair.ideal > end - DriftWindowMs) last.push_back(pair.error);
        }
        if (first.empty() || last.empty() || end - start < 2 * DriftWindowMs) continue;
        const double d = median(last) - median(first);
        if (driftTimer == "-" || std::abs(d) > std::abs(drift)) {
            drift = d;
            driftTimer = name;
        }
    }

    // The late blink, when the run chose "Eternity".
    std::optional<double> lateBlink;
    for (const Line& run : trace->runs) {
        if (run.handler != "SelectBg_Click" || run.text != "Eternity" || !pairs.contains("MOVE1_Timer")) continue;
        const double zero = *trace->virtualZero;
        const double due =
            zero + static_cast<double>(static_cast<forms::Ms>(std::floor(run.ms - zero)) + LateBlinkAfterChoice);
        for (const Pair& pair : pairs.at("MOVE1_Timer"))
            if (pair.ideal == due) lateBlink = pair.error;
        break;
    }

    // The clock: from each wall-clock second to the first clock refresh after it.
    std::vector<double> lags;
    if (real.contains("JIKOKU1_Timer")) {
        const auto wallOf = [&](double ms) { return *trace->wall + (ms - trace->wallMs); };
        const std::vector<double>& ticks = real.at("JIKOKU1_Timer");
        double second = std::ceil(wallOf(ticks.front()) / 1000) * 1000;
        for (double tick : ticks) {
            while (wallOf(tick) >= second) {
                lags.push_back(wallOf(tick) - second);
                second += 1000;
            }
        }
    }

    // Runs too short for two separate windows have no drift to show.
    const std::string driftText = driftTimer == "-" ? "-" : std::to_string(drift);
    std::printf("timer_events=%zu unmatched=%d miscounted=%s median=%.3f p99=%.3f max=%.3f drift=%s "
                "drift_timer=%s late_blink=%s clock_seconds=%zu clock_lag_median=%.3f clock_lag_max=%.3f "
                "run_s=%.1f\n",
                absolute.size(), unmatched, miscounted.empty() ? "-" : miscounted.c_str(), median(absolute),
                percentile(absolute, 99), absolute.empty() ? NAN : *std::max_element(absolute.begin(), absolute.end()),
                driftText.c_str(), driftTimer.c_str(), lateBlink ? std::to_string(*lateBlink).c_str() : "-",
                lags.size(), median(lags), lags.empty() ? NAN : *std::max_element(lags.begin(), lags.end()),
                (end - start) / 1000);
    return 0;
}
