#include "forms/checked.h"
#include "forms/colour.h"
#include "forms/controls.h"
#include "forms/form.h"

#include <gtest/gtest.h>

namespace {

using forms::Integer;
using forms::Long;

int overflowNumber(const auto& action) {
    try {
        action();
    } catch (const forms::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST(CheckedArithmetic, IntegerRaisesOverflowAtItsBoundsInsteadOfWrapping) {
    EXPECT_EQ((Integer(32766) + Integer(1)).value(), 32767);
    EXPECT_EQ(overflowNumber([] { return Integer(32767) + Integer(1); }), 6);
    EXPECT_EQ((Integer(-32767) - Integer(1)).value(), -32768);
    EXPECT_EQ(overflowNumber([] { return Integer(-32768) - Integer(1); }), 6);
    EXPECT_EQ(overflowNumber([] { return -Integer(-32768); }), 6);
    EXPECT_EQ((-Integer(-10)).value(), 10);
    EXPECT_EQ(overflowNumber([] { return Integer(40000); }), 6);
}

TEST(CheckedArithmetic, LongRaisesOverflowAtItsBounds) {
    EXPECT_EQ((Long(2147483646) + Long(1)).value(), 2147483647);
    EXPECT_EQ(overflowNumber([] { return Long(2147483647) + Long(1); }), 6);
    EXPECT_EQ(overflowNumber([] { return Long(-2147483647 - 1) + Long(-1); }), 6);
}

TEST(Colours, ComponentsSystemColoursAndRgb) {
    EXPECT_EQ(forms::rgb(0, 0, 0), Long(0));
    EXPECT_EQ(forms::rgb(255, 1, 9).value(), 0x0901FF);
    EXPECT_EQ(forms::rgb(9, 1, 255).value(), 0xFF0109);
    EXPECT_EQ(forms::red(Long(0xFF0109)), 9);
    EXPECT_EQ(forms::green(Long(0xFF0109)), 1);
    EXPECT_EQ(forms::blue(Long(0xFF0109)), 255);
    EXPECT_TRUE(forms::isSystemColour(forms::ButtonFace));
    EXPECT_LT(forms::ButtonFace, Long(0)); // signed, as the pulses compare it
    EXPECT_EQ(forms::systemColourIndex(forms::ButtonFace), 0x0F);
    EXPECT_EQ(overflowNumber([] { return forms::rgb(256, 0, 0); }), 380);
}

TEST(Colours, BackColorRefusesValuesTheRuntimeCannotShow) {
    forms::Form form;
    forms::PictureBox box;
    box.place(form, "box", -1, nullptr);
    box.setBackColor(Long(0x00FFFFFF));
    box.setBackColor(forms::ButtonFace);
    EXPECT_EQ(overflowNumber([&] { box.setBackColor(Long(0x00FFFFFF) + Long(10)); }), 380);
    EXPECT_EQ(overflowNumber([&] { box.setBackColor(forms::systemColour(0x40)); }), 380);
    EXPECT_EQ(box.backColor(), forms::ButtonFace); // nothing written
}

TEST(Twips, EdgesRoundToTheNearestPixelAndFramesAtOnePlaceCoverTheSamePixels) {
    EXPECT_EQ(forms::toPixels(1950), 130);
    EXPECT_EQ(forms::toPixels(-250), -17);
    const forms::PixelRect eye = forms::toPixels(forms::TwipRect{120, 720, 730, 250});
    EXPECT_EQ(eye, (forms::PixelRect{8, 48, 49, 17}));
    const forms::PixelRect moved = forms::toPixels(forms::TwipRect{1900, 360, 490, 490});
    EXPECT_EQ(moved.x + moved.width, forms::toPixels(1900 + 490));
}

class ControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel.place(form, "panel", -1, nullptr);
        image.place(form, "image", -1, &panel);
        image.setArea({100, 200, 480, 480});
        form.setRepaintObserver([this](const forms::VisibleControl& source, const forms::TwipRect& area) {
            repaints.push_back(area);
            EXPECT_EQ(source.container(), &panel);
        });
    }

    forms::Form form;
    forms::PictureBox panel;
    forms::Image image;
    std::vector<forms::TwipRect> repaints;
};

TEST_F(ControlsTest, VisibleChangesRepaintTheControlsAreaOnlyWhenTheyChangeSomething) {
    image.setVisible(false);
    image.setVisible(false);
    image.setVisible(true);
    ASSERT_EQ(repaints.size(), 2u);
    EXPECT_EQ(repaints[0], (forms::TwipRect{100, 200, 480, 480}));
}

TEST_F(ControlsTest, MovingAShownImageRepaintsWhereItWasAndWhereItIs) {
    image.setLeft(50);
    ASSERT_EQ(repaints.size(), 2u);
    EXPECT_EQ(repaints[0].left, 100);
    EXPECT_EQ(repaints[1].left, 50);
    image.setVisible(false);
    repaints.clear();
    image.setLeft(0);
    EXPECT_TRUE(repaints.empty()); // a hidden control draws nothing
}

TEST_F(ControlsTest, LeftIsSinglePrecisionAndRefusesWhatIsNoNumber) {
    image.setLeft(0.1);
    EXPECT_EQ(image.left(), 0.1f);
    EXPECT_EQ(overflowNumber([&] { image.setLeft(1e39); }), 6);
    EXPECT_EQ(image.left(), 0.1f);
}

TEST(ControlArrays, AnElementIsFoundOnlyByItsIndex) {
    forms::ControlArray<forms::Image> array;
    forms::Image& one = array.add(1);
    EXPECT_EQ(&array(1), &one);
    EXPECT_EQ(array.find(0), nullptr);
    EXPECT_EQ(overflowNumber([&] { array(0); }), 340);
}

} // namespace
