#pragma once

#include "forms/form.h"
#include "forms/runtime_error.h"

#include <functional>
#include <optional>

namespace miravel::binding {

// The one timer a binding gives the pacer: armed for a wait in whole
// milliseconds, it expires once and then calls Pacer::tick(). Arming again
// replaces the wait; stopping keeps it from expiring at all.
class Alarm {
public:
    virtual ~Alarm() = default;
    virtual void arm(int ms) = 0;
    virtual void stop() = 0;
};

// What the pacer tells its binding of; any may be left empty.
struct PacerEvents {
    // A stall moved virtual time's zero on to this monotonic time.
    std::function<void(double offset)> offsetShifted;
    // The alarm was stopped and nothing will wake (resting), or it was armed
    // again: what a trace needs to show that a hidden window costs nothing.
    std::function<void(bool resting)> restingChanged;
    // A handler raised a run-time error while the clock ran: the alarm is
    // stopped and the form has ended.
    std::function<void(const forms::RuntimeError& error)> failed;
};

// Runs the form's virtual clock in real time, waking only when a person can
// see something change: the one alarm is armed for the first moment at which
// the form's look-ahead finds a change on screen (or the end, or a run-time
// error), and brings the form up to the time read from a monotonic clock.
// Every event due by then runs in order at its own virtual moment; the ones
// nobody could see were simply not waited for. While nothing of the window
// can be seen, the alarm is not armed at all: the form catches up when the
// window shows again, or when the person acts.
//
// Virtual time is monotonic time less an offset. When the process wakes far
// later than it was armed for (it was suspended, or the machine stalled), the
// lateness goes into the offset instead of being caught up in a burst: what
// was due by the armed moment runs once and every timer carries on in its
// rhythm from there.
class Pacer {
public:
    // Milliseconds from some fixed start, never going back.
    using Clock = std::function<double()>;

    // Later than this past the armed moment counts as a stall, not as ordinary jitter.
    static constexpr double StallMs = 100;
    // How far ahead the look-ahead runs, and the longest sleep while the
    // window shows but nothing on it changes: one wake-up a minute.
    static constexpr forms::Ms Horizon = 60'000;

    // The form and the alarm outlive the pacer.
    Pacer(forms::Form& form, Clock clock, Alarm& alarm, PacerEvents events = {});

    // Virtual time starts at the form's present.
    void start();
    // Runs what is due and brings virtual time up to now. Before a person's
    // action, so that a timer it enables counts its Interval from the action,
    // not from the last event. A run-time error is left to the caller.
    void catchUp();
    // After anything that may have changed what is due or what is seen.
    void rearm();
    // The alarm's expiry: runs what is due, then re-arms.
    void tick();
    // Whether any of the window can be seen. Shown again, the form catches
    // up to now at once, and what changed is reported for repainting.
    void setShown(bool shown);

    double virtualNow() const { return clock_() - offset_; }
    double offset() const { return offset_; }
    // What it tells of, to be set or replaced at any time.
    PacerEvents& events() { return events_; }
    // The monotonic time of the form's present virtual moment: when a timer's
    // handler is due, not when a batch happens to run it.
    double monotonicOfNow() const { return offset_ + static_cast<double>(form_.scheduler().now()); }
    // The wait the alarm was last armed with in ms (-1 while resting), and
    // the virtual moment it wakes for.
    int armedDelay() const { return armedDelay_; }
    std::optional<forms::Ms> wakeMoment() const { return wake_; }

private:
    forms::Form& form_;
    Clock clock_;
    Alarm& alarm_;
    PacerEvents events_;
    double offset_ = 0;
    int armedDelay_ = -1;
    std::optional<forms::Ms> wake_;
    bool shown_ = true;
};

} // namespace miravel::binding
