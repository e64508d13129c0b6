#include "desktop/driver.h"
#include "desktop/session.h"
#include "scene/form1.h"
#include "scene_images.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>

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
    bool shifted = false;
    QObject::connect(&driver, &Driver::offsetShifted, [&] { shifted = true; });
    wakeAt(5000 + 1800 + 3); // a little late is jitter, not a stall
    EXPECT_DOUBLE_EQ(driver.offset(), 5000);
    EXPECT_FALSE(shifted);
    EXPECT_EQ(driver.armedDelay(), 997);
}

TEST_F(DriverTest, AStallRunsWhatWasDueOnceThenKeepsTheRhythm) {
    actAt(5000, [&] { form.SelectBg.choose(1); }); // the deep sea: the lure's first glow at 300
    EXPECT_EQ(driver.wakeMoment(), 300);
    // Told after what was due ran, and those runs on the clock they were due
    // by, so that a trace stamps them before the shift.
    std::vector<std::pair<double, std::size_t>> shifts;
    std::vector<double> stamps;
    QObject::connect(&driver, &Driver::offsetShifted, [&](double offset) { shifts.emplace_back(offset, events.size()); });
    form.setEventObserver([&](std::string_view control, std::string_view) {
        events.push_back({std::string(control), form.scheduler().now()});
        stamps.push_back(driver.monotonicOfNow());
    });
    // Suspended for a minute: what was due by 300 runs once, not four hundred
    // turtle steps; virtual time resumes there.
    wakeAt(65300);
    EXPECT_EQ(shifts, (std::vector<std::pair<double, std::size_t>>{{5000 + 60000, 6}}));
    EXPECT_EQ(events,
              (std::vector<Event>{
                  {"JIKOKU1", 100}, {"KAME", 150}, {"JIKOKU1", 200}, {"JIKOKU1", 300}, {"KAME", 300}, {"ANCOU", 300}}));
    EXPECT_EQ(stamps, (std::vector<double>{5100, 5150, 5200, 5300, 5300, 5300}));
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

// The time of day from 9:41:07.250 at the monotonic clock's 0, never set.
class SteadyWallClock : public WallClock {
public:
    forms::TimeOfDay at(double monotonicMs) const override {
        const auto ms = static_cast<long long>(monotonicMs) + (9 * 3600 + 41 * 60 + 7) * 1000 + 250;
        return {int(ms / 3'600'000), int(ms / 60'000 % 60), int(ms / 1000 % 60)};
    }
    void retie() override {}
};

// The whole session, its window covered and uncovered as the X server would
// tell it, beside the same form run straight through on the virtual clock.
class CoveredWindowTest : public ::testing::Test {
protected:
    static constexpr double Start = 1'000; // the monotonic clock at the start: virtual 0

    CoveredWindowTest()
        : session(
              form, nullptr, [this] { return monotonic; }, &wall) {
        straight.timeOfDay = [this] { return wall.at(Start + static_cast<double>(straight.scheduler().now())); };
        straight.timeText = form.timeText; // the locale's, as the session set it
        form.setEventObserver([this](std::string_view, std::string_view event) { timerRuns += event == "Timer"; });
        EXPECT_TRUE(session.start());
        straight.load();
        armedAt = monotonic;
    }

    // Wakes the driver whenever its timer, armed at armedAt, would expire, up to t.
    void runUntil(double t) {
        Driver& driver = session.driver();
        while (driver.armed() && armedAt + driver.armedDelay() <= t) {
            monotonic = armedAt + driver.armedDelay();
            driver.tick();
            armedAt = monotonic;
        }
        monotonic = t;
    }
    // Something changes at t, as the window system or the user makes it; the
    // driver re-arms from then.
    void at(double t, const std::function<void()>& change) {
        runUntil(t);
        change();
        armedAt = monotonic;
    }
    // The straight run's form, brought up to the session's present.
    Form1& straightNow() {
        straight.scheduler().advanceTo(form.scheduler().now());
        return straight;
    }
    // Minimized or restored: Qt's expose, delivered.
    void setExposed(bool exposed) {
        session.window().setVisible(exposed);
        QCoreApplication::processEvents();
    }
    // What the panel's backing image shows once it has painted what was marked.
    static QImage painted(ScenePanel& panel) { return panel.updateBacking(1.0).copy(); }

    double monotonic = Start;
    double armedAt = 0;
    SteadyWallClock wall;
    Form1 form;
    Form1 straight;
    Session session;
    int timerRuns = 0;
};

// Covered whole, nothing runs and nothing is armed, whatever else happens to
// the window; any part uncovered, the form is where a run straight through
// has it, and the panel shows that moment, not the one it was covered at.
TEST_F(CoveredWindowTest, RestsWhileCoveredWholeAndUncoveredShowsThePresent) {
    at(2'000, [&] {
        session.perform([&] {
            form.JIKOKU.click();
            form.SelectBg.choose(1); // the deep sea: kelp, turtle and lure move
        });
        straightNow().JIKOKU.click();
        straight.SelectBg.choose(1);
    });
    // The form's present after each change, in virtual ms: it catches up
    // whenever the window is seen or stops being seen, and sleeps between.
    struct Step {
        double at;
        const char* what;
        std::function<void()> change;
        forms::Ms present;
        bool seen;
    };
    const std::vector<Step> timeline{
        {3'000, "covered whole", [&] { session.setCovered(true); }, 2'000, false},
        {6'543, "partly uncovered", [&] { session.setCovered(false); }, 5'543, true},
        {9'000, "covered again", [&] { session.setCovered(true); }, 8'000, false},
        {10'000, "minimized while covered", [&] { setExposed(false); }, 8'000, false},
        {14'000, "restored, still covered", [&] { setExposed(true); }, 8'000, false},
        {21'321, "uncovered", [&] { session.setCovered(false); }, 20'321, true},
        {24'000, "minimized", [&] { setExposed(false); }, 23'000, false},
        {27'000, "restored", [&] { setExposed(true); }, 26'000, true},
    };
    ScenePanel& panel = session.window().panel();
    for (const Step& step : timeline) {
        SCOPED_TRACE(step.what);
        at(step.at, [&] {
            painted(panel); // what was on screen up to now, as Qt would have painted it
            step.change();
        });
        EXPECT_EQ(form.scheduler().now(), step.present);
        EXPECT_TRUE(form.snapshot() == straightNow().snapshot());
        EXPECT_EQ(session.driver().armed(), step.seen);
        if (step.seen) {
            ScenePanel fresh(straight);
            EXPECT_EQ(testing::differences(painted(panel), painted(fresh)).size(), 0) << "the panel shows an older moment";
            EXPECT_EQ(session.driver().wakeMoment(), form.nextVisibleChange(step.present + Driver::Horizon));
        } else {
            const int runs = timerRuns;
            runUntil(step.at + 900);
            EXPECT_EQ(timerRuns, runs) << "a timer ran unseen";
            EXPECT_EQ(form.scheduler().now(), step.present);
        }
    }
    runUntil(33'000);
    EXPECT_TRUE(form.snapshot() == straightNow().snapshot());
    ScenePanel fresh(straight);
    EXPECT_EQ(testing::differences(painted(panel), painted(fresh)).size(), 0);
}

} // namespace
} // namespace miravel::desktop
