#include "desktop/driver.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace miravel::desktop {
namespace {

// The driver on a clock the test moves by hand: no sleeping, no real time.
// The time of day runs with the virtual clock, from 9:41:07.250 at its 0.
class DriverTest : public ::testing::Test {
protected:
    DriverTest() : driver(form, [this] { return now; }) {
        form.timeOfDay = [this] {
            const forms::Ms ms = (9 * 3600 + 41 * 60 + 7) * 1000 + 250 + form.scheduler().now();
            return forms::TimeOfDay{int(ms / 3'600'000), int(ms / 60'000 % 60), int(ms / 1000 % 60)};
        };
        form.setEventObserver([this](std::string_view control, std::string_view event) {
            if (event == "Timer") events.push_back({std::string(control), form.scheduler().now()});
        });
        form.load(); // the clock's timer, every 100 ms
        now = 5000;  // whatever the monotonic clock read at start
        driver.start();
    }

    struct Event {
        std::string timer;
        forms::Ms at;
        friend bool operator==(const Event&, const Event&) = default;
    };

    // The clock reaches t and the timer, armed or not, expires.
    void wakeAt(double t) {
        now = t;
        driver.tick();
    }
    // The clock reaches the moment the driver is armed for, and it wakes.
    void wakeWhenArmed() { wakeAt(now + driver.armedDelay()); }
    // A user's action at t, as the session runs it.
    void actAt(double t, const std::function<void()>& action) {
        now = t;
        driver.catchUp();
        action();
        driver.rearm();
    }

    Form1 form;
    double now = 0;
    Driver driver;
    std::vector<Event> events;
};

// Wakes exactly at each moment something shows: not for the hidden clock's
// ticks, and with the clock shown once a second, at the tick that turns it.
TEST_F(DriverTest, ArmsForTheFirstVisibleChangeAndNotBefore) {
    EXPECT_EQ(driver.wakeMoment(), Driver::Horizon); // an empty window: nothing to see
    actAt(5020, [&] { form.JIKOKU.click(); });
    EXPECT_EQ(driver.wakeMoment(), 100); // the clock's first text
    wakeWhenArmed();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(driver.wakeMoment(), 800); // 9:41:08 begins at virtual 750
    wakeWhenArmed();
    EXPECT_EQ(events.size(), 8u); // the seven hidden-change ticks ran on the way, in order
    EXPECT_EQ(events.back(), (Event{"JIKOKU1", 800}));
    EXPECT_EQ(driver.wakeMoment(), 1800);
    wakeAt(5000 + 1800 + 3); // a little late is jitter, not a stall
    EXPECT_DOUBLE_EQ(driver.offset(), 5000);
    EXPECT_EQ(driver.armedDelay(), 997);
}

TEST_F(DriverTest, AStallRunsWhatWasDueOnceThenKeepsTheRhythm) {
    actAt(5000, [&] { form.SelectBg.choose(1); }); // the deep sea: the lure's first glow at 300
    EXPECT_EQ(driver.wakeMoment(), 300);
    // Suspended for a minute: what was due by 300 runs once, not four hundred
    // turtle steps; virtual time resumes there.
    wakeAt(65300);
    EXPECT_EQ(events,
              (std::vector<Event>{
                  {"JIKOKU1", 100}, {"KAME", 150}, {"JIKOKU1", 200}, {"JIKOKU1", 300}, {"KAME", 300}, {"ANCOU", 300}}));
    EXPECT_DOUBLE_EQ(driver.offset(), 5000 + 60000);
    EXPECT_EQ(driver.wakeMoment(), 450); // the turtle's third step brings it into view, as before the stall
    EXPECT_EQ(driver.armedDelay(), 150);
}

// Minimized or covered: no wake-up at all, whatever runs; shown again, the
// form is exactly where event-by-event running would have it.
TEST_F(DriverTest, NothingWakesWhileNotShownAndShowingCatchesUpExactly) {
    actAt(5000, [&] { form.SelectBg.choose(2); }); // the face, every 50 ms
    driver.setShown(false);
    EXPECT_FALSE(driver.armed());
    EXPECT_TRUE(events.empty());

    now = 5000 + 12'345;
    driver.setShown(true);
    Form1 stepped;
    stepped.timeOfDay = form.timeOfDay;
    stepped.load();
    stepped.SelectBg.choose(2);
    stepped.scheduler().advanceTo(12'345);
    EXPECT_TRUE(form.snapshot() == stepped.snapshot());
    EXPECT_EQ(driver.wakeMoment(), form.nextVisibleChange(12'345 + Driver::Horizon));
}

TEST_F(DriverTest, WakesForTheEndAndThenArmsNothing) {
    actAt(5000, [&] { form.Command3.click(); });
    EXPECT_EQ(driver.armedDelay(), 10);
    bool ended = false;
    form.setEndObserver([&] { ended = true; });
    wakeWhenArmed();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(driver.armed());
}

TEST_F(DriverTest, ARunTimeErrorStopsTheClockAndIsHandedOn) {
    std::vector<int> errors;
    driver.setErrorHandler([&](const forms::RuntimeError& error) { errors.push_back(error.number()); });
    form.JIKOKU1.onTimer = [] { throw forms::RuntimeError::overflow(); };
    driver.rearm();
    EXPECT_EQ(driver.wakeMoment(), 100); // an error shows, even from a hidden clock
    wakeWhenArmed();
    EXPECT_EQ(errors, std::vector<int>{6});
    EXPECT_FALSE(driver.armed());
    EXPECT_TRUE(form.ended());
}

} // namespace
} // namespace miravel::desktop
