#pragma once

// A real run's --trace replayed on the model: its user actions done again at
// their moments on a Form1 running on the virtual clock, where every timer
// fires exactly on its schedule and the clock reads the wall-clock time of
// each moment. The model is deterministic, so the replay stands at any
// moment where the real run stood, as far as the program's timing allowed.

#include "forms/scheduler.h"
#include "forms/time_of_day.h"
#include "scene/form1.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace miravel::replay {

// A handler's run as traced.
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
    forms::Ms virtualAt(double ms) const;
    // The trace ms of a virtual moment. A zero's line is stamped with the
    // moment of the shift, on the new clock, and what ran at that moment ran
    // on the old one: the new zero holds from the next whole ms.
    double traceAt(double v) const;
    // How far the stalls moved the timers' clock on, in all.
    double stalled() const { return zeros_.back().zero - zeros_.front().zero; }

private:
    // The last zero in force by the test; the first holds until another does.
    template <typename Test>
    double inForce(Test holds) const;

    std::vector<Zero> zeros_;
};

struct Trace {
    std::string path;
    std::vector<Line> runs;
    std::vector<Paint> paints;
    std::optional<double> wall; // wall-clock epoch ms at wallMs
    double wallMs = 0;
    Zeros zeros;

    // Whether it holds what a replay starts from: the wall time, the virtual
    // zero and at least one handler run.
    bool replayable() const { return wall && !zeros.empty() && !runs.empty(); }
};

// The trace's lines as the replay needs them; nothing when the file cannot be
// opened. Throws trace::BadTrace at a line the program never writes.
std::optional<Trace> readTrace(const std::string& path);

bool isTimer(const std::string& handler);

// The local time of day at an epoch ms, as the program's clock reads it.
forms::TimeOfDay localTimeAt(double epochMs);

// What stopped a replay, said at the trace's line being replayed: "FILE:N: why".
struct ReplayError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The run of a replayable trace done again, as far as asked. Observers set on
// the form see every handler run and repaint as the real run's did, and
// traceNow() says when, in trace ms, so that they compare directly with it.
class Replay {
public:
    explicit Replay(const Trace& trace);
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    Form1& form() { return form_; }
    const Form1& form() const { return form_; }
    // The trace ms of the form's present moment.
    double traceNow() const;
    // Whether a user's action is being done: what changes then is the
    // person's doing, not a timer's.
    bool acting() const { return acting_; }

    // Does every user action traced at or before ms, each at its own
    // moment, then brings the form's clock to ms. Throws ReplayError.
    void runTo(double ms);
    // The whole run: to its last line, and a run closed by "end" to the
    // moment it ended, which may lie past that line. Throws ReplayError.
    void runToEnd();

private:
    void actUpTo(double ms);
    void act(const Line& run);
    void advanceTo(forms::Ms moment);
    [[noreturn]] void stop(const std::string& why) const;

    const Trace& trace_;
    Form1 form_;
    std::size_t next_ = 0; // the next of the trace's runs to replay
    const Line* line_;     // the run being replayed, or the last one
    bool acting_ = false;
};

} // namespace miravel::replay
