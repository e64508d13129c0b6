// What a person is told in words, by a screen reader or an error's message.

#include "binding/error_text.h"
#include "binding/scene_description.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <string>

namespace miravel::binding {
namespace {

// The panel described as it changes, its clock's text made by the binding.
TEST(SceneDescription, SaysTheScenesInTheListsOrderAndTheTimeWhileShown) {
    Form1 form;
    std::string clockText = "10:00:00";
    form.timeText = [&](forms::TimeOfDay) { return clockText; };
    form.load();
    const auto wait = [&](forms::Ms ms) { form.scheduler().advanceTo(form.scheduler().now() + ms); };
    const struct {
        const char* step;
        std::function<void()> act;
        const char* description;
    } timeline[] = {
        {"loaded", [] {}, "Empty."},
        {"time", [&] { form.JIKOKU.click(); }, "Empty."}, // no text before the clock's first tick
        {"the clock's first tick", [&] { wait(100); }, "Empty. The time is 10:00:00."},
        {"Eternity", [&] { form.SelectBg.choose(2); }, "Eternity. The time is 10:00:00."},
        {"the deep sea under it", [&] { clockText = "午前10:00:01", wait(1000), form.SelectBg.choose(1); },
         "The deep sea and Eternity. The time is 午前10:00:01."},
        {"the universe instead", [&] { form.SelectBg.choose(0); },
         "The universe and Eternity. The time is 午前10:00:01."},
        {"time again", [&] { form.JIKOKU.click(); }, "The universe and Eternity."},
        {"clear", [&] { form.Command2.click(); }, "Empty."},
    };
    for (const auto& step : timeline) {
        step.act();
        EXPECT_EQ(sceneDescription(form), step.description) << step.step;
    }
}

TEST(ErrorText, NamesTheErrorByNumberAndDescription) {
    EXPECT_EQ(runtimeErrorText(forms::RuntimeError::overflow()), "Run-time error '6': Overflow");
    EXPECT_EQ(runtimeErrorText(forms::RuntimeError::invalidPicture("KAME", "100% of %1 é")),
              "Run-time error '481': Invalid picture in KAME: 100% of %1 é");
}

} // namespace
} // namespace miravel::binding
