#include "desktop/session.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace miravel::desktop {
namespace {

constexpr double Hour = 3600.0 * 1000;
constexpr double Day = 24 * Hour;

// A wall clock the test sets: 08:30:00 when the monotonic clock reads 0,
// plus whatever it was set by once the program was told of the change.
class TestWallClock : public WallClock {
public:
    forms::TimeOfDay at(double monotonicMs) const override { return timeAt(monotonicMs + tiedShift); }
    void retie() override { tiedShift = shift; }

    static forms::TimeOfDay timeAt(double ms) {
        const auto second = static_cast<long long>(std::floor((8.5 * Hour + ms) / 1000));
        const long long ofDay = ((second % 86'400) + 86'400) % 86'400;
        return {int(ofDay / 3600), int(ofDay / 60 % 60), int(ofDay % 60)};
    }

    double shift = 0;
    double tiedShift = 0;
};

// One run of the program on a monotonic clock the test moves and the wall
// clock above. The driver's timer is never waited for: the run wakes the
// driver exactly when that timer would expire.
class ClockedRun {
public:
    struct Event {
        std::string handler;
        forms::Ms at;   // virtual
        double ownTime; // the monotonic time of its moment
        friend bool operator==(const Event&, const Event&) = default;
        friend void PrintTo(const Event& e, std::ostream* out) { *out << e.handler << "@" << e.at << "/" << e.ownTime; }
    };
    // The clock's text as a tick wrote it, and the monotonic time of the tick.
    struct Caption {
        double ownTime;
        std::string text;
    };

    ClockedRun()
        : session(
              form, nullptr, [this] { return monotonic; }, &wall) {
        form.setEventObserver([this](std::string_view control, std::string_view event) {
            events.push_back({std::string(control) + "_" + std::string(event), form.scheduler().now(), ownTime()});
            ticking = control == "JIKOKU1";
        });
        EXPECT_TRUE(session.start());
        // The texts of the ticks that ran, not of those the look-ahead ran ahead,
        // which no observer hears.
        const auto localeText = form.timeText;
        form.timeText = [this, localeText](forms::TimeOfDay time) {
            std::string text = localeText(time);
            if (ticking) captions.push_back({ownTime(), text});
            ticking = false;
            return text;
        };
        armedAt = monotonic;
    }

    double ownTime() { return session.driver().monotonicOfNow(); }

    // The face, and the deep sea over it a little later: every kind of timer runs.
    void chooseScenes() {
        runUntil(2'000);
        perform([this] { form.JIKOKU.click(); });
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
            session.driver().tick();
            armedAt = monotonic;
        }
        monotonic = until;
    }

    // The wall clock is set, and the program hears of it at once.
    void setWallClock(double shift) {
        wall.shift = shift;
        emit wall.changed();
        armedAt = monotonic;
    }

    Form1 form;
    TestWallClock wall;
    double monotonic = 1'000; // whatever the monotonic clock read at start
    double armedAt = 0;
    Session session;
    std::vector<Event> events;
    std::vector<Caption> captions;
    bool ticking = false;
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
    shifted.setWallClock(shift);
    // The next tick shows the new time, and the driver wakes for it.
    const std::optional<forms::Ms> wake = shifted.session.driver().wakeMoment();
    ASSERT_TRUE(wake.has_value());
    EXPECT_LE(shifted.session.driver().offset() + static_cast<double>(*wake) - SetAt, shifted.form.JIKOKU1.interval());
    shifted.runUntil(End);

    // The animations run on the monotonic clock: every handler runs at the
    // very moment it would have, the clock's own ticks included.
    const auto [mine, theirs] =
        std::mismatch(shifted.events.begin(), shifted.events.end(), plain.events.begin(), plain.events.end());
    if (mine != shifted.events.end() || theirs != plain.events.end()) {
        ADD_FAILURE() << "run " << (mine - shifted.events.begin()) << " differs: "
                      << ::testing::PrintToString(mine == shifted.events.end() ? ClockedRun::Event{} : *mine)
                      << " against "
                      << ::testing::PrintToString(theirs == plain.events.end() ? ClockedRun::Event{} : *theirs);
    }
    ASSERT_EQ(shifted.captions.size(), plain.captions.size());

    // Each tick wrote the wall-clock time of its own moment: the old time up
    // to the change, the new one after it.
    for (const ClockedRun::Caption& caption : shifted.captions) {
        const double wall = caption.ownTime + (caption.ownTime > SetAt ? shift : 0);
        ASSERT_EQ(caption.text, shifted.form.timeText(TestWallClock::timeAt(wall))) << "tick at " << caption.ownTime;
    }
    const auto firstAfter = std::find_if(shifted.captions.begin(), shifted.captions.end(),
                                         [&](const ClockedRun::Caption& c) { return c.ownTime > SetAt; });
    ASSERT_NE(firstAfter, shifted.captions.end());
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
    EXPECT_NE(QElapsedTimer::clockType(), QElapsedTimer::SystemTime);
    const Driver::Clock clock = monotonicClock();
    const double first = clock();
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 1000);
    EXPECT_GE(clock(), first);
}

} // namespace
} // namespace miravel::desktop
