#include "binding/panel_plan.h"
#include "forms/form.h"
#include "support/form1_fixture.h"

#include <gtest/gtest.h>

#include <ostream>

// Rectangles and steps as a failing check shows them.
namespace forms {
std::ostream& operator<<(std::ostream& out, const PixelRect& r) {
    return out << "(" << r.x << "," << r.y << " " << r.width << "x" << r.height << ")";
}
} // namespace forms

namespace miravel::binding {

void PrintTo(const PanelFill& step, std::ostream* out) {
    *out << "fill " << step.area << " " << forms::bits(step.colour);
}
void PrintTo(const PanelPicture& step, std::ostream* out) {
    *out << "picture " << step.picture << " to " << step.to << " within " << step.clip;
}
void PrintTo(const PanelText& step, std::ostream* out) {
    *out << "text \"" << step.caption << "\" " << step.area << " in " << step.textBox << " within " << step.clip;
}

namespace {

using forms::PixelRect;

forms::TwipRect twips(int x, int y, int width, int height) {
    const int t = forms::TwipsPerPixel;
    return {double(x * t), double(y * t), double(width * t), double(height * t)};
}

forms::Picture picture(forms::Rgb colour) {
    forms::Picture p;
    p.setColour(0, 0, colour);
    return p;
}

// A panel of 100 x 80 pixels holding, in this order: a picture box, an
// image at natural size, the clock-like label, a stretched image. Every
// child overlaps the box, which is windowed and so drawn over all of them.
class PanelPlanTest : public ::testing::Test {
protected:
    PanelPlanTest() {
        panel.place(form, "panel", -1, nullptr);
        panel.setArea(twips(0, 0, 100, 80));
        panel.setBackColor(forms::rgb(0, 0, 0));
        box.place(form, "box", -1, &panel);
        box.setArea(twips(40, 30, 20, 20));
        box.setBackColor(forms::rgb(0, 0, 128));
        box.setPicture(boxPicture);
        natural.place(form, "natural", -1, &panel);
        natural.setArea(twips(30, 20, 40, 40));
        natural.setPicture(naturalPicture);
        label.place(form, "label", -1, &panel);
        label.setArea(twips(45, 70, 49, 17));
        label.setCaption("12:34:56");
        label.setForeColor(forms::rgb(128, 255, 255));
        label.setBackColor(forms::rgb(128, 128, 128));
        stretched.place(form, "stretched", -1, &panel);
        stretched.setArea(twips(50, 35, 17, 17));
        stretched.setStretch(true);
        stretched.setPicture(stretchedPicture);
    }

    static constexpr PixelRect Inner{0, 0, 100, 80};
    const forms::Picture boxPicture = picture({1, 2, 3});
    const forms::Picture naturalPicture = picture({4, 5, 6});
    const forms::Picture stretchedPicture = picture({7, 8, 9});

