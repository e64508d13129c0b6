#pragma once

#include "forms/runtime_error.h"
#include "forms/scheduler.h"

#include <QObject>
#include <QTimer>

#include <functional>

namespace miravel::desktop {

// Runs the form's virtual clock in real time: one precise single-shot timer,
// armed for the next due event, advances the scheduler to the time read from
// a monotonic clock. No polling and no frame rate: nothing runs while no
// timer is due.
//
// Virtual time is monotonic time less an offset. When the process wakes far
// later than an event was due (it was suspended, or the machine stalled), the
// lateness goes into the offset instead of being caught up in a burst: the
// late event runs once and every timer carries on in its rhythm from there.
class Driver : public QObject {
    Q_OBJECT
public:
    // Milliseconds from some fixed start, never going back.
    using Clock = std::function<double()>;
    using ErrorHandler = std::function<void(const forms::RuntimeError&)>;

    // Later than this past a due time counts as a stall, not as ordinary jitter.
    static constexpr double StallMs = 100;

    Driver(forms::Scheduler& scheduler, Clock clock, QObject* parent = nullptr);

    void setErrorHandler(ErrorHandler handler) { onError_ = std::move(handler); }

    // Virtual time starts at the scheduler's present.
    void start();
    // Runs what is due and brings virtual time up to now. Before a user's
    // action, so that a timer it enables counts its Interval from the action,
    // not from the last event. A run-time error is left to the caller.
    void catchUp();
    // After anything that may have enabled or disabled a timer.
    void rearm();
    // The timer's expiry: runs what is due, then re-arms.
    void tick();

    double virtualNow() const { return clock_() - offset_; }
    double offset() const { return offset_; }
    // Whether the timer is armed, and the wait it was armed with, in ms.
    bool armed() const { return timer_.isActive(); }
    int armedDelay() const { return armedDelay_; }

private:
    forms::Scheduler& scheduler_;
    Clock clock_;
    ErrorHandler onError_;
    QTimer timer_;
    double offset_ = 0;
    int armedDelay_ = -1;
};

// A Clock reading Qt's monotonic timer, started when made.
Driver::Clock monotonicClock();

} // namespace miravel::desktop
