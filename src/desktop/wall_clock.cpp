#include "desktop/wall_clock.h"

#include <sys/timerfd.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <limits>

namespace miravel::desktop {

namespace {

double wallNowMs() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<double>(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) / 1e3;
}

} // namespace

SystemWallClock::SystemWallClock(Driver::Clock monotonic, QObject* parent)
    : WallClock(parent), monotonic_(std::move(monotonic)) {
    retie();
    changes_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (changes_ < 0) return; // no notice of changes: the time stays right until the clock is set
    notifier_ = std::make_unique<QSocketNotifier>(changes_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t got = read(changes_, &expirations, sizeof expirations); // ECANCELED
        watch();
        emit changed();
    });
    watch();
}

SystemWallClock::~SystemWallClock() {
    notifier_.reset();
    if (changes_ >= 0) close(changes_);
}

// A timer far in the future that expires, cancelled, only when the wall clock is set.
void SystemWallClock::watch() {
    itimerspec far{};
    far.it_value.tv_sec = std::numeric_limits<std::time_t>::max() / 2;
    timerfd_settime(changes_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr);
}

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
