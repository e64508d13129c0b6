#include "desktop/geometry.h"
#include "desktop/session.h"
#include "scene_images.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QKeyEvent>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWheelEvent>

#include <cstdio>
#include <fstream>

namespace miravel::desktop {
namespace {

using namespace testing;

class WindowTest : public ::testing::Test {
protected:
    // A clock that moves only when a test moves it; nothing runs on its own.
    WindowTest() : session(form, nullptr, [this] { return now; }) {}

    // The handlers run from here on, as "SelectBg_Click".
    std::vector<std::string>& recordEvents() {
        form.setEventObserver([this](std::string_view control, std::string_view event) {
            events.push_back(std::string(control) + "_" + std::string(event));
        });
        return events;
    }

    double now = 0;
    Form1 form;
    Session session;
    MainWindow& window = session.window();
    std::vector<std::string> events;
};

void sendKey(QWidget& widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&widget, &press);
    QApplication::sendEvent(&widget, &release);
}

void clickAt(QWidget& widget, QPoint at) {
    QMouseEvent press(QEvent::MouseButtonPress, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, widget.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(&widget, &press);
    QApplication::sendEvent(&widget, &release);
}

// What an assistive technology does with an entry of the closed list: the
// entry's only action.
void actOnEntry(QComboBox& list, int row) {
    QAccessibleInterface* entry = QAccessible::queryAccessibleInterface(&list)->child(0)->child(row);
    QAccessibleActionInterface* actions = entry->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_EQ(actions->actionNames().size(), 1);
    actions->doAction(actions->actionNames().front());
}

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
    EXPECT_EQ(window.button(form.Command2).geometry(), QRect(9, 160, 41, 17));
    EXPECT_EQ(window.button(form.JIKOKU).geometry(), QRect(52, 160, 41, 17));
    EXPECT_EQ(window.button(form.Command3).geometry(), QRect(96, 160, 41, 17));
    EXPECT_EQ(window.list(form.SelectBg).geometry(), QRect(8, 184, 97, 20));
    EXPECT_EQ(window.button(form.Command2).text(), QStringLiteral("clear"));
    EXPECT_EQ(window.button(form.JIKOKU).text(), QStringLiteral("time"));
    EXPECT_EQ(window.button(form.Command3).text(), QStringLiteral("end"));
    // Captions fit their 17-pixel-high buttons.
    for (QPushButton* button : {&window.button(form.Command2), &window.button(form.JIKOKU), &window.button(form.Command3)}) {
        const QFontMetrics metrics(button->font());
        EXPECT_LE(metrics.height(), button->height() - 2) << button->text().toStdString();
        EXPECT_LT(metrics.horizontalAdvance(button->text()), button->width() - 4) << button->text().toStdString();
    }
}

TEST_F(WindowTest, ListOffersTheThreeScenesWithNoneChosen) {
    const QComboBox& list = window.list(form.SelectBg);
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.itemText(0), QStringLiteral("The universe"));
    EXPECT_EQ(list.itemText(1), QStringLiteral("The deep sea"));
    EXPECT_EQ(list.itemText(2), QStringLiteral("Eternity"));
    EXPECT_EQ(list.currentIndex(), -1);
    EXPECT_TRUE(list.currentText().isEmpty());
    EXPECT_FALSE(list.isEditable());
}

TEST_F(WindowTest, EveryChoiceReadsWholeInTheClosedList) {
    QComboBox& list = window.list(form.SelectBg);
    QStyleOptionComboBox option;
    option.initFrom(&list);
    const QRect field = list.style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, &list);
    for (int i = 0; i < list.count(); ++i) {
        EXPECT_LE(list.fontMetrics().horizontalAdvance(list.itemText(i)), field.width()) << list.itemText(i).toStdString();
    }
    EXPECT_GE(list.font().pixelSize(), 8) << "still a readable size";
}

TEST_F(WindowTest, TabOrderFollowsTabIndex) {
    const std::vector<QWidget*> expected{&window.panel(), &window.button(form.Command2), &window.button(form.Command3),
                                         &window.button(form.JIKOKU), &window.list(form.SelectBg)};
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
    window.button(form.JIKOKU).click();
    EXPECT_TRUE(form.CLOCK.visible());
    emit window.list(form.SelectBg).activated(1);
    EXPECT_EQ(form.SelectBg.text(), "The deep sea");
    EXPECT_TRUE(form.KAME.enabled());
    // The turtle's timer is now due: the driver is armed for it.
    EXPECT_TRUE(session.driver().armed());
    window.button(form.Command2).click();
    EXPECT_FALSE(form.CLOCK.visible());
    EXPECT_EQ(events, (std::vector<std::string>{"Form_Load", "JIKOKU_Click", "SelectBg_Click", "Command2_Click"}));
}

