// Running ahead to the next change a person can see: where it finds it, that
// it leaves the form as it was, and that a form woken only at those moments
// runs exactly as one advanced event by event.

#include "support/form1_fixture.h"

#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace miravel {
namespace {

using forms::Ms;
constexpr Ms Horizon = 60'000;

// The time of day at a virtual moment: the run starts a quarter of a second
// into 9:41:07, so the clock's seconds turn 750 ms into every virtual second.
forms::TimeOfDay runningTimeAt(Ms t) {
    const Ms ms = (9 * 3600 + 41 * 60 + 7) * 1000 + 250 + t;
    return {int(ms / 3'600'000 % 24), int(ms / 60'000 % 60), int(ms / 1000 % 60)};
}

struct FirstChange {
    const char* name;
    const char* setup; // in order: "time", "wait" (150 ms), "running-clock", a scene
    std::optional<Ms> expected;
};

// clang-format off
const FirstChange FirstChanges[] = {
    {"EmptyWindowTheClockTicksHidden",     "",                        std::nullopt},
    {"ClockShownItsFirstText",             "time",                    100},
    {"ClockTextSetAndTheTimeStill",        "time wait",               std::nullopt},
    {"ClockWithTheTimeRunningNextSecond",  "running-clock time wait", 800},
    {"UniverseTheMoonsFirstPulse",         "universe",                600},
    {"DeepSeaTheTurtleUnseenTheLureGlows", "deep-sea",                300},
    {"FaceOverAHiddenPulsingMoon",         "universe eternity",       50},
    {"EndTheProgramEndsTenMsLater",        "end",                     10},
};
// clang-format on

class LookAhead : public testing::Form1Test, public ::testing::WithParamInterface<FirstChange> {
protected:
    void setUp(const std::string& setup) {
        std::istringstream steps(setup);
        for (std::string step; steps >> step;) {
            if (step == "time") form.JIKOKU.click();
            if (step == "wait") wait(150);
            if (step == "universe") choose("The universe");
            if (step == "deep-sea") choose("The deep sea");
            if (step == "eternity") choose("Eternity");
            if (step == "end") form.Command3.click();
            if (step == "running-clock") form.timeOfDay = [this] { return runningTimeAt(now()); };
        }
    }
};

TEST_P(LookAhead, FindsTheFirstVisibleChangeAndLeavesTheFormAsItWas) {
    setUp(GetParam().setup);
    int heard = 0;
    form.setRepaintObserver([&](const forms::VisibleControl&, const forms::TwipRect&) { ++heard; });
    form.setEventObserver([&](std::string_view, std::string_view) { ++heard; });
    const forms::Form::Snapshot before = form.snapshot();

    EXPECT_EQ(form.nextVisibleChange(now() + Horizon), GetParam().expected);
    EXPECT_TRUE(form.snapshot() == before);
    EXPECT_EQ(heard, 0);
}

INSTANTIATE_TEST_SUITE_P(Scenes, LookAhead, ::testing::ValuesIn(FirstChanges),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(LookAhead, ARunTimeErrorAheadIsAMomentToWakeFor) {
    choose("The universe");
    form.masicStep = 32767; // the next pulse overflows
    EXPECT_EQ(form.nextVisibleChange(now() + Horizon), 600);
    EXPECT_FALSE(form.ended());
}

// One form advanced event by event, the other woken only at the moments its
// look-ahead finds, or at the horizon, as the desktop's driver does, with a
// user's action now and then in between. Both hear the same handler runs at
// the same moments, hold the same state at every action, and the second wakes
// exactly at the moments a timer's handler changed what the first shows.
TEST(LookAheadDay, WakingOnlyForVisibleChangesRunsTheFormExactlyAsEventByEvent) {
    constexpr Ms Day = 24 * 3600 * 1000;
    struct Run {
        Form1 form;
        std::vector<std::pair<std::string, Ms>> handlers;
        std::vector<Ms> changes; // moments a timer's handler changed what is seen
        bool acting = false;

        Run() {
            form.timeOfDay = [this] { return runningTimeAt(form.scheduler().now()); };
            form.setEventObserver([this](std::string_view control, std::string_view event) {
                handlers.emplace_back(std::string(control) + "_" + std::string(event), form.scheduler().now());
            });
            form.setRepaintObserver([this](const forms::VisibleControl& source, const forms::TwipRect& area) {
                const Ms now = form.scheduler().now();
                if (!acting && forms::Form::shows(source, area) && (changes.empty() || changes.back() != now))
                    changes.push_back(now);
            });
            form.load();
        }

        void act(int action) {
            acting = true;
            switch (action) {
            case 0:
                form.SelectBg.choose(0);
                break;
            case 1:
                form.SelectBg.choose(1);
                break;
            case 2:
                form.SelectBg.choose(2);
                break;
            case 3:
                form.JIKOKU.click();
                break;
            default:
                form.Command2.click();
                break;
            }
            acting = false;
        }
    };
    Run stepped;
    Run woken;
    std::vector<Ms> wakes;
    std::mt19937 random(8122026);
    for (Ms now = 0; now < Day && !::testing::Test::HasFailure();) {
        const Ms action = now + std::uniform_int_distribution<Ms>(0, 8'000)(random);
        stepped.form.scheduler().advanceTo(action);
        for (;;) {
            const std::optional<Ms> change = woken.form.nextVisibleChange(now + Horizon);
            const Ms wake = change.value_or(now + Horizon);
            if (wake > action) break;
            woken.form.scheduler().advanceTo(wake);
            if (change) wakes.push_back(wake);
            now = wake;
        }
        woken.form.scheduler().advanceTo(action);
        now = action;
        const int what = std::uniform_int_distribution<int>(0, 4)(random);
        stepped.act(what);
        woken.act(what);
        ASSERT_TRUE(stepped.form.snapshot() == woken.form.snapshot()) << "at " << now << " ms";
    }
    EXPECT_EQ(woken.handlers, stepped.handlers);
    EXPECT_EQ(woken.changes, stepped.changes);
    EXPECT_EQ(wakes, stepped.changes);
    EXPECT_GT(stepped.handlers.size(), 1'000'000u);
}

} // namespace
} // namespace miravel
