#include "desktop/driver.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace miravel::desktop {
namespace {

// The driver on a clock the test moves by hand: no sleeping, no real time.
class DriverTest : public ::testing::Test {
protected:
    DriverTest() : driver(form.scheduler(), [this] { return now; }) {
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

    Form1 form;
    double now = 0;
    Driver driver;
    std::vector<Event> events;
};

TEST_F(DriverTest, ArmsForTheNextDueEventOnly) {
    EXPECT_TRUE(driver.armed());
    EXPECT_EQ(driver.armedDelay(), 100);
    wakeAt(5100);
    EXPECT_EQ(events, (std::vector<Event>{{"JIKOKU1", 100}}));
    EXPECT_EQ(driver.armedDelay(), 100);
    wakeAt(5130); // jitter: the next wait is shortened, not the rhythm shifted
    EXPECT_EQ(driver.armedDelay(), 70);
}

TEST_F(DriverTest, ModestLatenessIsNoStall) {
    form.SelectBg.choose(2); // eternity: the face's timers every 50 ms
    driver.rearm();
    wakeAt(5095); // 45 ms late for the first of them: everything due by now runs
    EXPECT_EQ(events, (std::vector<Event>{{"FACE2", 50}, {"FACE1", 50}}));
    EXPECT_DOUBLE_EQ(driver.offset(), 5000);
    EXPECT_EQ(driver.armedDelay(), 5);
}

TEST_F(DriverTest, AStallRunsEachLateTimerOnceThenKeepsItsRhythm) {
    form.SelectBg.choose(1); // the deep sea: turtle 150 ms, lure 300 ms, kelp 1000 ms
    driver.rearm();
    wakeAt(5100);
    ASSERT_EQ(events.size(), 1u);
    events.clear();

    // Suspended for a minute: the one event that was due runs, not four hundred
    // turtle steps; virtual time resumes at its due time.
    wakeAt(65100);
    EXPECT_EQ(events, (std::vector<Event>{{"KAME", 150}}));
    EXPECT_DOUBLE_EQ(driver.offset(), 5000 + 59950);
    // The clock's tick, due 50 ms after it before the stall, is still 50 ms after it.
    EXPECT_EQ(driver.armedDelay(), 50);
    events.clear();
    for (double t = 65100; t <= 66100; t += 10) wakeAt(t);
    // One virtual second after the stall: ten clock ticks, as many as before it.
    int clockTicks = 0;
    for (const Event& e : events) clockTicks += e.timer == "JIKOKU1" ? 1 : 0;
    EXPECT_EQ(clockTicks, 10);
}

TEST_F(DriverTest, NothingIsArmedOnceTheFormEnds) {
    form.Command3.click();
    driver.rearm();
    EXPECT_EQ(driver.armedDelay(), 10);
    bool ended = false;
    form.setEndObserver([&] { ended = true; });
    wakeAt(5010);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(driver.armed());
}

TEST_F(DriverTest, ARunTimeErrorStopsTheClockAndIsHandedOn) {
    std::vector<int> errors;
    driver.setErrorHandler([&](const forms::RuntimeError& error) { errors.push_back(error.number()); });
    form.JIKOKU1.onTimer = [] { throw forms::RuntimeError::overflow(); };
    wakeAt(5100);
    EXPECT_EQ(errors, std::vector<int>{6});
    EXPECT_FALSE(driver.armed());
    EXPECT_TRUE(form.ended());
}

} // namespace
} // namespace miravel::desktop
