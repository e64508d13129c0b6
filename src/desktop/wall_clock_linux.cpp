#include "desktop/wall_clock.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <ctime>
#include <limits>

namespace miravel::desktop {

// A timer file cancelled when the wall clock is set (TFD_TIMER_CANCEL_ON_SET)
// tells of a step or a resume. Changing the zone replaces its file, which a
// watch on the file's directory sees.
class SystemWallClock::Notices {
public:
    Notices(SystemWallClock& clock, const QString& zoneFile);
    ~Notices();
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

private:
    void watchSteps();
    void armStepTimer();
    void watchZone(const QString& zoneFile);

    SystemWallClock& clock_;
    int steps_ = -1; // the timer file
    std::unique_ptr<QSocketNotifier> stepNotifier_;
    int zoneChanges_ = -1; // the watch on the zone file's directory
    QByteArray zoneName_;
    std::unique_ptr<QSocketNotifier> zoneNotifier_;
};

SystemWallClock::SystemWallClock(Driver::Clock monotonic, QObject* parent, const QString& zoneFile)
    : WallClock(parent), monotonic_(std::move(monotonic)) {
    retie();
    notices_ = std::make_unique<Notices>(*this, zoneFile);
}

SystemWallClock::~SystemWallClock() = default;

SystemWallClock::Notices::Notices(SystemWallClock& clock, const QString& zoneFile) : clock_(clock) {
    watchZone(zoneFile);
    watchSteps();
}

SystemWallClock::Notices::~Notices() {
    stepNotifier_.reset();
    if (steps_ >= 0) close(steps_);
    zoneNotifier_.reset();
    if (zoneChanges_ >= 0) close(zoneChanges_);
}

void SystemWallClock::Notices::watchSteps() {
    steps_ = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (steps_ < 0) return; // no notice of changes: the time stays right until the clock is set
    stepNotifier_ = std::make_unique<QSocketNotifier>(steps_, QSocketNotifier::Read);
    QObject::connect(stepNotifier_.get(), &QSocketNotifier::activated, &clock_, [this] {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const ssize_t got = read(steps_, &expirations, sizeof expirations); // ECANCELED
        armStepTimer();
        emit clock_.changed();
    });
    armStepTimer();
}

// A timer far in the future that expires, cancelled, only when the wall clock is set.
void SystemWallClock::Notices::armStepTimer() {
    itimerspec far{};
    far.it_value.tv_sec = std::numeric_limits<std::time_t>::max() / 2;
    timerfd_settime(steps_, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &far, nullptr);
}

void SystemWallClock::Notices::watchZone(const QString& zoneFile) {
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
    QObject::connect(zoneNotifier_.get(), &QSocketNotifier::activated, &clock_, [this] {
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
        emit clock_.changed();
    });
}

} // namespace miravel::desktop
