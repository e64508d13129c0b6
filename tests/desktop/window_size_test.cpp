#include "desktop/window_size.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QWindow>

#include <functional>
#include <string>

namespace miravel::desktop {
namespace {

// Off screen, a maximized or full-screen window takes the screen's size as
// an X11 manager would make it; a resize of the native window is the
// manager's own, past what the widget allows.
struct Request {
    std::string name;
    std::function<void(QWidget&)> make;
};

const Request Requests[] = {
    {"maximize", [](QWidget& w) { w.setWindowState(Qt::WindowMaximized); }},
    {"full screen", [](QWidget& w) { w.setWindowState(Qt::WindowFullScreen); }},
    {"both at once", [](QWidget& w) { w.setWindowState(Qt::WindowMaximized | Qt::WindowFullScreen); }},
    {"a manager's resize", [](QWidget& w) { w.windowHandle()->resize(300, 400); }},
};

void settle() {
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
}

TEST(WindowSizeTest, AsksForNoMaximizingNorFullScreen) {
    QWidget window;
    WindowSize::hold(window, QSize(145, 210));
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowFullscreenButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowTitleHint);
    EXPECT_EQ(window.minimumSize(), QSize(145, 210));
    EXPECT_EQ(window.maximumSize(), QSize(145, 210));
}

TEST(WindowSizeTest, EveryEnlargingRequestEndsAtTheOneSize) {
    QWidget window;
    WindowSize::hold(window, QSize(145, 210));
    window.show();
    settle();
    for (const Request& request : Requests) {
        request.make(window);
        settle();
        EXPECT_EQ(window.size(), QSize(145, 210)) << request.name;
        EXPECT_EQ(window.windowHandle()->size(), QSize(145, 210)) << request.name;
        EXPECT_FALSE(window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) << request.name;
    }
}

} // namespace
} // namespace miravel::desktop
