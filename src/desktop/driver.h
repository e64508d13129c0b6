#pragma once

#include "binding/pacer.h"
#include "forms/form.h"
#include "forms/runtime_error.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace miravel::desktop {

// The pacer (binding/pacer.h) on Qt's event loop: its alarm is one precise
// single-shot QTimer, and what it tells of comes out as signals and the
// error handler.
class Driver : public QObject, private binding::Alarm {
    Q_OBJECT
public:
    using Clock = binding::Pacer::Clock;
    using ErrorHandler = std::function<void(const forms::RuntimeError&)>;

    Driver(forms::Form& form, Clock clock, QObject* parent = nullptr);

    void setErrorHandler(ErrorHandler handler) { pacer_.events().failed = std::move(handler); }

    // As binding::Pacer's of the same names.
    void start() { pacer_.start(); }
    void catchUp() { pacer_.catchUp(); }
    void rearm() { pacer_.rearm(); }
    void tick() { pacer_.tick(); }
    void setShown(bool shown) { pacer_.setShown(shown); }
    double virtualNow() const { return pacer_.virtualNow(); }
    double offset() const { return pacer_.offset(); }
    double monotonicOfNow() const { return pacer_.monotonicOfNow(); }
    int armedDelay() const { return pacer_.armedDelay(); }
    std::optional<forms::Ms> wakeMoment() const { return pacer_.wakeMoment(); }
    // Whether the timer is armed and has not yet expired.
    bool armed() const { return timer_.isActive(); }

signals:
    // A stall moved virtual time's zero on to this monotonic time.
    void offsetShifted(double offset);
    // The driver stopped its timer and wakes for nothing (resting), or armed
    // it again: what a trace needs to show that a covered window costs nothing.
    void restingChanged(bool resting);

private:
    void arm(int ms) override { timer_.start(ms); }
    void stop() override { timer_.stop(); }

    QTimer timer_;
    binding::Pacer pacer_;
};

// A Clock reading Qt's monotonic timer, started when made.
Driver::Clock monotonicClock();

} // namespace miravel::desktop
