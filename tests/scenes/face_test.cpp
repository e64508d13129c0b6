#include "support/form1_fixture.h"
#include "support/invariants.h"

#include <random>

namespace miravel {
namespace {

using Face = testing::Form1Test;
using Frames = std::vector<int>;

// The face's frames at a moment: left eye, right eye, mouth.
struct FaceState {
    Frames left, right, mouth;
    friend bool operator==(const FaceState&, const FaceState&) = default;
};

class FaceTimeline : public testing::Form1Test {
protected:
    FaceState face() { return {shown(form.leftEye()), shown(form.rightEye()), shown(form.mouth())}; }
    // Waits until `at` ms after the choice and says what the face shows.
    FaceState at(forms::Ms t) {
        form.scheduler().advanceTo(start + t);
        return face();
    }
    void SetUp() override {
        wait(1234); // the choice comes at an odd moment of the clock
        start = now();
        choose("Eternity");
    }
    forms::Ms start = 0;
};

TEST_F(FaceTimeline, WakesOpensItsEyesThenItsMouthThenStartsTheSlowTimers) {
    EXPECT_EQ(face(), (FaceState{{12}, {12}, {1}}));
    for (int step = 1; step <= 11; ++step) {
        EXPECT_EQ(at(50 * step - 1), (FaceState{{13 - step}, {13 - step}, {1}})) << step;
        EXPECT_EQ(at(50 * step), (FaceState{{12 - step}, {12 - step}, {1}})) << step;
    }
    EXPECT_TRUE(form.FACE1.enabled());
    at(600);
    EXPECT_FALSE(form.FACE1.enabled());
    EXPECT_FALSE(form.FACE2.enabled());
    EXPECT_EQ(at(1399).mouth, Frames{1});
    EXPECT_EQ(form.mouthCount, 13);
    for (int frame = 2; frame <= 6; ++frame) EXPECT_EQ(at(1200 + 100 * frame).mouth, Frames{frame});
    EXPECT_FALSE(form.MOVE1.enabled());
    at(1900);
    EXPECT_TRUE(form.MOVE1.enabled());
    EXPECT_TRUE(form.MOVE2.enabled());
    EXPECT_FALSE(form.FACE3.enabled());
    EXPECT_EQ(form.mouthCount, 0);
}

TEST_F(FaceTimeline, BlinksAtSixPointNineAndChangesTheMouthAtNinePointNineAndSeventeenPointNine) {
    EXPECT_EQ(at(6949).left, Frames{1});
    EXPECT_EQ(at(6950).left, Frames{2});
    EXPECT_EQ(at(7450), (FaceState{{12}, {12}, {6}})); // shut
    EXPECT_EQ(at(7549).left, Frames{12});               // two ticks shut
    EXPECT_EQ(at(7550).left, Frames{11});
    EXPECT_EQ(at(8050).right, Frames{1});
    at(8100);
    EXPECT_FALSE(form.FACE1.enabled());
    EXPECT_FALSE(form.FACE1E.enabled());

    EXPECT_EQ(at(9999).mouth, Frames{6});
    for (int frame = 5; frame >= 2; --frame) EXPECT_EQ(at(10000 + 100 * (5 - frame)).mouth, Frames{frame});
    at(10400);
    EXPECT_FALSE(form.FACE3E.enabled());
    EXPECT_EQ(at(17999).mouth, Frames{2});
    for (int frame = 3; frame <= 6; ++frame) EXPECT_EQ(at(18000 + 100 * (frame - 3)).mouth, Frames{frame});
    at(18400);
    EXPECT_FALSE(form.FACE3S.enabled());
}

TEST_F(FaceTimeline, RepeatsEveryEightySecondsWithSixteenBlinksAndTenMouthChanges) {
    std::vector<std::pair<forms::Ms, std::string>> slowTicks;
    form.setEventObserver([&](std::string_view control, std::string_view) {
        if (control == "MOVE1" || control == "MOVE2") slowTicks.emplace_back(now() - start, std::string(control));
    });
    at(1900 + 80'000 * 3);
    int blinks = 0, mouthChanges = 0;
    for (const auto& [t, control] : slowTicks) {
        if (t > 1900 + 80'000) break;
        (control == "MOVE1" ? blinks : mouthChanges)++;
    }
    EXPECT_EQ(blinks, 16);
    EXPECT_EQ(mouthChanges, 10);
    // The two meet at 41.9 s: MOVE2 first, the order in which they were added.
    const auto meet = std::find_if(slowTicks.begin(), slowTicks.end(), [](const auto& tick) { return tick.first == 41'900; });
    ASSERT_NE(meet, slowTicks.end());
    EXPECT_EQ(meet->second, "MOVE2");
    EXPECT_EQ(std::next(meet)->first, 41'900);
    // No drift: the last blink of three periods lands exactly on its time.
    EXPECT_EQ(slowTicks.back().first, 1900 + 80'000 * 3);
}

TEST_F(FaceTimeline, UndisturbedTheFaceKeepsItsInvariantsOnEveryTickForHours) {
    at(1900);
    Frames mouthsSeen;
    std::string failure;
    form.setEventObserver([&](std::string_view, std::string_view) {});
    for (forms::Ms t = 1950; t <= 3 * 3600 * 1000; t += 50) {
        const FaceState f = at(t);
        if (const std::string broken = testing::brokenUndisturbedFace(form); !broken.empty()) {
            failure = broken + " at " + std::to_string(t);
            break;
        }
        if (!form.FACE3E.enabled() && !form.FACE3S.enabled()) mouthsSeen.push_back(f.mouth.front());
    }
    EXPECT_EQ(failure, "");
    // At rest the mouth is only ever wide open or closed.
    EXPECT_TRUE(std::all_of(mouthsSeen.begin(), mouthsSeen.end(), [](int m) { return m == 6 || m == 2; }));
    EXPECT_NE(std::count(mouthsSeen.begin(), mouthsSeen.end(), 2), 0);
}

TEST_F(FaceTimeline, EternityAgainDuringTheOpeningLeavesAStaleFrameUntilTheStepPassesOverIt) {
    at(150); // three steps: frame 9 on show
    choose("Eternity");
    EXPECT_EQ(form.eyeACount, 0);
    EXPECT_EQ(at(200).left, (Frames{9, 11})); // step 1 again shows 11, 9 is stale
    EXPECT_EQ(at(300).left, (Frames{9}));     // step 3 hides 10 and shows 9 once more
    EXPECT_EQ(at(350).left, (Frames{8}));     // step 4 hides the stale 9
    at(150 + 600);
    EXPECT_FALSE(form.FACE1.enabled());
    EXPECT_EQ(face().left, Frames{1});
}

TEST_F(FaceTimeline, EternityAgainDuringThePauseRestartsItSoTheSlowTimersComeLater) {
    at(1000);
    choose("Eternity");
    EXPECT_EQ(at(1000 + 1399).mouth, Frames{1});
    EXPECT_EQ(at(1000 + 1400).mouth, Frames{2});
    EXPECT_FALSE(form.MOVE1.enabled());
    at(1000 + 1900);
    EXPECT_TRUE(form.MOVE1.enabled());
    EXPECT_EQ(form.MOVE1.due(), start + 1000 + 1900 + 5000);
}

TEST_F(FaceTimeline, EternityAgainDuringABlinkRestartsTheClosingFromItsFirstStep) {
    at(6900 + 200); // closing, four steps: frame 5
    choose("Eternity");
    EXPECT_EQ(at(6900 + 250).left, (Frames{2, 5}));
    EXPECT_EQ(at(6900 + 400).left, (Frames{5}));
    EXPECT_EQ(at(6900 + 450).left, (Frames{6}));
    at(6900 + 200 + 1200);
    EXPECT_EQ(face().left, Frames{1});
    EXPECT_FALSE(form.FACE1E.enabled());
    EXPECT_FALSE(form.FACE1.enabled());
}

TEST_F(FaceTimeline, ClearAtAnyMomentStopsTheFaceAndEternityReplaysFromTimeZero) {
    std::mt19937 random(7);
    for (int round = 0; round < 20; ++round) {
        wait(std::uniform_int_distribution<forms::Ms>(0, 30'000)(random));
        form.Command2.click();
        expectEmpty();
        EXPECT_EQ(form.eternityOn, 0);
        start = now();
        choose("Eternity");
        EXPECT_EQ(face(), (FaceState{{12}, {12}, {1}}));
        EXPECT_EQ(at(600), (FaceState{{1}, {1}, {1}}));
        EXPECT_EQ(at(1800).mouth, Frames{6});
    }
}

TEST_F(FaceTimeline, AnotherSceneLeavesTheFaceRunningOverItsBackground) {
    at(2000);
    choose("The deep sea");
    EXPECT_EQ(form.HAIKEI1.backColor(), forms::Colour(0x800000));
    EXPECT_EQ(at(7450).left, Frames{12});
    EXPECT_EQ(at(10300).mouth, Frames{2});
    EXPECT_TRUE(form.kame1.visible());
}

TEST_F(Face, AStepTheTableDoesNotListChangesNothingButTheCounter) {
    choose("Eternity");
    form.eyeACount = 20;
    form.mouthCount = 7;
    form.FACE1_Timer();
    form.FACE3E_Timer();
    EXPECT_EQ(form.eyeACount, 21);
    EXPECT_EQ(form.mouthCount, 8);
    EXPECT_EQ(shown(form.leftEye()), Frames{12});
    EXPECT_EQ(shown(form.mouth()), Frames{1});
    EXPECT_TRUE(form.FACE1.enabled());
}

TEST_F(Face, MouthOpensWithItsOpeningWhateverFrameIsOnShow) {
    form.Face4C.setVisible(true);
    form.MOVE2_Timer();
    EXPECT_TRUE(form.FACE3S.enabled());
    form.FACE3S_Timer();
    EXPECT_EQ(shown(form.mouth()), (Frames{3, 4})); // hid 2, which was not shown
}

} // namespace
} // namespace miravel
