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

// The driver on a clock the test moves by hand; its QTimer is Qt's own.
class DriverTest : public ::testing::Test {
protected:
    DriverTest() : driver(form, [this] { return now; }) {
        QObject::connect(&driver, &Driver::restingChanged, [this](bool resting) { restings.push_back(resting); });
        QObject::connect(&driver, &Driver::offsetShifted, [this](double offset) { offsets.push_back(offset); });
        form.load(); // the clock's timer, every 100 ms
        now = 5000;  // whatever the monotonic clock read at start
        driver.start();
    }

    Form1 form;
    double now = 0;
    Driver driver;
    std::vector<bool> restings;
    std::vector<double> offsets;
};

// The pacer's alarm is the QTimer: armed with its wait, stopped when it
// rests, and its expiry runs what is due; what the pacer tells comes out as
// signals and to the error handler.
TEST_F(DriverTest, TheTimerIsThePacersAlarm) {
    EXPECT_TRUE(driver.armed());
    EXPECT_EQ(driver.armedDelay(), binding::Pacer::Horizon);
    driver.setShown(false);
    EXPECT_FALSE(driver.armed());
    driver.setShown(true);
    EXPECT_EQ(restings, (std::vector<bool>{false, true, false}));

    std::vector<int> errors;
    driver.setErrorHandler([&](const forms::RuntimeError& error) { errors.push_back(error.number()); });
    form.JIKOKU1.onTimer = [] { throw forms::RuntimeError::overflow(); };
    driver.rearm();
    ASSERT_EQ(driver.wakeMoment(), 100);
    now = 5000 + 100 + 200; // woken late enough to count as a stall
    driver.rearm();         // due already: the timer expires at the next turn of the event loop
    EXPECT_EQ(driver.armedDelay(), 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(errors, std::vector<int>{6});
    EXPECT_FALSE(driver.armed());
    EXPECT_TRUE(offsets.empty()) << "the error left before the shift";
}

TEST_F(DriverTest, AStallIsSignalled) {
    form.SelectBg.choose(1);
    driver.rearm();
    ASSERT_EQ(driver.wakeMoment(), 300);
    now = 65300;
    driver.rearm();
    QCoreApplication::processEvents();
    EXPECT_EQ(offsets, std::vector<double>{5000 + 60000});
    EXPECT_EQ(driver.wakeMoment(), 450);
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
            EXPECT_EQ(testing::differences(painted(panel), painted(fresh)).size(), 0)
                << "the panel shows an older moment";
            EXPECT_EQ(session.driver().wakeMoment(), form.nextVisibleChange(step.present + binding::Pacer::Horizon));
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
