#include "support/form1_fixture.h"

namespace miravel {
namespace {

using Kelp = testing::Form1Test;

TEST_F(Kelp, SwaysEverySecondStartingWithFrameA) {
    choose("The deep sea");
    for (int second = 1; second <= 6; ++second) {
        wait(999);
        const bool aBefore = form.combuA.visible();
        wait(1);
        EXPECT_EQ(form.combuA.visible(), !aBefore) << second;
        EXPECT_NE(form.combuA.visible(), form.combuB.visible()) << second;
    }
}

TEST_F(Kelp, ReadsOnlyFrameAAndLeadsOutOfBothShownOrBothHidden) {
    form.combuA.setVisible(true);
    form.combuB.setVisible(true);
    form.COMBU_Timer();
    EXPECT_FALSE(form.combuA.visible());
    EXPECT_TRUE(form.combuB.visible());
    form.combuB.setVisible(false);
    form.COMBU_Timer();
    EXPECT_TRUE(form.combuA.visible());
    EXPECT_FALSE(form.combuB.visible());
}

TEST_F(Kelp, ARestartAlwaysBeginsWithFrameA) {
    choose("The deep sea");
    wait(1000);
    ASSERT_TRUE(form.combuB.visible());
    form.Command2.click();
    choose("The deep sea");
    EXPECT_TRUE(form.combuA.visible());
    EXPECT_FALSE(form.combuB.visible());
}

using Turtle = testing::Form1Test;

// The shown frame and its Left after every tick of two passes, from a fresh start.
TEST_F(Turtle, SwimsTwoPassesOfFortyFiveTicksThenRepeatsEveryNinety) {
    choose("The deep sea");
    struct Pose {
        bool kame1;
        float left;
        int count;
    };
    std::vector<Pose> poses;
    for (int tick = 1; tick <= 180; ++tick) {
        wait(150);
        const bool one = form.kame1.visible();
        ASSERT_NE(one, form.kame2.visible()) << "tick " << tick;
        poses.push_back({one, one ? form.kame1.left() : form.kame2.left(), form.kameCount.value()});
    }
    // Pass 1: kame1 for eight ticks (0 to 7 of each twelve), kame2 for four.
    for (int tick = 1; tick <= 44; ++tick) {
        const Pose& pose = poses[tick - 1];
        EXPECT_EQ(pose.left, 1950.0f - 50.0f * tick) << "tick " << tick;
        const int phase = tick % 12;
        EXPECT_EQ(pose.kame1, phase < 8) << "tick " << tick;
    }
    EXPECT_EQ(poses[42].left, -200.0f);
    EXPECT_EQ(poses[43].left, -250.0f);
    // Tick 45 resets both frames and keeps kame2 shown.
    EXPECT_FALSE(poses[44].kame1);
    EXPECT_EQ(poses[44].left, 1950.0f);
    EXPECT_EQ(poses[44].count, 0);
    // Pass 2 begins with kame2, which gives way on tick 49, 200 twips in.
    EXPECT_FALSE(poses[47].kame1);
    EXPECT_TRUE(poses[48].kame1);
    EXPECT_EQ(poses[48].left, 1750.0f);
    EXPECT_TRUE(poses[88].kame1);
    EXPECT_EQ(poses[88].left, -250.0f);
    EXPECT_TRUE(poses[89].kame1);
    EXPECT_EQ(poses[89].left, 1950.0f);
    for (int tick = 90; tick < 180; ++tick) {
        EXPECT_EQ(poses[tick].kame1, poses[tick - 90].kame1) << tick;
        EXPECT_EQ(poses[tick].left, poses[tick - 90].left) << tick;
    }
}

TEST_F(Turtle, AFrameExactlyOnTheLimitEndsThePassEvenWhenHidden) {
    form.kame1.setLeft(300);
    form.kame2.setLeft(-205);
    form.kame1.setVisible(true);
    form.kameCount = 5;
    form.KAME_Timer();
    EXPECT_EQ(form.kame1.left(), 1950.0f);
    EXPECT_EQ(form.kame2.left(), 1950.0f);
    EXPECT_EQ(form.kameCount, 0);
    EXPECT_TRUE(form.kame1.visible());
    form.kame2.setLeft(-204.5);
    form.KAME_Timer();
    EXPECT_EQ(form.kame1.left(), 1900.0f);
}

TEST_F(Turtle, Kame1IgnoresACountOfFourAndWithBothHiddenKame2Swims) {
    form.kame1.setVisible(true);
    form.kameCount = 3;
    form.KAME_Timer();
    EXPECT_TRUE(form.kame1.visible());
    EXPECT_EQ(form.kame1.left(), 1900.0f);

    form.kame1.setVisible(false);
    form.kameCount = 0;
    for (int tick = 0; tick < 3; ++tick) form.KAME_Timer();
    EXPECT_EQ(form.kame2.left(), 1800.0f);
    EXPECT_FALSE(form.kame1.visible());
    form.KAME_Timer();
    EXPECT_TRUE(form.kame1.visible());
    EXPECT_EQ(form.kame1.left(), 1750.0f);
}

TEST_F(Turtle, AfterClearTheTurtleRestartsWhereKame1LastStoodWithTheCountFromZero) {
    choose("The deep sea");
    wait(150 * 10); // kame2 shown, kame1 left at 1600
    ASSERT_TRUE(form.kame2.visible());
    form.Command2.click();
    choose("The deep sea");
    EXPECT_TRUE(form.kame1.visible());
    EXPECT_FALSE(form.kame2.visible());
    EXPECT_EQ(form.kame1.left(), 1600.0f);
    EXPECT_EQ(form.kameCount, 0);
    wait(150);
    EXPECT_EQ(form.kame1.left(), 1550.0f);
}

TEST_F(Turtle, TheUniverseChoiceStopsTheSwimButKeepsTheCount) {
    choose("The deep sea");
    wait(150 * 3);
    choose("The universe");
    EXPECT_EQ(form.kameCount, 3);
    EXPECT_FALSE(form.KAME.enabled());
}

} // namespace
} // namespace miravel
