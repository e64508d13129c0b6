#include "desktop/session.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

namespace miravel::desktop {
namespace {

constexpr double Hour = 3600.0 * 1000;
constexpr double Day = 24 * Hour;

// One run of the program on two clocks the test moves: the monotonic clock
// the driver reads, and the wall clock the form takes its time of day from,
// which may be set forward or back at any moment, as a user or a time
// service would. The driver's timer is never waited for: the run wakes the
// driver exactly when that timer would expire.
class ClockedRun {
public:
    struct Event {
        std::string handler;
        forms::Ms at;    // virtual
        double realTime; // monotonic
        friend bool operator==(const Event&, const Event&) = default;
        friend void PrintTo(const Event& e, std::ostream* out) {
            *out << e.handler << "@" << e.at << "/" << e.realTime;
        }
    };
    struct Caption {
        double realTime;
        std::string text;
    };

    ClockedRun() : session(form, nullptr, [this] { return monotonic; }) {
        form.timeOfDay = [this] { return wallTime(); };
        form.setEventObserver([this](std::string_view control, std::string_view event) {
            events.push_back({std::string(control) + "_" + std::string(event), form.scheduler().now(), monotonic});
        });
        EXPECT_TRUE(session.start());
        armedAt = monotonic;
    }

    // The face, and the deep sea over it a little later: every kind of timer runs.
    void chooseScenes() {
        runUntil(2'000);
        perform([this] { form.SelectBg.choose(2); });
        runUntil(4'321);
        perform([this] { form.SelectBg.choose(1); });
    }

    void perform(const std::function<void()>& action) {
        session.perform(action);
        armedAt = monotonic;
    }

    // Wakes the driver whenever its timer, armed at armedAt, would expire.
    void runUntil(double until) {
        while (session.driver().armed() && armedAt + session.driver().armedDelay() <= until) {
            monotonic = armedAt + session.driver().armedDelay();
            const std::size_t before = events.size();
            session.driver().tick();
            if (std::any_of(events.begin() + before, events.end(),
                            [](const Event& e) { return e.handler == "JIKOKU1_Timer"; }))
                captions.push_back({monotonic, form.CLOCK.caption()});
            armedAt = monotonic;
        }
        monotonic = until;
    }

    // The wall clock: 08:30:00 when the run starts, plus whatever it was set by.
    forms::TimeOfDay wallTime() const { return timeAt(monotonic + wallShift); }
    static forms::TimeOfDay timeAt(double ms) {
        const auto second = static_cast<long long>(std::floor((8.5 * Hour + ms) / 1000));
        const long long ofDay = ((second % 86'400) + 86'400) % 86'400;
        return {int(ofDay / 3600), int(ofDay / 60 % 60), int(ofDay % 60)};
    }

    Form1 form;
    double monotonic = 1'000; // whatever the monotonic clock read at start
    double wallShift = 0;
    double armedAt = 0;
    Session session;
    std::vector<Event> events;
    std::vector<Caption> captions;
};

class WallClockSet : public ::testing::TestWithParam<double> {};

TEST_P(WallClockSet, TheClockShowsTheNewTimeOnItsNextTickAndNothingElseMoves) {
    const double shift = GetParam();
    constexpr double SetAt = 9'876; // mid-blink, mid-swim, between two clock ticks
    constexpr double End = 30'000;

    ClockedRun plain;
    plain.chooseScenes();
    plain.runUntil(End);

    ClockedRun shifted;
    shifted.chooseScenes();
    shifted.runUntil(SetAt);
    shifted.wallShift = shift;
    shifted.runUntil(End);

    // The animations run on the monotonic clock: every handler runs exactly
    // when it would have, the clock's own ticks included.
    const auto [mine, theirs] =
        std::mismatch(shifted.events.begin(), shifted.events.end(), plain.events.begin(), plain.events.end());
    if (mine != shifted.events.end() || theirs != plain.events.end()) {
        ADD_FAILURE() << "run " << (mine - shifted.events.begin()) << " differs: "
                      << ::testing::PrintToString(mine == shifted.events.end() ? ClockedRun::Event{} : *mine)
                      << " against "
                      << ::testing::PrintToString(theirs == plain.events.end() ? ClockedRun::Event{} : *theirs);
    }
    ASSERT_EQ(shifted.captions.size(), plain.captions.size());

    for (std::size_t i = 0; i < shifted.captions.size(); ++i) {
        const ClockedRun::Caption& caption = shifted.captions[i];
        const double wall = caption.realTime + (caption.realTime > SetAt ? shift : 0);
        ASSERT_EQ(caption.text, shifted.form.timeText(ClockedRun::timeAt(wall)))
            << "tick at " << caption.realTime << " ms";
    }
    // The first tick after the change already shows it, at most one Interval later.
    const auto firstAfter = std::find_if(shifted.captions.begin(), shifted.captions.end(),
                                         [&](const ClockedRun::Caption& c) { return c.realTime > SetAt; });
    ASSERT_NE(firstAfter, shifted.captions.end());
    EXPECT_LE(firstAfter->realTime - SetAt, shifted.form.JIKOKU1.interval());
    EXPECT_NE(firstAfter->text, plain.captions[firstAfter - shifted.captions.begin()].text);
}

INSTANTIATE_TEST_SUITE_P(ForwardAndBack, WallClockSet,
                         ::testing::Values(5 * Hour, -3 * Hour, -9 * Hour /* back over midnight */,
                                           Day - 1000 /* a second short of a day: looks like a second back */),
                         [](const ::testing::TestParamInfo<double>& info) {
                             const long long seconds = static_cast<long long>(info.param / 1000);
                             return (seconds < 0 ? "Back" : "Forward") + std::to_string(std::llabs(seconds)) + "s";
                         });

TEST(RealClock, TheDriversClockIsMonotonicNotTheWallClock) {
    EXPECT_TRUE(QElapsedTimer::isMonotonic());
    EXPECT_EQ(QElapsedTimer::clockType(), QElapsedTimer::MonotonicClock);
    const Driver::Clock clock = monotonicClock();
    const double first = clock();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 1000);
    EXPECT_GE(clock(), first);
}

} // namespace
} // namespace miravel::desktop
