#include "forms/scheduler.h"

#include "forms/controls.h"

namespace forms {

Timer* Scheduler::earliestDue() const {
    Timer* earliest = nullptr;
    for (Timer* timer : timers_) {
        if (timer->running() && (!earliest || timer->due() < earliest->due())) earliest = timer;
    }
    return earliest;
}

std::optional<Ms> Scheduler::nextDue() const {
    if (ended_) return std::nullopt;
    if (const Timer* timer = earliestDue()) return timer->due();
    return std::nullopt;
}

void Scheduler::advanceTo(Ms t) {
    while (!ended_) {
        Timer* timer = earliestDue();
        if (!timer || timer->due() > t) break;
        now_ = timer->due();
        timer->fire();
    }
    if (!ended_ && t > now_) now_ = t;
}

} // namespace forms
