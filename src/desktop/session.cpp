#include "desktop/session.h"

#include "desktop/error_report.h"
#include "desktop/time_text.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace miravel::desktop {

Session::Session(Form1& form, TraceLog* trace, Driver::Clock clock) : form_(form) {
    form_.timeText = localeTimeText();
    // The program ends by "end", by the frame's close or by an error, each with
    // its own status; a message box closing must not end it behind our back.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    window_ = std::make_unique<MainWindow>(form_, [this](const std::function<void()>& action) { perform(action); });
    driver_ = std::make_unique<Driver>(form_.scheduler(), std::move(clock));
    driver_->setErrorHandler([this](const forms::RuntimeError& error) { fail(error); });

    form_.setRepaintObserver([this](const forms::VisibleControl& source, const forms::TwipRect& area) {
        window_->repaint(source.container(), area);
    });
    if (trace) {
        form_.setEventObserver([this, trace](std::string_view control, std::string_view event) {
            // A choice is replayable only with what was chosen.
            const bool choice = control == form_.SelectBg.name();
            trace->record(control, event, choice ? std::string_view(form_.SelectBg.text()) : std::string_view());
        });
        window_->panel().setPaintObserver([trace](long long devicePixels) { trace->recordPaint(devicePixels); });
    }
    // End comes from inside a handler: leave it first, then close. A run-time
    // error also ends the form, and its report decides the status instead.
    form_.setEndObserver([this] { QMetaObject::invokeMethod(this, [this] { finish(); }, Qt::QueuedConnection); });
    connect(window_.get(), &MainWindow::closed, this, [this] { finish(); });
}

bool Session::start() {
    try {
        form_.load();
    } catch (const forms::RuntimeError& error) {
        fail(error);
        return false;
    }
    window_->show();
    driver_->start();
    return true;
}

void Session::perform(const std::function<void()>& action) {
    if (failed_ || form_.ended()) return;
    try {
        driver_->catchUp();
        action();
    } catch (const forms::RuntimeError& error) {
        fail(error);
        return;
    }
    driver_->rearm();
}

void Session::fail(const forms::RuntimeError& error) {
    if (failed_) return;
    failed_ = true;
    reportRuntimeError(error, window_.get());
    window_->hide();
    QCoreApplication::exit(1);
}

void Session::finish() {
    if (failed_ || finished_) return;
    finished_ = true;
    window_->close();
    QCoreApplication::exit(0);
}

} // namespace miravel::desktop
