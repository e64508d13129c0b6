#include "desktop/driver.h"

#include <QElapsedTimer>

#include <memory>

namespace miravel::desktop {

Driver::Driver(forms::Form& form, Clock clock, QObject* parent)
    : QObject(parent), pacer_(form, std::move(clock), *this,
                              {.offsetShifted = [this](double offset) { emit offsetShifted(offset); },
                               .restingChanged = [this](bool resting) { emit restingChanged(resting); }}) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &Driver::tick);
}

Driver::Clock monotonicClock() {
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    return [elapsed] { return static_cast<double>(elapsed->nsecsElapsed()) / 1e6; };
}

} // namespace miravel::desktop
