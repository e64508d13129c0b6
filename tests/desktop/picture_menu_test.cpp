#include "desktop/geometry.h"
#include "desktop/picture_menu.h"
#include "desktop/scene_painter.h"
#include "desktop/session.h"
#include "desktop/stay_on_top.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTemporaryDir>

namespace miravel::desktop {
namespace {

class PictureMenuTest : public ::testing::Test {
protected:
    PictureMenuTest() : session(form, nullptr, [this] { return now; }) {
        EXPECT_TRUE(session.start());
        session.performStartActions({.time = false, .scenes = {1}});
    }

    ScenePanel& panel() { return session.window().panel(); }
    QMenu* menu() { return panel().findChild<QMenu*>(QStringLiteral("pictureMenu")); }

    void press(QWidget& widget, int key, Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&widget, &press);
    }

    // The scene as the painter alone draws it, for the picture to be held against.
    QImage painted() {
        QImage image(panelInnerRect(form).size(), QImage::Format_RGB32);
        QPainter painter(&image);
        ScenePainter().paint(painter, form, QRegion(image.rect()));
        return image;
    }

    double now = 0;
    Form1 form;
    Session session;
};

TEST_F(PictureMenuTest, OpensFromTheMouseTheMenuKeyAndShiftF10AndIsMadeOnlyThen) {
    EXPECT_EQ(menu(), nullptr) << "made before anyone asked";
    const struct {
        QContextMenuEvent::Reason reason;
        bool shiftF10;
    } ways[] = {{QContextMenuEvent::Mouse, false}, {QContextMenuEvent::Keyboard, false}, {{}, true}};
    for (const auto& way : ways) {
        if (way.shiftF10) {
            press(panel(), Qt::Key_F10, Qt::ShiftModifier);
        } else {
            QContextMenuEvent event(way.reason, QPoint(20, 20), panel().mapToGlobal(QPoint(20, 20)));
            QApplication::sendEvent(&panel(), &event);
        }
        ASSERT_NE(menu(), nullptr);
        EXPECT_TRUE(menu()->isVisible());
        menu()->hide();
    }
    QStringList entries;
    for (const QAction* action : menu()->actions()) {
        if (!action->isSeparator()) entries << action->text() + u'|' + action->shortcut().toString();
    }
    EXPECT_EQ(entries, (QStringList{"Copy picture|Ctrl+C", "Save picture...|Ctrl+S", "Stay on top|"}));
    EXPECT_EQ(menu()->accessibleName(), QStringLiteral("Picture"));
}

// The offscreen platform has no other windows to stay above: the entry is
// there, but cannot be chosen.
TEST_F(PictureMenuTest, StayOnTopIsOfferedOnlyWhereTheDesktopCanDoIt) {
    panel().menu().popup(QPoint(0, 0));
    const auto* onTop = menu()->findChild<QAction*>(QStringLiteral("stayOnTop"));
    ASSERT_NE(onTop, nullptr);
    EXPECT_TRUE(onTop->isCheckable());
    EXPECT_EQ(onTop->isEnabled(), canStayOnTop());
    EXPECT_FALSE(canStayOnTop());
    QWidget& window = session.window();
    setStaysOnTop(window, true);
    EXPECT_TRUE(staysOnTop(window));
    EXPECT_TRUE(window.isVisible()) << "a change of flags hides a widget; this must not";
    setStaysOnTop(window, false);
    EXPECT_FALSE(staysOnTop(window));
}

TEST_F(PictureMenuTest, CtrlCCopiesWhatThePanelShowsWhereverTheFocusIs) {
    for (QWidget* focus :
         {static_cast<QWidget*>(&panel()), static_cast<QWidget*>(&session.window().button(form.JIKOKU))}) {
        QGuiApplication::clipboard()->clear();
        press(*focus, Qt::Key_C, Qt::ControlModifier);
        const QImage copied = QGuiApplication::clipboard()->image();
        ASSERT_FALSE(copied.isNull()) << focus->objectName().toStdString();
        EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32), painted());
    }
}

TEST_F(PictureMenuTest, SavesThePictureOfTheMomentItWasAskedFor) {
    QTemporaryDir folder;
    const QImage asked = painted();
    press(panel(), Qt::Key_S, Qt::ControlModifier);
    auto* dialog = session.window().findChild<QFileDialog*>(QStringLiteral("saveDialog"));
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->selectedFiles().front().contains(QRegularExpression("/miravel-\\d{8}-\\d{6}\\.png$")))
        << dialog->selectedFiles().front().toStdString();
    // The scene goes on while the dialog is open.
    session.window().button(form.Command2).click();
    const QString path = folder.filePath(QStringLiteral("scene.png"));
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // the dialog's Save button
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), asked);
    EXPECT_EQ(session.window().findChild<QMessageBox*>(QStringLiteral("saveFailed")), nullptr);
}

TEST_F(PictureMenuTest, AFileThatCannotBeWrittenIsSaidAndTheRunGoesOn) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("missing/scene.png"));
    panel().menu().save();
    auto* dialog = session.window().findChild<QFileDialog*>(QStringLiteral("saveDialog"));
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(path);
    static_cast<QDialog*>(dialog)->accept(); // the dialog's Save button
    auto* message = session.window().findChild<QMessageBox*>(QStringLiteral("saveFailed"));
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->text().contains(QDir::toNativeSeparators(path))) << message->text().toStdString();
    EXPECT_TRUE(message->text().contains(QStringLiteral("No such file or directory")));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(session.window().isVisible());
    EXPECT_TRUE(form.KAME.enabled()) << "the scene stopped";
}

TEST(WritePicture, WritesWholeOrSaysWhyNot) {
    QTemporaryDir folder;
    QImage picture(6, 4, QImage::Format_RGB32);
    picture.fill(Qt::darkBlue);
    picture.setPixel(5, 3, qRgb(0, 255, 255));
    const QString kept = folder.filePath(QStringLiteral("kept.png"));
    QFile(kept).open(QIODevice::WriteOnly);
    QDir(folder.path()).mkdir(QStringLiteral("folder.png"));
    const struct {
        QString path;
        QString reason;
    } rows[] = {
        {folder.filePath(QStringLiteral("new.png")), {}},
        {kept, {}},
        {folder.filePath(QStringLiteral("no/such/folder.png")), QStringLiteral("No such file or directory")},
        {folder.filePath(QStringLiteral("folder.png")), QStringLiteral("directory")},
    };
    for (const auto& row : rows) {
        const QString reason = writePicture(picture, row.path);
        EXPECT_TRUE(row.reason.isEmpty() ? reason.isEmpty() : reason.contains(row.reason, Qt::CaseInsensitive))
            << row.path.toStdString() << ": " << reason.toStdString();
        if (row.reason.isEmpty()) {
            EXPECT_EQ(QImage(row.path).convertToFormat(QImage::Format_RGB32), picture);
        }
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2) << "a failed write left a file behind";
}

TEST(PicturePath, IsNamedByTheMomentInTheFolder) {
    const QDateTime taken(QDate(2026, 1, 2), QTime(3, 4, 5));
    EXPECT_EQ(suggestedPicturePath(QStringLiteral("/home/ann/Pictures"), taken),
              QStringLiteral("/home/ann/Pictures/miravel-20260102-030405.png"));
    EXPECT_TRUE(QDir(pictureFolder()).exists());
}

} // namespace
} // namespace miravel::desktop
