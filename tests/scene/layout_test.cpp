#include "scene/layout.h"
#include "support/form1_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Timers, buttons and the list have a handler each, their own; nothing else has one.
TEST(Layout, EveryTimerButtonAndTheListHasAHandlerOfItsOwn) {
    std::vector<layout::Handler> handlers; // member function pointers have no order, only equality
    std::set<std::string> names;
    for (const layout::Row& row : layout::Rows) {
        const bool hasEvent = std::holds_alternative<forms::Timer Form1::*>(row.member) ||
                              std::holds_alternative<forms::CommandButton Form1::*>(row.member) ||
                              std::holds_alternative<forms::ComboBox Form1::*>(row.member);
        EXPECT_EQ(row.handler != nullptr, hasEvent) << row.name;
        EXPECT_FALSE(row.role.empty()) << row.name;
        if (row.handler == nullptr) continue;
        EXPECT_EQ(std::find(handlers.begin(), handlers.end(), row.handler), handlers.end())
            << row.name << " shares its handler";
        handlers.push_back(row.handler);
        EXPECT_TRUE(names.insert(row.handlerName()).second) << row.handlerName();
    }
    EXPECT_EQ(handlers.size(), 19u);
    EXPECT_EQ(layout::find("KAME")->handlerName(), "KAME_Timer");
    EXPECT_EQ(layout::find("Command2")->handlerName(), "Command2_Click");
    EXPECT_EQ(layout::find("nothing"), nullptr);
}

class BuiltForm : public ::testing::Test {
protected:
    Form1 form; // built, not loaded

    const forms::VisibleControl* visibleControl(const layout::Row& row) {
        for (const forms::Control* control : form.controls())
            if (control->name() == row.name) return dynamic_cast<const forms::VisibleControl*>(control);
        return nullptr;
    }
};

TEST_F(BuiltForm, TheFormAndEachContainerListWhatTheyHoldInDefinitionOrder) {
    ASSERT_EQ(form.controls().size(), layout::Rows.size());
    std::vector<const forms::Control*> inPanel;
    for (std::size_t i = 0; i < layout::Rows.size(); ++i) {
        EXPECT_EQ(form.controls()[i]->name(), layout::Rows[i].name);
        EXPECT_EQ(form.controls()[i]->index(), layout::Rows[i].index);
        if (layout::Rows[i].container == &Form1::HAIKEI1) inPanel.push_back(form.controls()[i]);
    }
    EXPECT_EQ(std::vector<const forms::Control*>(form.HAIKEI1.children().begin(), form.HAIKEI1.children().end()),
              inPanel);
    EXPECT_TRUE(form.MASIC.children().empty());
    EXPECT_EQ(form.CLOCK.container(), &form.HAIKEI1);
    EXPECT_EQ(form.Face12B(1).container(), &form.HAIKEI1);
    EXPECT_EQ(form.SelectBg.container(), nullptr);
    EXPECT_TRUE(form.MASIC.windowed());
    EXPECT_FALSE(form.CLOCK.windowed());
    EXPECT_FALSE(form.DOSEI.windowed());
}

TEST_F(BuiltForm, ControlsTakeTheirRowsPlacesVisibilityAndTabIndex) {
    for (const layout::Row& row : layout::Rows) {
        const forms::VisibleControl* control = visibleControl(row);
        if (control == nullptr) continue; // a timer
        EXPECT_EQ(control->area(),
                  (forms::TwipRect{double(row.left), double(row.top), double(row.width), double(row.height)}))
            << row.name;
        EXPECT_EQ(control->visible(), row.properties.visible) << row.name;
        EXPECT_EQ(control->tabIndex(), row.properties.tabIndex) << row.name;
        if (const auto* box = dynamic_cast<const forms::PictureBox*>(control)) {
            EXPECT_EQ(box->backColor(), row.properties.backColor) << row.name;
            EXPECT_EQ(box->foreColor(), row.properties.foreColor) << row.name;
        }
        if (const auto* label = dynamic_cast<const forms::Label*>(control)) {
            EXPECT_EQ(label->backColor(), row.properties.backColor) << row.name;
            EXPECT_EQ(label->foreColor(), row.properties.foreColor) << row.name;
        }
    }
    EXPECT_EQ(form.JIKOKU.caption(), "time");
    EXPECT_EQ(form.Command2.caption(), "clear");
    EXPECT_EQ(form.Command3.caption(), "end");
    ASSERT_EQ(form.SelectBg.items().size(), 3u);
    EXPECT_EQ(form.SelectBg.items()[0], "The universe");
    EXPECT_EQ(form.SelectBg.items()[1], "The deep sea");
    EXPECT_EQ(form.SelectBg.items()[2], "Eternity");
    EXPECT_EQ(form.SelectBg.text(), "");
    EXPECT_EQ(form.kame1.left(), 1950.0f);
    EXPECT_EQ(form.HAIKEI1.backColor(), forms::ButtonFace);
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
        const forms::VisibleControl* control = visibleControl(row);
        bool holds = false;
        if (const auto* image = dynamic_cast<const forms::Image*>(control)) holds = image->picture().has_value();
        if (const auto* box = dynamic_cast<const forms::PictureBox*>(control)) holds = box->picture().has_value();
        EXPECT_EQ(holds, row.properties.picture) << row.name;
    }
    EXPECT_EQ(withPicture, 38); // and the window's icon makes 39
    EXPECT_EQ(form.Face12B.find(0), nullptr);
}

TEST_F(BuiltForm, NothingRunsAndNothingShowsBeforeLoad) {
    EXPECT_FALSE(form.scheduler().nextDue());
    form.scheduler().advanceTo(60'000);
    EXPECT_EQ(form.CLOCK.caption(), "");
    for (const forms::VisibleControl* child : form.HAIKEI1.children()) EXPECT_FALSE(child->visible()) << child->name();
    EXPECT_TRUE(form.HAIKEI1.visible());
}

TEST_F(BuiltForm, TabIndicesNumberTheFocusableControlsWithoutGaps) {
    std::set<int> indices;
    for (const layout::Row& row : layout::Rows) {
        if (row.properties.tabIndex >= 0) {
            EXPECT_TRUE(indices.insert(row.properties.tabIndex).second) << row.name;
        }
    }
    EXPECT_EQ(indices, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(form.HAIKEI1.tabIndex(), 0);
    EXPECT_EQ(form.SelectBg.tabIndex(), 7);
}

} // namespace
} // namespace miravel