TEST_F(WindowTest, SpaceReturnAndEnterPressTheFocusedButton) {
    ASSERT_TRUE(session.start());
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {{Qt::Key_Space, Qt::NoModifier}, {Qt::Key_Return, Qt::NoModifier}, {Qt::Key_Enter, Qt::KeypadModifier}};
    const std::pair<QPushButton*, std::string> buttons[] = {{&window.button(form.JIKOKU), "JIKOKU_Click"},
                                                            {&window.button(form.Command2), "Command2_Click"},
                                                            {&window.button(form.Command3), "Command3_Click"}};
    for (const auto& [button, handler] : buttons) {
        for (const auto& key : keys) {
            recordEvents().clear();
            button->setFocus();
            sendKey(*button, key.key, key.modifiers);
            EXPECT_EQ(events, std::vector<std::string>{handler}) << handler << " by key " << key.key;
        }
    }
}

TEST_F(WindowTest, EveryWayOfChoosingIsOneClickEvenOfTheSameEntry) {
    ASSERT_TRUE(session.start());
    SceneList& list = window.list(form.SelectBg);
    EXPECT_EQ(list.findChild<QAbstractItemView*>(), nullptr) << "the list's window made before anyone needs it";
    // An assistive technology starts listening.
    QAccessible::setActive(true);
    const auto listening = qScopeGuard([] { QAccessible::setActive(false); });
    const auto popupEntry = [&](int row) { return list.view()->visualRect(list.model()->index(row, 0)).center(); };
    const struct {
        const char* how;
        std::function<void()> choose;
        std::string text;
    } timeline[] = {
        {"an arrow key on the closed list", [&] { sendKey(list, Qt::Key_Down); }, "The universe"},
        {"an assistive action", [&] { actOnEntry(list, 2); }, "Eternity"},
        {"the same assistive action again", [&] { actOnEntry(list, 2); }, "Eternity"},
        {"a click in the open list",
         [&] {
             list.showPopup();
             clickAt(*list.view()->viewport(), popupEntry(1));
         },
         "The deep sea"},
        {"a click on the same entry",
         [&] {
             list.showPopup();
             clickAt(*list.view()->viewport(), popupEntry(1));
         },
         "The deep sea"},
        {"Return in the open list",
         [&] {
             list.showPopup();
             sendKey(*list.view(), Qt::Key_Up);
             sendKey(*list.view(), Qt::Key_Return);
         },
         "The universe"},
    };
    for (const auto& step : timeline) {
        recordEvents().clear();
        step.choose();
        QApplication::processEvents();
        EXPECT_EQ(events, std::vector<std::string>{"SelectBg_Click"}) << step.how;
        EXPECT_EQ(form.SelectBg.text(), step.text) << step.how;
        EXPECT_EQ(list.currentText().toStdString(), step.text) << step.how;
        EXPECT_FALSE(list.view()->isVisible()) << step.how;
    }
    // Opening and closing the list chooses nothing.
    recordEvents().clear();
    list.showPopup();
    list.hidePopup();
    QApplication::processEvents();
    EXPECT_TRUE(events.empty());
}

