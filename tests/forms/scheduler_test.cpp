#include "forms/form.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using forms::Ms;

// A bare form with a few timers that log their events.
class SchedulerTest : public ::testing::Test {
protected:
    forms::Timer& addTimer(forms::Timer& timer, const char* name, Ms interval) {
        timer.place(form, name, -1);
        timer.setInterval(interval);
        timer.onTimer = [this, name] { events.emplace_back(form.scheduler().now(), name); };
        form.scheduler().add(timer);
        return timer;
    }

    forms::Form form;
    forms::Timer a, b, c;
    std::vector<std::pair<Ms, std::string>> events;
};

TEST_F(SchedulerTest, FirstEventComesOneIntervalAfterEnablingThenEveryInterval) {
    addTimer(a, "a", 100);
    form.scheduler().advanceTo(30);
    a.setEnabled(true);
    form.scheduler().advanceTo(129);
    EXPECT_TRUE(events.empty());
    form.scheduler().advanceTo(430);
    const std::vector<std::pair<Ms, std::string>> expected{{130, "a"}, {230, "a"}, {330, "a"}, {430, "a"}};
    EXPECT_EQ(events, expected);
    EXPECT_EQ(form.scheduler().now(), 430);
}

TEST_F(SchedulerTest, SimultaneousEventsRunInTheOrderTimersWereAdded) {
    addTimer(b, "b", 50);
    addTimer(a, "a", 100);
    a.setEnabled(true);
    b.setEnabled(true);
    form.scheduler().advanceTo(100);
    const std::vector<std::pair<Ms, std::string>> expected{{50, "b"}, {100, "b"}, {100, "a"}};
    EXPECT_EQ(events, expected);
}

TEST_F(SchedulerTest, DisablingInsideItsOwnHandlerRaisesNothingMore) {
    addTimer(a, "a", 10);
    a.onTimer = [this] {
        events.emplace_back(form.scheduler().now(), "a");
        a.setEnabled(false);
    };
    a.setEnabled(true);
    form.scheduler().advanceTo(1000);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_FALSE(form.scheduler().nextDue());
}

TEST_F(SchedulerTest, EnablingARunningTimerKeepsItsSchedule) {
    addTimer(a, "a", 100);
    addTimer(b, "b", 30);
    a.setEnabled(true);
    b.onTimer = [this] { a.setEnabled(true); }; // every 30 ms, as a repeated scene choice would
    b.setEnabled(true);
    form.scheduler().advanceTo(300);
    const std::vector<std::pair<Ms, std::string>> expected{{100, "a"}, {200, "a"}, {300, "a"}};
    EXPECT_EQ(events, expected);
}

TEST_F(SchedulerTest, ReEnablingAfterAStopStartsAFreshInterval) {
    addTimer(a, "a", 100);
    a.setEnabled(true);
    form.scheduler().advanceTo(150);
    a.setEnabled(false);
    form.scheduler().advanceTo(170);
    a.setEnabled(true);
    form.scheduler().advanceTo(300);
    const std::vector<std::pair<Ms, std::string>> expected{{100, "a"}, {270, "a"}};
    EXPECT_EQ(events, expected);
}

TEST_F(SchedulerTest, TimerEnabledByAHandlerFiresOneIntervalAfterThatHandler) {
    addTimer(a, "a", 40);
    addTimer(b, "b", 25);
    a.onTimer = [this] {
        events.emplace_back(form.scheduler().now(), "a");
        a.setEnabled(false);
        b.setEnabled(true);
    };
    a.setEnabled(true);
    form.scheduler().advanceTo(90);
    const std::vector<std::pair<Ms, std::string>> expected{{40, "a"}, {65, "b"}, {90, "b"}};
    EXPECT_EQ(events, expected);
}

TEST_F(SchedulerTest, DueTimesAreAbsoluteOverHoursOfVirtualTime) {
    addTimer(a, "a", 150);
    addTimer(b, "b", 8000);
    a.setEnabled(true);
    b.setEnabled(true);
    // Advance in uneven slices, as a real-time driver would.
    for (Ms t = 0; t <= 5 * 3600 * 1000; t += 997) form.scheduler().advanceTo(t);
    Ms lastA = 0;
    int countA = 0;
    for (const auto& [time, name] : events) {
        if (name != "a") continue;
        ++countA;
        EXPECT_EQ(time % 150, 0) << "drifted at " << time;
        lastA = time;
    }
    EXPECT_EQ(countA, lastA / 150);
    EXPECT_EQ(lastA, (5 * 3600 * 1000 - 5 * 3600 * 1000 % 997) / 150 * 150);
}

TEST_F(SchedulerTest, EndStopsEverythingAtOnceEvenWithinOneAdvance) {
    addTimer(a, "a", 10);
    addTimer(b, "b", 10);
    bool endObserved = false;
    form.setEndObserver([&] { endObserved = true; });
    a.onTimer = [this] {
        events.emplace_back(form.scheduler().now(), "a");
        form.end();
    };
    a.setEnabled(true);
    b.setEnabled(true);
    form.scheduler().advanceTo(100);
    const std::vector<std::pair<Ms, std::string>> expected{{10, "a"}};
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(endObserved);
    EXPECT_TRUE(form.ended());
    EXPECT_FALSE(form.scheduler().nextDue());
}

TEST_F(SchedulerTest, RuntimeErrorLeavesTheHandlerEndsTheProgramAndReachesTheCaller) {
    addTimer(a, "a", 10);
    addTimer(b, "b", 10);
    a.onTimer = [] { throw forms::RuntimeError::overflow(); };
    b.onTimer = [this] { events.emplace_back(form.scheduler().now(), "b"); };
    a.setEnabled(true);
    b.setEnabled(true);
    try {
        form.scheduler().advanceTo(100);
        FAIL() << "the error did not reach the caller";
    } catch (const forms::RuntimeError& error) {
        EXPECT_EQ(error.number(), 6);
    }
    EXPECT_TRUE(form.ended());
    form.scheduler().advanceTo(200);
    EXPECT_TRUE(events.empty());
}

TEST_F(SchedulerTest, EventObserverSeesEveryHandlerRunInOrder) {
    addTimer(a, "a", 20);
    addTimer(b, "b", 30);
    std::vector<std::string> seen;
    form.setEventObserver([&](std::string_view control, std::string_view event) {
        seen.push_back(std::string(control) + "_" + std::string(event));
    });
    a.setEnabled(true);
    b.setEnabled(true);
    form.scheduler().advanceTo(60);
    const std::vector<std::string> expected{"a_Timer", "b_Timer", "a_Timer", "a_Timer", "b_Timer"};
    EXPECT_EQ(seen, expected);
}

} // namespace
