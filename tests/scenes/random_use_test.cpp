#include "support/form1_fixture.h"

#include <random>

namespace miravel {
namespace {

// Thousands of random sessions of choices, "time" and "clear" with random
// waits between them: no run-time error ever, and every "clear" leaves the
// empty window.
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

    void expectScenesConsistent() {
        // Each animation pair shows at most one frame while its timer runs.
        if (form.KAME.enabled()) {
            EXPECT_NE(form.kame1.visible(), form.kame2.visible());
        }
        if (form.COMBU.enabled()) {
            EXPECT_NE(form.combuA.visible(), form.combuB.visible());
        }
        EXPECT_TRUE(form.kameCount >= 0 && form.kameCount <= 8);
        EXPECT_TRUE(form.masicStep == 10 || form.masicStep == -10);
        EXPECT_TRUE(form.ancouStep == 10 || form.ancouStep == -10);
        EXPECT_TRUE(form.eyeACount >= 0 && form.eyeACount <= 12);
        EXPECT_TRUE(form.mouthCount >= 0 && form.mouthCount <= 19);
    }
};

TEST_F(RandomUse, ThousandsOfSessionsOverHoursOfVirtualTimeNeverFail) {
    std::mt19937 random(20261208);
    for (int action = 0; action < 5000 && !HasFailure(); ++action) {
        ASSERT_NO_THROW(act(random));
        ASSERT_NO_THROW(wait(pause(random)));
        expectScenesConsistent();
    }
    EXPECT_FALSE(form.ended());
    EXPECT_GT(now(), 24 * 3600 * 1000 / 2);
}

} // namespace
} // namespace miravel