TEST_F(WindowTest, TheWheelOverTheListNeverChooses) {
    ASSERT_TRUE(session.start());
    SceneList& list = window.list(form.SelectBg);
    const auto turn = [&](int notches) {
        const QPointF at = list.rect().center();
        QWheelEvent wheel(at, list.mapToGlobal(at), QPoint(), QPoint(0, 120 * notches), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&list, &wheel);
    };
    recordEvents();
    for (const int notches : {-1, -1, 1, -3}) turn(notches);
    EXPECT_EQ(list.currentIndex(), -1);
    sendKey(list, Qt::Key_Down);
    for (const int notches : {-1, 1, 1}) turn(notches);
    EXPECT_EQ(events, std::vector<std::string>{"SelectBg_Click"}) << "the arrow key's choice only";
    EXPECT_EQ(list.currentText(), QStringLiteral("The universe"));
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

TEST_F(WindowTest, AssistiveTechnologiesSeeTheControlsAndWhatThePanelShows) {
    std::string clockText = "10:00:00";
    form.timeText = [&](forms::TimeOfDay) { return clockText; };
    ASSERT_TRUE(session.start());
    QAccessibleInterface* panel = QAccessible::queryAccessibleInterface(&window.panel());
    EXPECT_EQ(panel->role(), QAccessible::Graphic);
    EXPECT_EQ(panel->text(QAccessible::Name), QStringLiteral("Scene"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&window.list(form.SelectBg));
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Scenes")) << "named before anything is chosen";
    EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("Chooses the scene the panel shows"));

    const auto tick = [&](double to) {
        now = to;
        session.driver().tick();
    };
    const struct {
        const char* step;
        std::function<void()> act;
        const char* description;
    } timeline[] = {
        {"start", [] {}, "Empty."},
        {"time", [&] { window.button(form.JIKOKU).click(); }, "Empty."}, // no text before the clock's first tick
        {"the clock's first tick", [&] { tick(100); }, "Empty. The time is 10:00:00."},
        {"the next second", [&] { clockText = "10:00:01", tick(200); }, "Empty. The time is 10:00:01."},
        {"The deep sea", [&] { emit window.list(form.SelectBg).chosen(1); }, "The deep sea. The time is 10:00:01."},
        {"Eternity", [&] { emit window.list(form.SelectBg).chosen(2); }, "Eternity. The time is 10:00:01."},
        {"The universe", [&] { emit window.list(form.SelectBg).chosen(0); },
         "The universe and Eternity. The time is 10:00:01."},
        {"time", [&] { window.button(form.JIKOKU).click(); }, "The universe and Eternity."},
        {"clear", [&] { window.button(form.Command2).click(); }, "Empty."},
    };
    for (const auto& step : timeline) {
        step.act();
        EXPECT_EQ(panel->text(QAccessible::Description).toStdString(), step.description) << step.step;
    }
}

TEST(TraceLogTest, AWriteErrorIsSaidOnceAndWritingStops) {
    QElapsedTimer since;
    since.start();
    const struct {
        const char* path;
        bool opens;
        const char* said;
    } cases[] = {
        {"/dev/null", true, ""},
        {"/dev/full", true, "miravel: cannot write the trace file '/dev/full': No space left on device\n"},
        {"/nonexistent/trace", false,
         "miravel: cannot write the trace file '/nonexistent/trace': No such file or directory\n"},
    };
    for (const auto& c : cases) {
        TraceLog trace;
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(trace.open(QString::fromUtf8(c.path), since), c.opens) << c.path;
        for (int i = 0; i < 3; ++i)
            trace.record("KAME", "Timer");
        trace.recordPaint(100, 1.0);
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), c.said) << c.path;
        EXPECT_EQ(trace.failed(), *c.said != '\0') << c.path;
        EXPECT_EQ(trace.isOpen(), !trace.failed()) << c.path << ": writing stops at the error";
    }
}

// What the trace says of a person's action and of a covered window, on a
// clock the test moves: the action carries the virtual moment the driver
// caught up to before it, not the time its line happened to be written, and
// covering the window stops the driver's timer until it is seen again.
TEST(TraceLogTest, AnActionIsStampedWithItsVirtualMomentAndCoveringRests) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("trace.jsonl"));
    QElapsedTimer since;
    since.start();
    TraceLog trace;
    ASSERT_TRUE(trace.open(path, since));
    double now = 1000.4; // virtual 0
    Form1 form;
    Session session(form, &trace, [&now] { return now; });
    ASSERT_TRUE(session.start());
    now = 2500.7; // a person clicks 1500.3 ms in; the driver catches up to 1500
    session.window().button(form.JIKOKU).click();
    session.setCovered(true);
    session.setCovered(false);

    // Resting is said when it happens, on the trace's own clock: its ms is
    // left out. The hidden clock's ticks on the way are the driver's tests' matter.
    std::vector<std::string> lines;
    std::ifstream in(path.toStdString());
    for (std::string line; std::getline(in, line);) {
        if (line.find("\"resting\"") != std::string::npos) line = line.substr(line.find(", ") + 2);
        const bool other = line.find("Form_Load") != std::string::npos || line.find("_Timer") != std::string::npos ||
                           line.find("\"wall\"") != std::string::npos;
        if (!other) lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{
                         R"("resting": false})", // armed at the start
                         R"({"ms": 2500.400, "handler": "JIKOKU_Click"})",
                         R"("resting": true})",
                         R"("resting": false})",
                     }));
}

} // namespace
} // namespace miravel::desktop