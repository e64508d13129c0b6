#include "desktop/wall_clock.h"

#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
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

SystemWallClock::SystemWallClock(Driver::Clock monotonic, QObject* parent, const QString& zoneFile)
    : WallClock(parent), monotonic_(std::move(monotonic)) {
    retie();
    watchZone(zoneFile);
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
    zoneNotifier_.reset();
    if (zoneChanges_ >= 0) close(zoneChanges_);
}

void SystemWallClock::watchZone(const QString& zoneFile) {
    zoneChanges_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (zoneChanges_ < 0) return; // no notice: the zone stays as it was at start
    const QFileInfo file(zoneFile);
    zoneName_ = QFile::encodeName(file.fileName());
    // Replaced by a rename or a new link, or written in place.
    if (inotify_add_watch(zoneChanges_, QFile::encodeName(file.path()).constData(),
                          IN_CREATE | IN_MOVED_TO | IN_CLOSE_WRITE | IN_DELETE) < 0) {
        return;
    }
    zoneNotifier_ = std::make_unique<QSocketNotifier>(zoneChanges_, QSocketNotifier::Read);
    connect(zoneNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        bool zoneChanged = false;
        alignas(inotify_event) char events[4096];
        for (ssize_t got; (got = read(zoneChanges_, events, sizeof events)) > 0;) {
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                if (event->len > 0 && zoneName_ == event->name) zoneChanged = true;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        if (!zoneChanged) return; // another file of the directory
        // The C library reads the zone again only when asked to.
        tzset();
        emit changed();
    });
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
