#include "binding/pacer.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace miravel::binding {
namespace {

// The one-shot alarm a binding gives the pacer, expiring only when the test says.
class FakeAlarm : public Alarm {
public:
    void arm(int ms) override {
        armed = true;
        delay = ms;
    }
    void stop() override { armed = false; }

    bool armed = false;
    int delay = -1;
};

// The pacer on a clock the test moves by hand: no sleeping, no real time.
// The time of day runs with the virtual clock, from 9:41:07.250 at its 0.
class PacerTest : public ::testing::Test {
protected:
    PacerTest()
        : pacer(form, [this] { return now; }, alarm,
                {.offsetShifted = [this](double offset) { shifts.emplace_back(offset, events.size()); },
                 .restingChanged = [this](bool resting) { resting_.push_back(resting); },
                 .failed = [this](const forms::RuntimeError& error) { errors.push_back(error.number()); }}) {
        form.timeOfDay = [this] {
            const forms::Ms ms = (9 * 3600 + 41 * 60 + 7) * 1000 + 250 + form.scheduler().now();
            return forms::TimeOfDay{int(ms / 3'600'000), int(ms / 60'000 % 60), int(ms / 1000 % 60)};
        };
        form.setEventObserver([this](std::string_view control, std::string_view event) {
            if (event == "Timer") events.push_back({std::string(control), form.scheduler().now()});
        });
        form.load(); // the clock's timer, every 100 ms
        now = 5000;  // whatever the monotonic clock read at start
        pacer.start();
    }

    struct Event {
        std::string timer;
        forms::Ms at;
        friend bool operator==(const Event&, const Event&) = default;
    };

    // The clock reaches t and the alarm, armed or not, expires.
    void wakeAt(double t) {
        now = t;
        alarm.armed = false;
        pacer.tick();
    }
    // The clock reaches the moment the alarm is armed for, and it expires.
    void wakeWhenArmed() {
        ASSERT_TRUE(alarm.armed);
        wakeAt(now + alarm.delay);
    }
    // A person's action at t, as a binding runs it.
    void actAt(double t, const std::function<void()>& action) {
        now = t;
        pacer.catchUp();
        action();
        pacer.rearm();
    }

    Form1 form;
    double now = 0;
    FakeAlarm alarm;
    std::vector<Event> events;
    std::vector<std::pair<double, std::size_t>> shifts; // the new offset, and how many timers had run by then
    std::vector<bool> resting_;
    std::vector<int> errors;
    Pacer pacer;
};

// Wakes exactly at each moment something shows: not for the hidden clock's
// ticks, and with the clock shown once a second, at the tick that turns it.
TEST_F(PacerTest, ArmsForTheFirstVisibleChangeAndNotBefore) {
    EXPECT_EQ(pacer.wakeMoment(), Pacer::Horizon); // an empty window: nothing to see
    EXPECT_TRUE(alarm.armed);
    EXPECT_EQ(alarm.delay, Pacer::Horizon);
    actAt(5020.4, [&] { form.JIKOKU.click(); });
    EXPECT_EQ(pacer.wakeMoment(), 100); // the clock's first text
    EXPECT_EQ(alarm.delay, 80) << "79.6 ms away: woken early, nothing would be due yet";
    wakeWhenArmed();
    EXPECT_EQ(events.size(), 1u);
    EXPECT_EQ(pacer.wakeMoment(), 800); // 9:41:08 begins at virtual 750
    wakeWhenArmed();
    EXPECT_EQ(events.size(), 8u); // the seven hidden-change ticks ran on the way, in order
    EXPECT_EQ(events.back(), (Event{"JIKOKU1", 800}));
    EXPECT_EQ(pacer.wakeMoment(), 1800);
    wakeAt(5000 + 1800 + 3); // a little late is jitter, not a stall
    EXPECT_DOUBLE_EQ(pacer.offset(), 5000);
    EXPECT_TRUE(shifts.empty());
    EXPECT_EQ(alarm.delay, 997);
    EXPECT_EQ(pacer.armedDelay(), 997);
    EXPECT_EQ(resting_, std::vector<bool>{false}) << "armed once at the start, and never stopped";
}

TEST_F(PacerTest, AStallRunsWhatWasDueOnceThenKeepsTheRhythm) {
    actAt(5000, [&] { form.SelectBg.choose(1); }); // the deep sea: the lure's first glow at 300
    EXPECT_EQ(pacer.wakeMoment(), 300);
    // Told after what was due ran, and those runs on the clock they were due
    // by, so that a trace stamps them before the shift.
    std::vector<double> stamps;
    form.setEventObserver([&](std::string_view control, std::string_view) {
        events.push_back({std::string(control), form.scheduler().now()});
        stamps.push_back(pacer.monotonicOfNow());
    });
    // Suspended for a minute: what was due by 300 runs once, not four hundred
    // turtle steps; virtual time resumes there.
    wakeAt(65300);
    EXPECT_EQ(shifts, (std::vector<std::pair<double, std::size_t>>{{5000 + 60000, 6}}));
    EXPECT_EQ(events,
              (std::vector<Event>{
                  {"JIKOKU1", 100}, {"KAME", 150}, {"JIKOKU1", 200}, {"JIKOKU1", 300}, {"KAME", 300}, {"ANCOU", 300}}));
    EXPECT_EQ(stamps, (std::vector<double>{5100, 5150, 5200, 5300, 5300, 5300}));
    EXPECT_DOUBLE_EQ(pacer.offset(), 5000 + 60000);
    EXPECT_DOUBLE_EQ(pacer.virtualNow(), 300);
    EXPECT_EQ(pacer.wakeMoment(), 450); // the turtle's third step brings it into view, as before the stall
    EXPECT_EQ(alarm.delay, 150);
    // Back in its rhythm: the next wake-up on time shifts nothing more.
    wakeWhenArmed();
    EXPECT_EQ(shifts.size(), 1u);
    EXPECT_EQ(events.back(), (Event{"KAME", 450}));
}

// Minimized or covered: the alarm stopped, whatever runs, and said once;
// shown again, the form is exactly where event-by-event running would have it.
TEST_F(PacerTest, RestsWhileNotShownAndShowingCatchesUpExactly) {
    actAt(5000, [&] { form.SelectBg.choose(2); }); // the face, every 50 ms
    pacer.setShown(false);
    EXPECT_FALSE(alarm.armed);
    EXPECT_EQ(pacer.wakeMoment(), std::nullopt);
    EXPECT_EQ(pacer.armedDelay(), -1);
    actAt(7000, [] {}); // a person's action while hidden: caught up, but still nothing armed
    EXPECT_FALSE(alarm.armed);
    pacer.setShown(false); // told again: nothing changes, nothing is said
    EXPECT_EQ(resting_, (std::vector<bool>{false, true}));

    now = 5000 + 12'345;
    pacer.setShown(true);
    EXPECT_EQ(resting_, (std::vector<bool>{false, true, false}));
    Form1 stepped;
    stepped.timeOfDay = form.timeOfDay;
    stepped.load();
    stepped.SelectBg.choose(2);
    stepped.scheduler().advanceTo(12'345);
    EXPECT_TRUE(form.snapshot() == stepped.snapshot());
    EXPECT_TRUE(alarm.armed);
    EXPECT_EQ(pacer.wakeMoment(), form.nextVisibleChange(12'345 + Pacer::Horizon));
}

// The end is a change worth waking for; after it nothing is due, and the pacer rests.
TEST_F(PacerTest, WakesForTheEndAndThenRests) {
    actAt(5000, [&] { form.Command3.click(); });
    EXPECT_EQ(alarm.delay, 10);
    bool ended = false;
    form.setEndObserver([&] { ended = true; });
    wakeWhenArmed();
    EXPECT_TRUE(ended);
    EXPECT_FALSE(alarm.armed);
    EXPECT_EQ(resting_, (std::vector<bool>{false, true}));
}

TEST_F(PacerTest, ARunTimeErrorStopsTheAlarmAndIsHandedOn) {
    form.JIKOKU1.onTimer = [] { throw forms::RuntimeError::overflow(); };
    pacer.rearm();
    EXPECT_EQ(pacer.wakeMoment(), 100); // an error shows, even from a hidden clock
    wakeWhenArmed();
    EXPECT_EQ(errors, std::vector<int>{6});
    EXPECT_FALSE(alarm.armed);
    EXPECT_EQ(pacer.wakeMoment(), std::nullopt);
    EXPECT_TRUE(form.ended());
}

// Before a person's action the binding catches up itself, and reports what
// goes wrong there in the action's own way.
TEST_F(PacerTest, AnErrorWhileCatchingUpIsLeftToTheCaller) {
    form.JIKOKU1.onTimer = [] { throw forms::RuntimeError::overflow(); };
    now = 5000 + 150;
    EXPECT_THROW(pacer.catchUp(), forms::RuntimeError);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(form.ended());
}

} // namespace
} // namespace miravel::binding
