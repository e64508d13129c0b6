#pragma once

#include "scene/form1.h"
#include "scene/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <span>
#include <string_view>
#include <vector>

namespace miravel::testing {

// Form1 loaded on the virtual clock at time 0, with a fixed time of day.
class Form1Test : public ::testing::Test {
protected:
    Form1Test() {
        form.timeOfDay = [this] { return timeOfDay; };
        form.load();
    }

    void choose(std::string_view scene) {
        const auto& names = Form1::SceneNames;
        form.SelectBg.choose(static_cast<std::size_t>(std::find(names.begin(), names.end(), scene) - names.begin()));
    }
    void wait(forms::Ms ms) { form.scheduler().advanceTo(form.scheduler().now() + ms); }
    forms::Ms now() const { return form.scheduler().now(); }

    // The frame numbers (from 1) of the frames on show.
    static std::vector<int> shown(std::span<forms::Image* const> frames) {
        std::vector<int> numbers;
        for (std::size_t i = 0; i < frames.size(); ++i)
            if (frames[i]->visible()) numbers.push_back(static_cast<int>(i) + 1);
        return numbers;
    }

    std::vector<const forms::Timer*> runningTimers() {
        std::vector<const forms::Timer*> running;
        for (const forms::Timer* timer : allTimers())
            if (timer->enabled()) running.push_back(timer);
        return running;
    }

    // Every timer, in definition order.
    std::vector<const forms::Timer*> allTimers() {
        std::vector<const forms::Timer*> timers;
        for (const forms::Control* control : form.controls())
            if (const auto* timer = dynamic_cast<const forms::Timer*>(control)) timers.push_back(timer);
        return timers;
    }

    // Every picture-bearing control inside the panel.
    std::vector<const forms::VisibleControl*> scenePictures() {
        std::vector<const forms::VisibleControl*> pictures;
        for (const forms::VisibleControl* child : form.HAIKEI1.children())
            if (const layout::Row* row = layout::find(child->name()); row->properties.picture)
                pictures.push_back(child);
        return pictures;
    }

    std::vector<const forms::VisibleControl*> shownPictures() {
        std::vector<const forms::VisibleControl*> visible;
        for (const forms::VisibleControl* picture : scenePictures())
            if (picture->visible()) visible.push_back(picture);
        return visible;
    }

    // The state "clear" leaves: no scene picture, no timer but the clock's, the clock hidden.
    void expectEmpty() {
        EXPECT_TRUE(shownPictures().empty());
        const std::vector<const forms::Timer*> onlyTheClock{&form.JIKOKU1};
        EXPECT_EQ(runningTimers(), onlyTheClock);
        EXPECT_FALSE(form.CLOCK.visible());
        EXPECT_EQ(form.HAIKEI1.backColor(), forms::ButtonFace);
    }

    forms::TimeOfDay timeOfDay{9, 41, 7};
    Form1 form;
};

} // namespace miravel::testing
