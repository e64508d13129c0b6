#include "desktop/wall_clock.h"

#include <gtest/gtest.h>

#include <QAbstractEventDispatcher>
#include <QObject>

#include <windows.h>

#include <cstdlib>
#include <ctime>

namespace miravel::desktop {
namespace {

// What Windows sends every top-level window, handed to the native event
// filters as Qt's window procedure hands it.
bool deliver(UINT message, WPARAM wParam = 0) {
    MSG msg{};
    msg.message = message;
    msg.wParam = wParam;
    qintptr result = 0;
    return QAbstractEventDispatcher::instance()->filterNativeEvent("windows_generic_MSG", &msg, &result);
}

TEST(WindowsWallClock, TellsOfASetClockANewZoneAndAResumeOnly) {
    SystemWallClock wall(monotonicClock());
    int changes = 0;
    QObject::connect(&wall, &WallClock::changed, [&] { ++changes; });
    const struct {
        const char* what;
        UINT message;
        WPARAM wParam;
        bool told;
    } notices[] = {
        {"the clock set or a new zone", WM_TIMECHANGE, 0, true},
        {"resumed from sleep", WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, true},
        {"going to sleep", WM_POWERBROADCAST, PBT_APMSUSPEND, false},
        {"the power source changed", WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE, false},
        {"another message", WM_SETTINGCHANGE, 0, false},
    };
    for (const auto& notice : notices) {
        changes = 0;
        EXPECT_FALSE(deliver(notice.message, notice.wParam)) << notice.what << ": Qt must see it too";
        EXPECT_EQ(changes, notice.told ? 1 : 0) << notice.what;
    }
}

// The C library reads the zone once and keeps it: the notice must make it
// read the zone again before the clock's next reading.
TEST(WindowsWallClock, ReadsTheNewZoneAtTheNotice) {
    ASSERT_EQ(_putenv("TZ=UTC0"), 0);
    _tzset();
    const Driver::Clock clock = monotonicClock();
    SystemWallClock wall(clock);
    const double at = clock();
    const forms::TimeOfDay before = wall.at(at);

    ASSERT_EQ(_putenv("TZ=JST-9"), 0);
    deliver(WM_TIMECHANGE);
    wall.retie();
    const forms::TimeOfDay after = wall.at(at);
    EXPECT_EQ(after.hour, (before.hour + 9) % 24);
    EXPECT_EQ(after.minute, before.minute);
    _putenv("TZ=");
    _tzset();
}

} // namespace
} // namespace miravel::desktop
