#pragma once

#include "desktop/driver.h"
#include "forms/time_of_day.h"

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

#include <cstdint>
#include <memory>

namespace miravel::desktop {

// The wall clock as the program reads it: the local time of day at a moment
// of the monotonic clock, so that a timer's handler run late, or ahead in a
// look-ahead, reads the time of its own moment. One reading of both clocks
// ties them; retie() reads them again once changed() says the tie broke.
class WallClock : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual forms::TimeOfDay at(double monotonicMs) const = 0;
    virtual void retie() = 0;

signals:
    // The wall clock was set, the machine resumed from a suspend, or the
    // time zone changed.
    void changed();
};

// The system's wall clock and time zone. A timer file cancelled when the
// wall clock is set (TFD_TIMER_CANCEL_ON_SET) tells of a change at once, a
// resume from suspend included, without a wake-up in between. The zone is
// the file the C library reads when TZ is unset; changing the zone replaces
// that file, which a watch on its directory sees.
class SystemWallClock final : public WallClock {
public:
    explicit SystemWallClock(Driver::Clock monotonic, QObject* parent = nullptr,
                             const QString& zoneFile = QStringLiteral("/etc/localtime"));
    ~SystemWallClock() override;

    forms::TimeOfDay at(double monotonicMs) const override;
    void retie() override;

private:
    void watch();
    void watchZone(const QString& zoneFile);

    Driver::Clock monotonic_;
    double wallMinusMonotonic_ = 0; // ms
    int changes_ = -1;              // the timer file
    std::unique_ptr<QSocketNotifier> notifier_;
    int zoneChanges_ = -1; // the watch on the zone file's directory
    QByteArray zoneName_;
    std::unique_ptr<QSocketNotifier> zoneNotifier_;
    // The clock asks ten times a second; the local time changes once.
    mutable std::int64_t lastSecond_ = -1;
    mutable forms::TimeOfDay lastTime_;
};

} // namespace miravel::desktop
