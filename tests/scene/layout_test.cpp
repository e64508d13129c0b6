#include "scene/layout.h"
#include "support/form1_fixture.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace miravel {
namespace {

TEST(Layout, HoldsEveryControlOnceWithItsKindAndContainer) {
    std::map<std::size_t, int> kinds; // variant index -> count
    std::set<std::string_view> names;
    for (const layout::Row& row : layout::Rows) {
        ++kinds[row.member.index()];
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
    EXPECT_EQ(kinds[0], 15); // timers
    EXPECT_EQ(kinds[1], 35); // images
    EXPECT_EQ(kinds[6], 1);  // the image array Face12B
    EXPECT_EQ(kinds[2], 3);  // picture boxes
    EXPECT_EQ(kinds[3], 1);  // label
    EXPECT_EQ(kinds[4], 3);  // buttons
    EXPECT_EQ(kinds[5], 1);  // list

    // Rows 1 to 20 sit on the window, 21 to 59 inside the panel, which comes first.
    for (std::size_t i = 0; i < layout::Rows.size(); ++i) {
        const bool inPanel = layout::Rows[i].container == &Form1::HAIKEI1;
        EXPECT_EQ(inPanel, i >= 20) << layout::Rows[i].name;
    }
    EXPECT_EQ(layout::Rows[19].name, "HAIKEI1");
}

class BuiltForm : public ::testing::Test {
protected:
    Form1 form; // built, not loaded
};

TEST_F(BuiltForm, ControlsCarryTheirPlacesCaptionsAndEntries) {
    EXPECT_EQ(form.JIKOKU.caption(), "time");
    EXPECT_EQ(form.Command2.caption(), "clear");
    EXPECT_EQ(form.Command3.caption(), "end");
    ASSERT_EQ(form.SelectBg.items().size(), 3u);
    EXPECT_EQ(form.SelectBg.items()[0], "The universe");
    EXPECT_EQ(form.SelectBg.items()[1], "The deep sea");
    EXPECT_EQ(form.SelectBg.items()[2], "Eternity");
    EXPECT_EQ(form.SelectBg.text(), "");

    EXPECT_EQ(form.HAIKEI1.area(), (forms::TwipRect{120, 120, 1930, 2170}));
    EXPECT_EQ(form.CLOCK.area(), (forms::TwipRect{1110, 1800, 735, 255}));
    EXPECT_EQ(form.Face1C.area(), (forms::TwipRect{660, 1360, 630, 440}));
    EXPECT_EQ(form.Face12B(1).area(), (forms::TwipRect{1080, 720, 730, 250}));
    EXPECT_EQ(form.kame1.left(), 1950.0f);
    EXPECT_EQ(form.CLOCK.container(), &form.HAIKEI1);
    EXPECT_EQ(form.Face12B(1).container(), &form.HAIKEI1);
    EXPECT_EQ(form.SelectBg.container(), nullptr);

    EXPECT_EQ(form.MASIC.backColor().value(), 0x0000FF00);
    EXPECT_EQ(form.ancou1.backColor().value(), 0x00FF00FF);
    EXPECT_EQ(form.HAIKEI1.backColor(), forms::ButtonFace);
    EXPECT_EQ(form.CLOCK.backColor().value(), 0x00808080);
    EXPECT_EQ(form.CLOCK.foreColor().value(), 0x00FFFFC0);
    EXPECT_TRUE(form.CLOCK.font().italic);
    EXPECT_TRUE(form.HAIKEI1.sunken());
    EXPECT_FALSE(form.combuA.stretch());
    EXPECT_TRUE(form.SUISEI.stretch());
}

TEST_F(BuiltForm, EveryPictureBearingControlHoldsItsPictureAndOnlyTheFaceArrayHasAnIndex) {
    int withPicture = 0;
    for (const layout::Row& row : layout::Rows) {
        withPicture += row.properties.picture;
        EXPECT_EQ(row.index, row.name == "Face12B" ? 1 : -1) << row.name;
    }
    EXPECT_EQ(withPicture, 38); // and the window's icon makes 39
    EXPECT_TRUE(form.MASIC.picture().has_value());
    EXPECT_TRUE(form.Face12B(1).picture().has_value());
    EXPECT_FALSE(form.HAIKEI1.picture().has_value());
    EXPECT_EQ(form.Face12B.find(0), nullptr);
}

TEST_F(BuiltForm, NothingRunsAndNothingShowsBeforeLoad) {
    EXPECT_FALSE(form.scheduler().nextDue());
    form.scheduler().advanceTo(60'000);
    EXPECT_EQ(form.CLOCK.caption(), "");
    for (const layout::Row& row : layout::Rows) {
        if (row.container == &Form1::HAIKEI1) {
            EXPECT_FALSE(row.properties.visible) << row.name;
        }
    }
    EXPECT_TRUE(form.HAIKEI1.visible());
}

TEST_F(BuiltForm, TabOrderFollowsTheLayout) {
    EXPECT_EQ(form.HAIKEI1.tabIndex(), 0);
    EXPECT_EQ(form.MASIC.tabIndex(), 1);
    EXPECT_EQ(form.ancou1.tabIndex(), 2);
    EXPECT_EQ(form.Command2.tabIndex(), 3);
    EXPECT_EQ(form.Command3.tabIndex(), 4);
    EXPECT_EQ(form.JIKOKU.tabIndex(), 5);
    EXPECT_EQ(form.CLOCK.tabIndex(), 6);
    EXPECT_EQ(form.SelectBg.tabIndex(), 7);
}

} // namespace
} // namespace miravel
