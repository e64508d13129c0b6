#pragma once

#include "desktop/driver.h"
#include "forms/time_of_day.h"

#include <QObject>
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

// The system's wall clock and time zone, and the system's word that either
// changed, told at once and without a wake-up in between: a resume from
// suspend included. Where that word comes from is the platform's
// (wall_clock_linux.cpp, wall_clock_win.cpp).
//
// zoneFile is where Linux keeps the zone, the file the C library reads when
// TZ is unset, as a test replaces it; Windows keeps its zone in the system's
// settings, which tell of a new one on their own, and reads no file.
class SystemWallClock final : public WallClock {
public:
    explicit SystemWallClock(Driver::Clock monotonic, QObject* parent = nullptr,
                             const QString& zoneFile = QStringLiteral("/etc/localtime"));
    ~SystemWallClock() override;

    forms::TimeOfDay at(double monotonicMs) const override;
    void retie() override;

private:
    class Notices;

    Driver::Clock monotonic_;
    double wallMinusMonotonic_ = 0; // ms
    std::unique_ptr<Notices> notices_;
    // The clock asks ten times a second; the local time changes once.
    mutable std::int64_t lastSecond_ = -1;
    mutable forms::TimeOfDay lastTime_;
};

} // namespace miravel::desktop
