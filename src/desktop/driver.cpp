#include "desktop/driver.h"

#include <QElapsedTimer>

#include <cmath>
#include <limits>
#include <memory>

namespace miravel::desktop {

Driver::Driver(forms::Scheduler& scheduler, Clock clock, QObject* parent)
    : QObject(parent), scheduler_(scheduler), clock_(std::move(clock)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Driver::tick);
}

void Driver::start() {
    offset_ = clock_() - static_cast<double>(scheduler_.now());
    rearm();
}

void Driver::rearm() {
    const std::optional<forms::Ms> due = scheduler_.nextDue();
    if (!due) {
        timer_.stop();
        armedDelay_ = -1;
        return;
    }
    const double wait = static_cast<double>(*due) + offset_ - clock_();
    const double limit = std::numeric_limits<int>::max();
    armedDelay_ = wait <= 0 ? 0 : static_cast<int>(std::min(std::ceil(wait), limit));
    timer_.start(armedDelay_);
}

void Driver::catchUp() {
    double now = virtualNow();
    if (const std::optional<forms::Ms> due = scheduler_.nextDue()) {
        const double late = now - static_cast<double>(*due);
        if (late > StallMs) {
            offset_ += late;
            now = static_cast<double>(*due);
        }
    }
    scheduler_.advanceTo(static_cast<forms::Ms>(std::floor(now)));
}

void Driver::tick() {
    try {
        catchUp();
    } catch (const forms::RuntimeError& error) {
        timer_.stop();
        if (onError_) onError_(error);
        return;
    }
    rearm();
}

Driver::Clock monotonicClock() {
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    return [elapsed] { return static_cast<double>(elapsed->nsecsElapsed()) / 1e6; };
}

} // namespace miravel::desktop
