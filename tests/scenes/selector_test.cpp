#include "support/form1_fixture.h"

namespace miravel {
namespace {

using Selector = testing::Form1Test;
using forms::Colour;

TEST_F(Selector, EachChoicePaintsItsBackgroundShowsItsFirstFramesAndStartsItsTimers) {
    choose("The universe");
    EXPECT_EQ(form.SelectBg.text(), "The universe");
    EXPECT_EQ(form.HAIKEI1.backColor(), Colour(0));
    EXPECT_EQ(shownPictures(), (std::vector<const forms::VisibleControl*>{&form.MASIC, &form.DOSEI, &form.SUISEI}));
    EXPECT_EQ(runningTimers(), (std::vector<const forms::Timer*>{&form.JIKOKU1, &form.masicA}));

    choose("The deep sea");
    EXPECT_EQ(form.HAIKEI1.backColor(), Colour(0x800000));
    EXPECT_EQ(shownPictures(), (std::vector<const forms::VisibleControl*>{&form.ancou1, &form.kame1, &form.combuA}));
    EXPECT_EQ(runningTimers(),
              (std::vector<const forms::Timer*>{&form.JIKOKU1, &form.KAME, &form.ANCOU, &form.COMBU}));

    choose("Eternity");
    EXPECT_EQ(form.HAIKEI1.backColor(), forms::ButtonFace);
    EXPECT_EQ(shownPictures(),
              (std::vector<const forms::VisibleControl*>{&form.Face12A, &form.Face1C, &form.Face12B(1)}));
    EXPECT_EQ(runningTimers(), (std::vector<const forms::Timer*>{&form.JIKOKU1, &form.FACE3, &form.FACE2, &form.FACE1}));
    EXPECT_EQ(form.eternityOn, 1);
}

TEST_F(Selector, ARepeatedChoiceOfTheRunningDeepSeaChangesNothing) {
    choose("The deep sea");
    wait(150 * 9 + 20);
    const float kame2Left = form.kame2.left();
    const auto pictures = shownPictures();
    const Integer count = form.kameCount;
    choose("The deep sea");
    EXPECT_EQ(shownPictures(), pictures);
    EXPECT_EQ(form.kame2.left(), kame2Left);
    EXPECT_EQ(form.kameCount, count);
    EXPECT_EQ(form.KAME.due(), 150 * 10); // still in step
}

TEST_F(Selector, UniverseThenEternityThenUniverseDoesNothingUntilClear) {
    choose("The universe");
    choose("Eternity");
    EXPECT_TRUE(form.masicA.enabled()); // the moon pulses on, unseen
    choose("The universe");
    EXPECT_FALSE(form.DOSEI.visible());
    EXPECT_EQ(form.HAIKEI1.backColor(), forms::ButtonFace);
    form.Command2.click();
    choose("The universe");
    EXPECT_TRUE(form.DOSEI.visible());
    EXPECT_EQ(form.HAIKEI1.backColor(), Colour(0));
}

TEST_F(Selector, DeepSeaThenEternityThenUniverseShowsTheUniverseOverTheRunningFace) {
    choose("The deep sea");
    choose("Eternity");
    wait(300);
    choose("The universe");
    EXPECT_TRUE(form.DOSEI.visible());
    EXPECT_EQ(form.HAIKEI1.backColor(), Colour(0));
    EXPECT_TRUE(form.FACE1.enabled());
    EXPECT_TRUE(form.FACE3.enabled());
    EXPECT_EQ(shown(form.leftEye()).size(), 1u);
}

TEST_F(Selector, ARepeatedEternityResetsTheCountersButStartsNothing) {
    choose("The deep sea");
    wait(150 * 5);
    choose("Eternity");
    EXPECT_EQ(form.kameCount, 0);
    EXPECT_FALSE(form.kame1.visible());
    wait(120);
    choose("Eternity");
    EXPECT_EQ(form.eyeACount, 0);
    EXPECT_EQ(form.mouthCount, 0);
    EXPECT_EQ(form.FACE1.due(), 900); // enabled at 750: its schedule is kept
    EXPECT_EQ(shown(form.leftEye()), (std::vector<int>{10}));
}

TEST_F(Selector, ClearFromEveryStateLeavesTheEmptyWindow) {
    for (const char* scene : {"The universe", "The deep sea", "Eternity"}) {
        form.JIKOKU.click();
        choose(scene);
        wait(20'000);
        form.Command2.click();
        SCOPED_TRACE(scene);
        expectEmpty();
    }
}

TEST_F(Selector, ClearKeepsTheListTextAndThePulsesWhichResumeWhereTheyStopped) {
    choose("The deep sea");
    wait(300 * 4);
    const Colour lure = form.ancou1.backColor();
    EXPECT_EQ(form.ancouStep, -10);
    form.Command2.click();
    EXPECT_EQ(form.SelectBg.text(), "The deep sea");
    EXPECT_EQ(form.ancou1.backColor(), lure);
    EXPECT_EQ(form.ancouStep, -10);
    choose("The deep sea");
    wait(300);
    EXPECT_EQ(form.ancou1.backColor(), lure - Colour(10));
}

TEST_F(Selector, ATextMatchingNoEntryDoesNothing) {
    form.SelectBg.choose(7); // there is no such entry: the text stays empty
    EXPECT_EQ(form.SelectBg.text(), "");
    form.SelectBg_Click();
    EXPECT_TRUE(shownPictures().empty());
}

} // namespace
} // namespace miravel
