#include "trace_replay.h"

#include "forms/runtime_error.h"
#include "scene/layout.h"
#include "trace_reader.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <limits>
#include <variant>

namespace miravel::replay {

template <typename Test>
double Zeros::inForce(Test holds) const {
    double zero = zeros_.front().zero;
    for (std::size_t i = 1; i < zeros_.size() && holds(zeros_[i]); ++i) zero = zeros_[i].zero;
    return zero;
}

forms::Ms Zeros::virtualAt(double ms) const {
    const double zero = inForce([ms](const Zero& z) { return z.from <= ms; });
    return static_cast<forms::Ms>(std::floor(ms - zero + 0.0005));
}

double Zeros::traceAt(double v) const {
    return v + inForce([v](const Zero& z) { return z.from - z.zero + 0.5 <= v; });
}

std::optional<Trace> readTrace(const std::string& path) {
    std::ifstream in(path);
    if (!in) return std::nullopt;
    Trace trace;
    trace.path = path;
    for (const auto& line : trace::readTrace(in, path)) {
        if (const auto* wall = std::get_if<trace::Wall>(&line)) {
            trace.wall = wall->epochMs;
            trace.wallMs = wall->ms;
        } else if (const auto* zero = std::get_if<trace::VirtualZero>(&line)) {
            trace.zeros.add({zero->ms, zero->zero});
        } else if (const auto* paint = std::get_if<trace::Painted>(&line)) {
            trace.paints.push_back({paint->ms, paint->shows});
        } else if (const auto* run = std::get_if<trace::HandlerRun>(&line)) {
            trace.runs.push_back({run->ms, run->handler, run->text, run->number});
        }
    }
    return trace;
}

bool isTimer(const std::string& handler) { return handler.ends_with("_Timer"); }

forms::TimeOfDay localTimeAt(double epochMs) {
    const auto seconds = static_cast<std::time_t>(std::floor(epochMs / 1000));
    std::tm local{};
    localtime_r(&seconds, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

namespace {

// A user's action from the trace, done again on the control whose handler it
// names: a press of a button, or a choice of the entry with the traced text.
// False when the form has no such control or entry.
bool replayAction(Form1& form, const Line& run) {
    for (const layout::Row& row : layout::Rows) {
        if (row.handler == nullptr || row.handlerName() != run.handler) continue;
        if (const auto* button = std::get_if<forms::CommandButton Form1::*>(&row.member)) {
            (form.**button).click();
            return true;
        }
        if (const auto* list = std::get_if<forms::ComboBox Form1::*>(&row.member)) {
            const auto items = (form.**list).items();
            const auto item = std::find(items.begin(), items.end(), run.text);
            if (item == items.end()) return false;
            (form.**list).choose(static_cast<std::size_t>(item - items.begin()));
            return true;
        }
    }
    return false;
}

bool endsTheRun(const Line& run) { return run.handler == "Command3_Click"; }

} // namespace

Replay::Replay(const Trace& trace) : trace_(trace), line_(&trace.runs.front()) {
    form_.timeOfDay = [this] { return localTimeAt(*trace_.wall + traceNow() - trace_.wallMs); };
}

double Replay::traceNow() const { return trace_.zeros.traceAt(static_cast<double>(form_.scheduler().now())); }

void Replay::runTo(double ms) {
    actUpTo(ms);
    advanceTo(trace_.zeros.virtualAt(ms));
}

void Replay::runToEnd() {
    actUpTo(std::numeric_limits<double>::infinity());
    const forms::Ms last = trace_.zeros.virtualAt(trace_.runs.back().ms);
    advanceTo(last);
    // "end" closes the window 10 ms after its handler, which may lie past the last line.
    if (std::any_of(trace_.runs.begin(), trace_.runs.end(), endsTheRun)) advanceTo(last + 1000);
}

void Replay::actUpTo(double ms) {
    for (; next_ < trace_.runs.size() && trace_.runs[next_].ms <= ms; ++next_) {
        line_ = &trace_.runs[next_];
        // The timers' runs are the model's own doing, on its own schedule.
        if (!isTimer(line_->handler)) act(*line_);
    }
}

void Replay::act(const Line& run) {
    if (run.handler != "Form_Load") advanceTo(trace_.zeros.virtualAt(run.ms));
    acting_ = true;
    try {
        if (run.handler == "Form_Load") {
            form_.load();
        } else if (!replayAction(form_, run)) {
            stop("unknown user event " + trace::quoted(run.handler) +
                 (run.text.empty() ? "" : " choosing " + trace::quoted(run.text)));
        }
    } catch (const forms::RuntimeError& error) {
        stop(std::string("run-time error in the replay: ") + error.what());
    }
    acting_ = false;
}

void Replay::advanceTo(forms::Ms moment) {
    try {
        form_.scheduler().advanceTo(moment);
    } catch (const forms::RuntimeError& error) {
        stop(std::string("run-time error in the replay: ") + error.what());
    }
}

void Replay::stop(const std::string& why) const {
    throw ReplayError(trace_.path + ':' + std::to_string(line_->number) + ": " + why);
}

} // namespace miravel::replay
