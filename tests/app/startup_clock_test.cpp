#include "support/form1_fixture.h"

namespace miravel {
namespace {

using StartUp = testing::Form1Test;

TEST_F(StartUp, OnlyTheClockRunsNothingShowsAndTheStateIsSet) {
    const std::vector<const forms::Timer*> onlyTheClock{&form.JIKOKU1};
    EXPECT_EQ(runningTimers(), onlyTheClock);
    EXPECT_TRUE(shownPictures().empty());
    EXPECT_FALSE(form.CLOCK.visible());
    EXPECT_EQ(form.masicStep, 10);
    EXPECT_EQ(form.ancouStep, 10);
    for (const Integer* zero : {&form.kameCount, &form.eyeACount, &form.eyeBCount, &form.mouthCount, &form.eternityOn})
        EXPECT_EQ(*zero, 0);
}

TEST_F(StartUp, EndHidesTheScenePicturesThenEndsTenMillisecondsLater) {
    choose("The deep sea");
    wait(1000);
    form.Command3.click();
    EXPECT_TRUE(shownPictures().empty());
    EXPECT_FALSE(form.KAME.enabled());
    EXPECT_FALSE(form.ANCOU.enabled());
    EXPECT_FALSE(form.COMBU.enabled());
    EXPECT_TRUE(form.FIN.enabled());
    wait(9);
    EXPECT_FALSE(form.ended());
    wait(1);
    EXPECT_TRUE(form.ended());
    EXPECT_FALSE(form.scheduler().nextDue());
}

TEST_F(StartUp, EndPressedTwiceEndsAtTheFirstPressesTime) {
    form.Command3.click();
    wait(5);
    form.Command3.click(); // a running timer keeps its schedule
    wait(5);
    EXPECT_TRUE(form.ended());
}

TEST_F(StartUp, EndLeavesTheFaceAndTheClockAsTheyAre) {
    choose("Eternity");
    form.JIKOKU.click();
    wait(2000);
    const auto before = shownPictures();
    form.Command3.click();
    EXPECT_EQ(shownPictures(), before);
    EXPECT_TRUE(form.CLOCK.visible());
    EXPECT_TRUE(form.MOVE1.enabled());
    bool endObserved = false;
    form.setEndObserver([&] { endObserved = true; });
    wait(10);
    EXPECT_TRUE(endObserved);
}

using Clock = testing::Form1Test;

TEST_F(Clock, CaptionIsRefreshedEveryTickWhetherShownOrNot) {
    std::vector<forms::Ms> writes;
    form.setEventObserver([&](std::string_view control, std::string_view) {
        if (control == "JIKOKU1") writes.push_back(now());
    });
    wait(99);
    EXPECT_EQ(form.CLOCK.caption(), "");
    wait(1);
    EXPECT_EQ(form.CLOCK.caption(), "9:41:07");
    timeOfDay = {9, 41, 8};
    wait(100);
    EXPECT_EQ(form.CLOCK.caption(), "9:41:08");
    EXPECT_FALSE(form.CLOCK.visible());
    wait(800);
    const std::vector<forms::Ms> expected{100, 200, 300, 400, 500, 600, 700, 800, 900, 1000};
    EXPECT_EQ(writes, expected);
}

TEST_F(Clock, TimeTogglesTheClockAndShowsTheCurrentTimeAtOnce) {
    wait(500);
    form.JIKOKU.click();
    EXPECT_TRUE(form.CLOCK.visible());
    EXPECT_EQ(form.CLOCK.caption(), "9:41:07");
    form.JIKOKU.click();
    EXPECT_FALSE(form.CLOCK.visible());
    timeOfDay = {23, 0, 59};
    wait(100);
    form.JIKOKU.click();
    EXPECT_EQ(form.CLOCK.caption(), "23:00:59"); // not the time at which it was hidden
}

TEST_F(Clock, ClearHidesTheClockAndOnePressOfTimeShowsItAgain) {
    form.JIKOKU.click();
    form.Command2.click();
    EXPECT_FALSE(form.CLOCK.visible());
    EXPECT_TRUE(form.JIKOKU1.enabled());
    form.JIKOKU.click();
    EXPECT_TRUE(form.CLOCK.visible());
}

TEST_F(Clock, TheRuntimesTextFormIsUsed) {
    form.timeText = [](forms::TimeOfDay t) { return std::to_string(t.hour) + "h" + std::to_string(t.minute); };
    wait(100);
    EXPECT_EQ(form.CLOCK.caption(), "9h41");
}

} // namespace
} // namespace miravel
