#pragma once

#include "forms/form.h"
#include "forms/runtime_error.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace miravel::desktop {

// Runs the form's virtual clock in real time, waking only when a person can
// see something change: one precise single-shot timer, armed for the first
// moment at which the form's look-ahead finds a change on screen (or the end,
// or a run-time error), brings the form up to the time read from a monotonic
// clock. Every event due by then runs in order at its own virtual moment; the
// ones nobody could see were simply not waited for. While the window cannot
// be seen at all, the driver does not wake: the form catches up when the
// window shows again, or when the user acts.
//
// Virtual time is monotonic time less an offset. When the process wakes far
// later than it was armed for (it was suspended, or the machine stalled), the
// lateness goes into the offset instead of being caught up in a burst: what
// was due by the armed moment runs once and every timer carries on in its
// rhythm from there.
class Driver : public QObject {
    Q_OBJECT
public:
    // Milliseconds from some fixed start, never going back.
    using Clock = std::function<double()>;
    using ErrorHandler = std::function<void(const forms::RuntimeError&)>;

    // Later than this past the armed moment counts as a stall, not as ordinary jitter.
    static constexpr double StallMs = 100;
    // How far ahead the look-ahead runs, and the longest sleep while the
    // window shows but nothing on it changes: one wake-up a minute.
    static constexpr forms::Ms Horizon = 60'000;

    Driver(forms::Form& form, Clock clock, QObject* parent = nullptr);

    void setErrorHandler(ErrorHandler handler) { onError_ = std::move(handler); }

    // Virtual time starts at the form's present.
    void start();
    // Runs what is due and brings virtual time up to now. Before a user's
    // action, so that a timer it enables counts its Interval from the action,
    // not from the last event. A run-time error is left to the caller.
    void catchUp();
    // After anything that may have changed what is due or what is seen.
    void rearm();
    // The timer's expiry: runs what is due, then re-arms.
    void tick();
    // Whether any of the window can be seen. Shown again, the form catches
    // up to now at once, and what changed is reported for repainting.
    void setShown(bool shown);

    double virtualNow() const { return clock_() - offset_; }
    double offset() const { return offset_; }
    // The monotonic time of the form's present virtual moment: when a timer's
    // handler is due, not when a batch happens to run it.
    double monotonicOfNow() const { return offset_ + static_cast<double>(form_.scheduler().now()); }
    // Whether the timer is armed, the wait it was armed with in ms, and the
    // virtual moment it wakes for.
    bool armed() const { return timer_.isActive(); }
    int armedDelay() const { return armedDelay_; }
    std::optional<forms::Ms> wakeMoment() const { return wake_; }

signals:
    // A stall moved virtual time's zero on to this monotonic time.
    void offsetShifted(double offset);
    // The driver stopped its timer and wakes for nothing (resting), or armed
    // it again: what a trace needs to show that a covered window costs nothing.
    void restingChanged(bool resting);

private:
    forms::Form& form_;
    Clock clock_;
    ErrorHandler onError_;
    QTimer timer_;
    double offset_ = 0;
    int armedDelay_ = -1;
    std::optional<forms::Ms> wake_;
    bool shown_ = true;
};

// A Clock reading Qt's monotonic timer, started when made.
Driver::Clock monotonicClock();

} // namespace miravel::desktop
