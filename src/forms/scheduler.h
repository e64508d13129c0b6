#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace forms {

class Timer;

// Milliseconds on the virtual clock.
using Ms = std::int64_t;

// The one clock of the program. Time moves only through advanceTo(), so a test
// replays any timeline exactly and the desktop binding drives it in real time.
//
// - A timer enabled while stopped raises its first event one Interval later.
// - Enabling a running timer keeps its schedule; disabling it, even inside its
//   own handler, raises nothing more.
// - Due times are absolute: a timer enabled at t fires at t + k * Interval, so
//   nothing drifts however long it runs.
// - Events due at the same moment run in the order the timers were added, the
//   layout's definition order; each handler runs to its end before the next.
// - end() stops everything at once: no further event runs.
class Scheduler {
public:
    Ms now() const { return now_; }
    bool ended() const { return ended_; }

    void add(Timer& timer) { timers_.push_back(&timer); }

    // The due time of the next event, if any timer is running.
    std::optional<Ms> nextDue() const;

    // Runs every event due up to and including t, in order, then sets the clock to t.
    // A handler's exception leaves the clock at that event's time.
    void advanceTo(Ms t);

    void end() { ended_ = true; }

    // The clock and its end put back as a snapshot of the form had them.
    void restore(Ms now, bool ended) {
        now_ = now;
        ended_ = ended;
    }

private:
    Timer* earliestDue() const;

    std::vector<Timer*> timers_;
    Ms now_ = 0;
    bool ended_ = false;
};

} // namespace forms
