#include "desktop/window_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMetaObject>

namespace miravel::desktop {

namespace {

constexpr Qt::WindowStates Enlarged = Qt::WindowMaximized | Qt::WindowFullScreen;

bool compositorSizesWindows() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

} // namespace

void WindowSize::hold(QWidget& window, QSize size) {
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    if (compositorSizesWindows()) {
        window.setMinimumSize(size);
        window.resize(size);
        return;
    }
    window.setFixedSize(size);
    askForNoResizing(window);
    window.installEventFilter(new WindowSize(window, size));
}

WindowSize::WindowSize(QWidget& window, QSize size) : QObject(&window), window_(window), size_(size) {}

bool WindowSize::eventFilter(QObject* watched, QEvent* event) {
    if (watched != &window_) return false;
    if (event->type() == QEvent::WindowStateChange && (window_.windowState() & Enlarged)) {
        // Changed after the event is handled: Qt is still applying this state.
        QMetaObject::invokeMethod(
            this, [this] { window_.setWindowState(window_.windowState() & ~Enlarged); }, Qt::QueuedConnection);
    } else if (event->type() == QEvent::Resize) {
        if (window_.size() == size_) {
            resisted_ = false;
        } else if (!resisted_) {
            resisted_ = true;
            QMetaObject::invokeMethod(
                this, [this] { window_.resize(size_); }, Qt::QueuedConnection);
        }
    }
    return false;
}

} // namespace miravel::desktop
