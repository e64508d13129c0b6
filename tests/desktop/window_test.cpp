#include "desktop/geometry.h"
#include "desktop/session.h"
#include "scene_images.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStyle>
#include <QStyleOptionComboBox>

namespace miravel::desktop {
namespace {

using namespace testing;

class WindowTest : public ::testing::Test {
protected:
    // A clock that moves only when a test moves it; nothing runs on its own.
    WindowTest() : session(form, nullptr, [this] { return now; }) {}

    double now = 0;
    Form1 form;
    Session session;
    MainWindow& window = session.window();
};

TEST_F(WindowTest, HasTheFixedClientSizeAndTitle) {
    ASSERT_TRUE(session.start());
    EXPECT_EQ(window.size(), QSize(145, 210));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "the user cannot resize it";
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Form1"));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_TRUE(window.isVisible());
}

TEST_F(WindowTest, ControlsSitWhereTheLayoutPutsThem) {
    EXPECT_EQ(window.panel().geometry(), QRect(8, 8, 129, 145));
    EXPECT_EQ(window.clearButton().geometry(), QRect(9, 160, 41, 17));
    EXPECT_EQ(window.timeButton().geometry(), QRect(52, 160, 41, 17));
    EXPECT_EQ(window.endButton().geometry(), QRect(96, 160, 41, 17));
    EXPECT_EQ(window.sceneList().geometry(), QRect(8, 184, 97, 20));
    EXPECT_EQ(window.clearButton().text(), QStringLiteral("clear"));
    EXPECT_EQ(window.timeButton().text(), QStringLiteral("time"));
    EXPECT_EQ(window.endButton().text(), QStringLiteral("end"));
    // Captions fit their 17-pixel-high buttons.
    for (QPushButton* button : {&window.clearButton(), &window.timeButton(), &window.endButton()}) {
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.height(), button->height() - 2) << button->text().toStdString();
        EXPECT_LT(metrics.horizontalAdvance(button->text()), button->width() - 4) << button->text().toStdString();
    }
}

TEST_F(WindowTest, ListOffersTheThreeScenesWithNoneChosen) {
    const QComboBox& list = window.sceneList();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.itemText(0), QStringLiteral("The universe"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("The deep sea"));
    EXPECT_EQ(list.itemText(2), QStringLiteral("Eternity"));
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_TRUE(list.currentText().isEmpty());
    EXPECT_FALSE(list.isEditable());
}

TEST_F(WindowTest, EveryChoiceReadsWholeInTheClosedList) {
    QComboBox& list = window.sceneList();
    QStyleOptionComboBox option;
    option.initFrom(&list);
    const QRect field = list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_LE(list.fontMetrics().horizontalAdvance(list.itemText(i)), field.width()) << list.itemText(i).toStdString();
    }
    EXPECT_GE(list.font().pixelSize(), 8) << "still a readable size";
}

TEST_F(WindowTest, TabOrderFollowsTabIndex) {
    const std::vector<QWidget*> expected{&window.panel(), &window.clearButton(), &window.endButton(),
                                         &window.timeButton(), &window.sceneList()};
    QWidget* at = expected.front();
    for (std::size_t i = 1; i < expected.size(); ++i) {
        do {
            at = at->nextInFocusChain();
        } while (at->focusPolicy() == Qt::NoFocus || at->parentWidget() != &window);
        EXPECT_EQ(at, expected[i]) << "stop " << i << " is " << at->objectName().toStdString();
    }
}

TEST_F(WindowTest, UserActionsBecomeTheFormsEvents) {
    std::vector<std::string> events;
    form.setEventObserver([&](std::string_view control, std::string_view event) {
        events.push_back(std::string(control) + "_" + std::string(event));
    });
    ASSERT_TRUE(session.start());
    window.timeButton().click();
    EXPECT_TRUE(form.CLOCK.visible());
    emit window.sceneList().activated(1);
    EXPECT_EQ(form.SelectBg.text(), "The deep sea");
    EXPECT_TRUE(form.KAME.enabled());
    // The turtle's timer is now due: the driver is armed for it.
    EXPECT_TRUE(session.driver().armed());
    window.clearButton().click();
    EXPECT_FALSE(form.CLOCK.visible());
    EXPECT_EQ(events, (std::vector<std::string>{"Form_Load", "JIKOKU_Click", "SelectBg_Click", "Command2_Click"}));
}

TEST_F(WindowTest, ModelChangesRepaintOnlyTheChangedArea) {
    ASSERT_TRUE(session.start());
    ScenePanel& panel = window.panel();
    panel.updateBacking(1.0);
    ASSERT_TRUE(panel.dirtyRegion().isEmpty());

    form.combuA.setVisible(true);
    EXPECT_EQ(panel.dirtyRegion(), QRegion(QRect(8, 112, 32, 29))) << "the kelp, cut at the panel's lower edge";
    panel.updateBacking(1.0);

    form.SUISEI.setVisible(true);
    EXPECT_EQ(panel.dirtyRegion(), QRegion(rectOf(form.SUISEI)));
    panel.updateBacking(1.0);

    form.kame1.setVisible(true); // wholly beyond the right edge
    EXPECT_TRUE(panel.dirtyRegion().isEmpty());

    form.kame1.setLeft(1800);
    EXPECT_EQ(panel.dirtyRegion(), QRegion(rectOf(form.kame1) & panelInnerRect(form)));
    panel.updateBacking(1.0);

    // The panel's own colour is reported on the window: all of the inner area.
    form.HAIKEI1.setBackColor(forms::rgb(0, 0, 0));
    EXPECT_EQ(panel.dirtyRegion(), QRegion(panelInnerRect(form)));
    panel.updateBacking(1.0);

    // Only the dirty part is painted afresh; what was painted stays.
    const QImage before = panel.updateBacking(1.0).copy();
    form.SUISEI.setVisible(false);
    const QImage after = panel.updateBacking(1.0);
    EXPECT_TRUE(rectOf(form.SUISEI).contains(boundingRect(differences(before, after))));
    EXPECT_FALSE(differences(before, after).isEmpty());
}

TEST_F(WindowTest, AUsersActionCountsTheTimersItStartsFromTheMomentOfTheAction) {
    ASSERT_TRUE(session.start());
    now = 130; // the clock's tick at 100 is due but its timer has not expired yet
    int clockTicks = 0;
    form.setEventObserver([&](std::string_view control, std::string_view) { clockTicks += control == "JIKOKU1"; });
    session.perform([&] { form.SelectBg.choose(2); });
    EXPECT_EQ(clockTicks, 1) << "what was due before the action runs before it";
    EXPECT_EQ(form.scheduler().now(), 130);
    EXPECT_EQ(form.FACE1.due(), 180) << "the eyes' first step one Interval after the choice";
}

TEST_F(WindowTest, ARunTimeErrorIsReportedByNumberAndDescription) {
    ASSERT_TRUE(session.start());
    ::testing::internal::CaptureStderr();
    session.perform([] { throw forms::RuntimeError::overflow(); });
    const std::string reported = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(reported, "Miravel: Run-time error '6': Overflow\n");
    EXPECT_TRUE(session.failed());
    // Nothing more reaches the form after the error.
    bool ran = false;
    session.perform([&] { ran = true; });
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace miravel::desktop
