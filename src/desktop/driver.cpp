#include "desktop/driver.h"

#include <QElapsedTimer>

#include <cmath>
#include <limits>
#include <memory>

namespace miravel::desktop {

Driver::Driver(forms::Form& form, Clock clock, QObject* parent)
    : QObject(parent), form_(form), clock_(std::move(clock)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Driver::tick);
}

void Driver::start() {
    offset_ = clock_() - static_cast<double>(form_.scheduler().now());
    rearm();
}

void Driver::rearm() {
    // Nothing due, or nothing of the window to be seen: no need to wake. The
    // form catches up when the window shows again or the user acts.
    const bool wasResting = !wake_;
    if (!form_.scheduler().nextDue() || !shown_) {
        timer_.stop();
        armedDelay_ = -1;
        wake_.reset();
        if (!wasResting) emit restingChanged(true);
        return;
    }
    const forms::Ms horizon = form_.scheduler().now() + Horizon;
    wake_ = form_.nextVisibleChange(horizon).value_or(horizon);
    const double wait = static_cast<double>(*wake_) + offset_ - clock_();
    const double limit = std::numeric_limits<int>::max();
    armedDelay_ = wait <= 0 ? 0 : static_cast<int>(std::min(std::ceil(wait), limit));
    timer_.start(armedDelay_);
    if (wasResting) emit restingChanged(false);
}

void Driver::catchUp() {
    const double now = virtualNow();
    const double late = wake_ ? now - static_cast<double>(*wake_) : 0;
    if (late <= StallMs) {
        form_.scheduler().advanceTo(static_cast<forms::Ms>(std::floor(now)));
        return;
    }
    // What was due by the armed moment runs at its own moment on the clock it
    // was due by, so a trace stamps those runs before the shift it then
    // tells of, and a replay cut anywhere reads each line on the right clock.
    form_.scheduler().advanceTo(*wake_);
    offset_ += late;
    emit offsetShifted(offset_);
}

void Driver::tick() {
    try {
        catchUp();
    } catch (const forms::RuntimeError& error) {
        timer_.stop();
        wake_.reset();
        if (onError_) onError_(error);
        return;
    }
    rearm();
}

void Driver::setShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    // Shown again: the form catches up to now exactly, then sleeps until the
    // next change. Hidden: it catches up and then does not wake.
    tick();
}

Driver::Clock monotonicClock() {
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    return [elapsed] { return static_cast<double>(elapsed->nsecsElapsed()) / 1e6; };
}

} // namespace miravel::desktop
