#include "desktop/wall_clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace miravel::desktop {

namespace {

double wallNowMs() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) / 1e3;
}

} // namespace

void SystemWallClock::retie() {
    wallMinusMonotonic_ = wallNowMs() - monotonic_();
    lastSecond_ = -1;
}

forms::TimeOfDay SystemWallClock::at(double monotonicMs) const {
    const auto second = static_cast<std::int64_t>(std::floor((monotonicMs + wallMinusMonotonic_) / 1000));
    if (second != lastSecond_) {
        const std::time_t seconds = second;
        std::tm local{};
        localtime_r(&seconds, &local);
        lastTime_ = {local.tm_hour, local.tm_min, local.tm_sec};
        lastSecond_ = second;
    }
    return lastTime_;
}

} // namespace miravel::desktop
