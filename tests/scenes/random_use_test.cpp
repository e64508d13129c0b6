#include "support/form1_fixture.h"
#include "support/invariants.h"

#include <random>

namespace miravel {
namespace {

// Random sessions of choices, "time" and "clear" with random waits between
// them: no run-time error ever, every "clear" leaves the empty window, and the
// scenes and the face keep their invariants.
class RandomUse : public testing::Form1Test {
protected:
    void act(std::mt19937& random) {
        switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0: choose("The universe"); break;
        case 1: choose("The deep sea"); break;
        case 2: choose("Eternity"); break;
        case 3: form.JIKOKU.click(); break;
        case 4:
            form.Command2.click();
            expectEmpty();
            break;
        default: break; // only wait
        }
    }

    // The kinds of waits a person makes: a quick double choice, a look, a long stare.
    forms::Ms pause(std::mt19937& random) {
        switch (std::uniform_int_distribution<int>(0, 2)(random)) {
        case 0: return std::uniform_int_distribution<forms::Ms>(0, 200)(random);
        case 1: return std::uniform_int_distribution<forms::Ms>(0, 10'000)(random);
        default: return std::uniform_int_distribution<forms::Ms>(0, 120'000)(random);
        }
    }

    std::string broken() {
        std::string what = testing::brokenScenes(form);
        return what.empty() ? testing::brokenFace(form) : what;
    }
};

TEST_F(RandomUse, ThousandsOfSessionsOverHoursOfVirtualTimeNeverFail) {
    std::mt19937 random(20261208);
    for (int action = 0; action < 5000 && !HasFailure(); ++action) {
        ASSERT_NO_THROW(act(random));
        ASSERT_NO_THROW(wait(pause(random)));
        ASSERT_EQ(broken(), "") << "after action " << action << " at " << now() << " ms";
    }
    EXPECT_FALSE(form.ended());
    EXPECT_GT(now(), 24 * 3600 * 1000 / 2);
}

// A whole day with the time of day running along, someone acting every few
// seconds and now and then twice in quick succession, which restarts step
// tables half-way. Checked after every tick, not only between actions.
TEST_F(RandomUse, ADayOfUseKeepsEveryInvariantOnEveryTick) {
    constexpr forms::Ms Day = 24 * 3600 * 1000;
    constexpr forms::Ms StartOfDay = (23 * 3600 + 59 * 60) * 1000; // crosses midnight at once
    const auto timeAt = [](forms::Ms t) {
        const forms::Ms second = (StartOfDay + t) / 1000 % (24 * 3600);
        return forms::TimeOfDay{int(second / 3600), int(second / 60 % 60), int(second % 60)};
    };
    form.timeOfDay = [&] { return timeAt(now()); };

    std::mt19937 random(8191);
    const auto nextPause = [&] {
        if (std::uniform_int_distribution<int>(0, 7)(random) == 0)
            return std::uniform_int_distribution<forms::Ms>(1, 250)(random);
        return std::uniform_int_distribution<forms::Ms>(500, 8000)(random);
    };

    forms::Scheduler& clock = form.scheduler();
    forms::Ms nextAction = nextPause();
    long ticks = 0, actions = 0, seaTicks = 0, universeTicks = 0, faceTicks = 0;
    std::string failure;
    try {
        while (clock.now() < Day && failure.empty()) {
            const std::optional<forms::Ms> due = clock.nextDue();
            ASSERT_TRUE(due.has_value()) << "the clock's timer stopped at " << now();
            if (*due <= nextAction) {
                clock.advanceTo(*due);
                ++ticks;
                seaTicks += form.KAME.enabled();
                universeTicks += form.masicA.enabled();
                faceTicks += form.MOVE1.enabled();
            } else {
                clock.advanceTo(nextAction);
                act(random);
                ++actions;
                nextAction += nextPause();
            }
            failure = broken();
            // The clock's text is never more than its one tick behind the time of day.
            const forms::Ms lastClockTick = now() / 100 * 100;
            if (failure.empty() && lastClockTick > 0 && form.CLOCK.caption() != form.timeText(timeAt(lastClockTick)))
                failure = "clock shows " + std::string(form.CLOCK.caption());
        }
    } catch (const forms::RuntimeError& error) {
        failure = "run-time error " + std::to_string(error.number());
    }
    EXPECT_EQ(failure, "") << "at " << now() << " ms, after " << actions << " actions";
    EXPECT_FALSE(form.ended());
    EXPECT_GE(now(), Day);
    // Each scene ran for an hour or more of it, the face awake among them.
    EXPECT_GT(actions, 15'000);
    EXPECT_GT(seaTicks, 3600L * 1000 / 150);
    EXPECT_GT(universeTicks, 3600L * 1000 / 100);
    EXPECT_GT(faceTicks, 3600L * 1000 / 100);
}

} // namespace
} // namespace miravel
