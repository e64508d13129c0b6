#include "desktop/session.h"

#include "desktop/error_report.h"
#include "desktop/time_text.h"
#include "desktop/cover_watch.h"
#include "desktop/paint_room.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWindow>

namespace miravel::desktop {

Session::Session(Form1& form, TraceLog* trace, Driver::Clock clock, WallClock* wall) : form_(form), wall_(wall) {
    if (wall_ == nullptr) {
        ownWall_ = std::make_unique<SystemWallClock>(clock);
        wall_ = ownWall_.get();
    }
    connect(wall_, &WallClock::changed, this, &Session::wallClockChanged);
    form_.timeText = localeTimeText();
    // The program ends by "end", by the frame's close or by an error, each with
    // its own status; a message box closing must not end it behind our back.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    window_ = std::make_unique<MainWindow>(form_);
    connectControls();
    driver_ = std::make_unique<Driver>(form_, std::move(clock));
    driver_->setErrorHandler([this](const forms::RuntimeError& error) { fail(error); });
    // The time of day of the handler's own moment, however late or early it runs.
    form_.timeOfDay = [this] { return wall_->at(driver_->monotonicOfNow()); };

    form_.setRepaintObserver([this](const forms::VisibleControl& source, const forms::TwipRect& area) {
        window_->repaint(source.container(), area);
    });
    if (trace) {
        form_.setEventObserver([this, trace](std::string_view control, std::string_view event) {
            // A choice is replayable only with what was chosen.
            const bool choice = control == form_.SelectBg.name();
            const std::string_view text = choice ? std::string_view(form_.SelectBg.text()) : std::string_view();
            // Each handler is stamped with the virtual moment it ran at: a
            // timer's own, perhaps in a batch at a later wake-up; a user's
            // action the one the driver caught up to before it, which a loaded
            // machine may leave well behind the moment the line is written.
            // Load runs before that clock starts.
            if (clockStarted_) {
                trace->record(control, event, text, driver_->monotonicOfNow());
            } else {
                trace->record(control, event, text);
            }
        });
        window_->panel().setPaintObserver(
            [this, trace](long long devicePixels) { trace->recordPaint(devicePixels, driver_->monotonicOfNow()); });
        // A replay keeps the real run's timers only if it knows where a stall moved them.
        // Stamped with the moment the shift took, the one the runs due by then
        // ran at on the new clock: each line on either side of it then reads
        // on its own clock, however long writing them took.
        connect(driver_.get(), &Driver::offsetShifted, this,
                [this, trace](double offset) { trace->recordVirtualZero(offset, driver_->monotonicOfNow()); });
        connect(driver_.get(), &Driver::restingChanged, this, [trace](bool resting) { trace->recordResting(resting); });
    }
    // End comes from inside a handler: leave it first, then close. A run-time
    // error also ends the form, and its report decides the status instead.
    form_.setEndObserver([this] {
        QMetaObject::invokeMethod(
            this, [this] { finish(); }, Qt::QueuedConnection);
    });
    connect(window_.get(), &MainWindow::closed, this, [this] { finish(); });
}

bool Session::start() {
    try {
        form_.load();
    } catch (const forms::RuntimeError& error) {
        fail(error);
        return false;
    }
    // Listening before the window is mapped, so that the server says at once
    // when it is mapped under other windows.
    if (CoverWatch* cover = CoverWatch::watch(*window_))
        connect(cover, &CoverWatch::coveredChanged, this, &Session::setCovered);
    window_->show();
    makeRoomForPaints(window_->size() * window_->devicePixelRatioF());
    // Minimized, on another workspace: nothing can be seen, so nothing need wake.
    window_->windowHandle()->installEventFilter(this);
    driver_->start();
    clockStarted_ = true;
    return true;
}

void Session::performStartActions(const StartActions& actions) {
    if (actions.time) window_->button(form_.JIKOKU).click();
    for (const std::size_t scene : actions.scenes) window_->list(form_.SelectBg).choose(static_cast<int>(scene));
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

// A press of a button, a choice in the list: each is one click of its control.
void Session::connectControls() {
    for (forms::Control* control : form_.controls()) {
        if (control->kind() == forms::ControlKind::CommandButton) {
            auto& button = static_cast<forms::CommandButton&>(*control);
            connect(&window_->button(button), &QPushButton::clicked, this,
                    [this, &button] { perform([&button] { button.click(); }); });
        } else if (control->kind() == forms::ControlKind::ComboBox) {
            auto& list = static_cast<forms::ComboBox&>(*control);
            connect(&window_->list(list), &SceneList::chosen, this, [this, &list](int item) {
                perform([&list, item] { list.choose(static_cast<std::size_t>(item)); });
            });
        }
    }
}

void Session::wallClockChanged() {
    perform([this] { wall_->retie(); });
}

bool Session::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Expose && watched == window_->windowHandle()) {
        exposed_ = window_->windowHandle()->isExposed();
        updateShown();
    }
    return QObject::eventFilter(watched, event);
}

// The server tells of a change of visibility before it asks for the areas
// uncovered to be drawn: the form has caught up, and marked what changed,
// before Qt paints them.
void Session::setCovered(bool covered) {
    covered_ = covered;
    updateShown();
}

void Session::updateShown() {
    if (failed_ || form_.ended()) return;
    driver_->setShown(exposed_ && !covered_);
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
