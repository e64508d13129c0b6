#include "desktop/wall_clock.h"

#include <QAbstractNativeEventFilter>
#include <QByteArray>
#include <QCoreApplication>

#include <windows.h>

#include <ctime>

namespace miravel::desktop {

// Windows tells every top-level window when the clock is set or the zone
// changes (WM_TIMECHANGE) and when the machine resumes from sleep
// (WM_POWERBROADCAST): the program's window hears it through Qt's native
// event filters.
class SystemWallClock::Notices final : public QAbstractNativeEventFilter {
public:
    explicit Notices(SystemWallClock& clock) : clock_(clock) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~Notices() override { QCoreApplication::instance()->removeNativeEventFilter(this); }
    Notices(const Notices&) = delete;
    Notices& operator=(const Notices&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override {
        if (eventType != "windows_generic_MSG") return false;
        const auto* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_TIMECHANGE) {
            // The C library keeps the zone it read first until asked again.
            _tzset();
            emit clock_.changed();
        } else if (msg->message == WM_POWERBROADCAST && msg->wParam == PBT_APMRESUMEAUTOMATIC) {
            emit clock_.changed();
        }
        // Qt and other windows may want it too.
        return false;
    }

private:
    SystemWallClock& clock_;
};

SystemWallClock::SystemWallClock(Driver::Clock monotonic, QObject* parent, const QString&)
    : WallClock(parent), monotonic_(std::move(monotonic)) {
    retie();
    notices_ = std::make_unique<Notices>(*this);
}

SystemWallClock::~SystemWallClock() = default;

} // namespace miravel::desktop