    forms::Form form;
    forms::PictureBox panel;
    forms::PictureBox box;
    forms::Image natural;
    forms::Label label;
    forms::Image stretched;
};

TEST_F(PanelPlanTest, TheWholePanelDrawsWindowlessChildrenInOrderThenTheWindowedBoxOverThem) {
    const std::vector<PanelStep> expected{
        PanelFill{Inner, forms::rgb(0, 0, 0)},
        // Unstretched: 32 x 32 from its top-left, within its 40 x 40 area.
        PanelPicture{&*natural.picture(), {30, 20, 32, 32}, {30, 20, 40, 40}},
        // Written inside the margins; over the panel's bottom edge, so what
        // lies below it is cut off.
        PanelText{{45, 70, 49, 17}, {46, 70, 47, 17}, "12:34:56", &label.font(), forms::rgb(128, 255, 255),
                  forms::rgb(128, 128, 128), {45, 70, 49, 10}},
        PanelPicture{&*stretched.picture(), {50, 35, 17, 17}, {50, 35, 17, 17}},
        // The box's colour, then its picture cut to its 20 x 20 area.
        PanelFill{{40, 30, 20, 20}, forms::rgb(0, 0, 128)},
        PanelPicture{&*box.picture(), {40, 30, 32, 32}, {40, 30, 20, 20}},
    };
    EXPECT_EQ(planPanel(panel, Inner), expected);
    // Parts are of the inner area: one reaching past it is cut to it.
    EXPECT_EQ(planPanel(panel, {-10, -10, 200, 200}), expected);
}

TEST_F(PanelPlanTest, HiddenChildrenHaveNoStepAndShowAgainOnceVisible) {
    const std::vector<PanelStep> all = planPanel(panel, Inner);
    const struct {
        forms::VisibleControl* child;
        const forms::Picture* picture;
        std::size_t steps;
    } cases[] = {
        {&box, &*box.picture(), 2}, // its colour and its picture
        {&natural, &*natural.picture(), 1},
        {&label, nullptr, 1},
        {&stretched, &*stretched.picture(), 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.child->name());
        c.child->setVisible(false);
        const std::vector<PanelStep> without = planPanel(panel, Inner);
        EXPECT_EQ(without.size(), all.size() - c.steps);
        for (const PanelStep& step : without) {
            if (const auto* p = std::get_if<PanelPicture>(&step)) {
                EXPECT_NE(p->picture, c.picture);
            }
            if (c.child == &label) {
                EXPECT_FALSE(std::holds_alternative<PanelText>(step));
            }
            if (c.child == &box) {
                EXPECT_NE(step, PanelStep(PanelFill{{40, 30, 20, 20}, forms::rgb(0, 0, 128)}));
            }
        }
        c.child->setVisible(true);
    }
    EXPECT_EQ(planPanel(panel, Inner), all);
}

// The whole rectangle each step may touch.
PixelRect reach(const PanelStep& step) {
    if (const auto* fill = std::get_if<PanelFill>(&step)) return fill->area;
    if (const auto* picture = std::get_if<PanelPicture>(&step)) return picture->clip;
    return std::get<PanelText>(step).clip;
}

bool within(const PixelRect& inner, const PixelRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

TEST_F(PanelPlanTest, EveryStepStaysWithinThePartAndAPictureWithinItsControl) {
    // Parts a paint is made of: a corner, a strip across the box, one pixel
    // of the label, the panel's edge, a part reaching past the inner area.
    for (const PixelRect part : {PixelRect{0, 0, 35, 25}, PixelRect{0, 38, 100, 4}, PixelRect{93, 79, 1, 1},
                                 PixelRect{99, 0, 1, 80}, PixelRect{55, 45, 100, 100}}) {
        SCOPED_TRACE(::testing::Message() << part);
        const PixelRect bounds = forms::intersected(part, Inner);
        const std::vector<PanelStep> steps = planPanel(panel, part);
        ASSERT_FALSE(steps.empty());
        EXPECT_EQ(steps.front(), PanelStep(PanelFill{bounds, forms::rgb(0, 0, 0)})) << "the background comes first";
        for (const PanelStep& step : steps) {
            EXPECT_FALSE(reach(step).empty());
            EXPECT_TRUE(within(reach(step), bounds)) << ::testing::PrintToString(step);
            // A picture larger than its control shows only within the control.
            if (const auto* p = std::get_if<PanelPicture>(&step); p && p->picture == &*box.picture()) {
                EXPECT_TRUE(within(p->clip, {40, 30, 20, 20}));
            }
            if (const auto* p = std::get_if<PanelPicture>(&step); p && p->picture == &*natural.picture()) {
                EXPECT_TRUE(within(p->clip, {30, 20, 40, 40}));
            }
        }
    }
}

TEST_F(PanelPlanTest, APartThatMissesAChildHasNoStepForIt) {
    // The top-left corner touches no child: the background alone.
    EXPECT_EQ(planPanel(panel, {0, 0, 30, 20}), std::vector<PanelStep>{PanelFill({0, 0, 30, 20}, forms::rgb(0, 0, 0))});
    // Right of the box, above the label: the natural image and the stretched
    // one only, no text to prepare.
    const std::vector<PanelStep> beside = planPanel(panel, {60, 30, 10, 25});
    ASSERT_EQ(beside.size(), 3u);
    EXPECT_EQ(std::get<PanelPicture>(beside[1]).picture, &*natural.picture());
    EXPECT_EQ(std::get<PanelPicture>(beside[2]).picture, &*stretched.picture());
    // One pixel of the label is enough for its step, clipped to that pixel.
    const std::vector<PanelStep> corner = planPanel(panel, {93, 79, 5, 5});
    ASSERT_EQ(corner.size(), 2u);
    EXPECT_EQ(std::get<PanelText>(corner[1]).clip, (PixelRect{93, 79, 1, 1}));
    // Outside the inner area nothing shows at all.
    EXPECT_TRUE(planPanel(panel, {100, 0, 10, 80}).empty());
    EXPECT_TRUE(planPanel(panel, {0, -5, 100, 5}).empty());
}

TEST_F(PanelPlanTest, ASunkenFrameTakesItsWidthOffTheInnerArea) {
    panel.setSunken(true); // two pixels a side
    EXPECT_EQ(planPanel(panel, {0, 0, 100, 80}).front(), PanelStep(PanelFill{{0, 0, 96, 76}, forms::rgb(0, 0, 0)}));
    EXPECT_TRUE(planPanel(panel, {96, 0, 4, 80}).empty());
}

// The form reports a change in its control's container's coordinates: it
// lands where planPanel draws that part.
TEST_F(PanelPlanTest, AChangeLandsInTheInnerAreaThroughItsContainersPlace) {
    panel.setArea(twips(10, 20, 100, 80));
    panel.setSunken(true); // the inner area, 96 x 76, from the window's (12, 22)
    EXPECT_EQ(changedInPanel(panel, &panel, twips(5, 6, 7, 8)), (PixelRect{5, 6, 7, 8}));
    // On the window: through the panel's place and frame, cut to the inner area.
    EXPECT_EQ(changedInPanel(panel, nullptr, twips(0, 0, 20, 30)), (PixelRect{0, 0, 8, 8}));
    EXPECT_EQ(changedInPanel(panel, nullptr, twips(50, 60, 4, 4)), (PixelRect{38, 38, 4, 4}));
    // In the box, which lies at (40, 30) in the panel.
    EXPECT_EQ(changedInPanel(panel, &box, twips(1, 2, 3, 4)), (PixelRect{41, 32, 3, 4}));
    // Over the inner area's edge, what is left of it; beside it, nothing.
    EXPECT_EQ(changedInPanel(panel, &panel, twips(90, 70, 20, 20)), (PixelRect{90, 70, 6, 6}));
    EXPECT_TRUE(changedInPanel(panel, nullptr, twips(0, 0, 12, 200)).empty());
    EXPECT_TRUE(changedInPanel(panel, &box, twips(60, 0, 10, 10)).empty());
}

// Before the clock's first tick its label shows as an empty grey box.
TEST_F(PanelPlanTest, AnEmptyCaptionStillHasItsLabelFilled) {
    label.setCaption("");
    const std::vector<PanelStep> steps = planPanel(panel, {80, 75, 10, 5});
    ASSERT_EQ(steps.size(), 2u);
    const PanelText& text = std::get<PanelText>(steps[1]);
    EXPECT_TRUE(text.caption.empty());
    EXPECT_EQ(text.clip, (PixelRect{80, 75, 10, 5}));
    EXPECT_EQ(text.back, forms::rgb(128, 128, 128));
}

TEST_F(PanelPlanTest, AnImageWithoutAPictureDrawsNothingAndABoxWithoutOneOnlyItsColour) {
    forms::Image bare;
    bare.place(form, "bare", -1, &panel);
    bare.setArea(twips(0, 0, 10, 10));
    EXPECT_EQ(planPanel(panel, {0, 0, 10, 10}).size(), 1u);

    forms::PictureBox empty;
    empty.place(form, "empty", -1, &panel);
    empty.setArea(twips(0, 0, 10, 10));
    empty.setBackColor(forms::rgb(1, 1, 1));
    EXPECT_EQ(planPanel(panel, {0, 0, 10, 10}),
              (std::vector<PanelStep>{PanelFill{{0, 0, 10, 10}, forms::rgb(0, 0, 0)},
                                      PanelFill{{0, 0, 10, 10}, forms::rgb(1, 1, 1)}}));
}

// The real form: the deep sea's lure box lies over the clock in the lower
// right, and is drawn over it, whichever of them comes first in the panel.
class ScenePlanTest : public miravel::testing::Form1Test {};

TEST_F(ScenePlanTest, TheLureBoxIsDrawnOverTheClockAndTheHiddenUniverseIsAbsent) {
    wait(100);
    choose("The deep sea");
    form.JIKOKU.click();
    const std::vector<PanelStep> steps = planPanel(form.HAIKEI1, forms::toPixels(form.HAIKEI1.inner()));
    std::ptrdiff_t text = -1;
    std::ptrdiff_t lure = -1;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (const auto* t = std::get_if<PanelText>(&steps[i]); t && !t->caption.empty()) text = std::ptrdiff_t(i);
        if (const auto* p = std::get_if<PanelPicture>(&steps[i]); p && p->picture == &*form.ancou1.picture())
            lure = std::ptrdiff_t(i);
        if (const auto* p = std::get_if<PanelPicture>(&steps[i])) {
            EXPECT_NE(p->picture, &*form.DOSEI.picture()) << "the universe's planet is hidden";
        }
    }
    ASSERT_GE(text, 0);
    ASSERT_GE(lure, 0);
    EXPECT_LT(text, lure);
    const PixelRect overlap =
        forms::intersected(forms::toPixels(form.CLOCK.area()), forms::toPixels(form.ancou1.area()));
    EXPECT_FALSE(overlap.empty());
}

} // namespace
} // namespace miravel::binding
