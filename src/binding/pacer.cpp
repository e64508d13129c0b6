#include "binding/pacer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace miravel::binding {

Pacer::Pacer(forms::Form& form, Clock clock, Alarm& alarm, PacerEvents events)
    : form_(form), clock_(std::move(clock)), alarm_(alarm), events_(std::move(events)) {}

void Pacer::start() {
    offset_ = clock_() - static_cast<double>(form_.scheduler().now());
    rearm();
}

void Pacer::rearm() {
    // Nothing due, or nothing of the window to be seen: no need to wake. The
    // form catches up when the window shows again or the person acts.
    const bool wasResting = !wake_;
    if (!form_.scheduler().nextDue() || !shown_) {
        alarm_.stop();
        armedDelay_ = -1;
        wake_.reset();
        if (!wasResting && events_.restingChanged) events_.restingChanged(true);
        return;
    }
    const forms::Ms horizon = form_.scheduler().now() + Horizon;
    wake_ = form_.nextVisibleChange(horizon).value_or(horizon);
    const double wait = static_cast<double>(*wake_) + offset_ - clock_();
    const double limit = std::numeric_limits<int>::max();
    armedDelay_ = wait <= 0 ? 0 : static_cast<int>(std::min(std::ceil(wait), limit));
    alarm_.arm(armedDelay_);
    if (wasResting && events_.restingChanged) events_.restingChanged(false);
}

void Pacer::catchUp() {
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
    if (events_.offsetShifted) events_.offsetShifted(offset_);
}

void Pacer::tick() {
    try {
        catchUp();
    } catch (const forms::RuntimeError& error) {
        alarm_.stop();
        wake_.reset();
        if (events_.failed) events_.failed(error);
        return;
    }
    rearm();
}

void Pacer::setShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    // Shown again: the form catches up to now exactly, then sleeps until the
    // next change. Hidden: it catches up and then does not wake.
    tick();
}

} // namespace miravel::binding
