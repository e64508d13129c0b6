#include "support/form1_fixture.h"

namespace miravel {
namespace {

using ColourPulse = testing::Form1Test;
using forms::Colour;

Colour bgr(int blue, int green, int red) { return forms::rgb(red, green, blue); }

TEST_F(ColourPulse, TheLureRunsItsTenTickCycleOverAndOver) {
    struct Tick {
        Colour colour;
        int step;
    };
    const std::vector<Tick> cycle{
        {bgr(255, 1, 9), 10},  {bgr(255, 1, 19), 10}, {bgr(255, 1, 29), 10},  {bgr(255, 1, 39), -10},
        {bgr(255, 1, 29), -10}, {bgr(255, 1, 19), -10}, {bgr(255, 1, 9), -10}, {bgr(255, 0, 255), -10},
        {bgr(255, 0, 245), 10}, {bgr(255, 0, 255), 10},
    };
    choose("The deep sea");
    for (int round = 0; round < 3; ++round) {
        for (std::size_t tick = 0; tick < cycle.size(); ++tick) {
            wait(300);
            SCOPED_TRACE(::testing::Message() << "round " << round << " tick " << tick + 1);
            EXPECT_EQ(form.ancou1.backColor(), cycle[tick].colour);
            EXPECT_EQ(form.ancouStep, cycle[tick].step);
        }
    }
}

TEST_F(ColourPulse, TheMoonRisesFromTheLowerBoundTurnsAboveTheUpperAndCyclesEveryFiftyTicks) {
    choose("The universe");
    std::vector<int> reds;
    for (int tick = 1; tick <= 100; ++tick) {
        wait(600);
        const Colour c = form.MASIC.backColor();
        ASSERT_EQ(forms::green(c), 255);
        ASSERT_EQ(forms::blue(c), 0);
        reds.push_back(forms::red(c));
        if (tick == 1) {
            EXPECT_EQ(form.masicStep, 10) << "65290 is on the bound and turns nothing";
        }
        if (tick == 25) {
            EXPECT_EQ(form.masicStep, -10);
        }
        if (tick == 50) {
            EXPECT_EQ(form.masicStep, 10);
        }
    }
    EXPECT_EQ(reds[0], 10);
    EXPECT_EQ(reds[24], 250);
    EXPECT_EQ(reds[25], 240);
    EXPECT_EQ(reds[49], 0);
    EXPECT_EQ(*std::max_element(reds.begin(), reds.end()), 250);
    for (int tick = 50; tick < 100; ++tick) EXPECT_EQ(reds[tick], reds[tick - 50]);
}

TEST_F(ColourPulse, AColourOutsideTheBandWhoseNextStepIsOutsideTooAlternates) {
    form.MASIC.setBackColor(Colour(0));
    choose("The universe");
    std::vector<int> values;
    for (int tick = 0; tick < 4; ++tick) {
        wait(600);
        values.push_back(form.MASIC.backColor().value());
    }
    EXPECT_EQ(values, (std::vector<int>{10, 0, 10, 0}));
}

TEST_F(ColourPulse, TheMoonPulsesOnUnseenUnderEternityAndShowsTheColourReachedOnReturn) {
    choose("The universe");
    wait(600 * 3);
    choose("Eternity");
    EXPECT_FALSE(form.MASIC.visible());
    wait(600 * 4);
    EXPECT_EQ(forms::red(form.MASIC.backColor()), 70);
    choose("The deep sea"); // stops the moon's timer
    choose("The universe");
    EXPECT_EQ(forms::red(form.MASIC.backColor()), 70);
    wait(600);
    EXPECT_EQ(forms::red(form.MASIC.backColor()), 80);
}

TEST_F(ColourPulse, AStepOutOfTheColourRangeRaisesAnErrorAndWritesNothing) {
    form.ancou1.setBackColor(Colour(0x00FFFFF9));
    choose("The deep sea");
    EXPECT_THROW(wait(300), forms::RuntimeError);
    EXPECT_EQ(form.ancou1.backColor(), Colour(0x00FFFFF9));
    EXPECT_TRUE(form.ended());
}

} // namespace
} // namespace miravel
