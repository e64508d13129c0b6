#pragma once

#include "desktop/command_line.h"
#include "desktop/driver.h"
#include "desktop/main_window.h"
#include "desktop/trace_log.h"
#include "desktop/wall_clock.h"
#include "scene/form1.h"

#include <QObject>

#include <memory>

namespace miravel::desktop {

// One run of the program: the form wired to its window, its real-time driver
// and the trace. Every event from the user or the clock passes through here,
// so a run-time error is reported once and the program's exit status set.
//
// The road of a click on "clear", from the X server to the screen:
//   1. Qt's xcb plugin reads the button press and release; the QPushButton
//      that MainWindow made for Command2 emits clicked().
//   2. Session (connectControls) runs perform(): Driver::catchUp() first runs
//      every timer event due by now, so the click finds the model up to date.
//   3. CommandButton::click() raises Click through Form::raise(), which tells
//      the trace and runs Form1::Command2_Click().
//   4. Each property the handler changes reports its area: Form::repaint(),
//      the repaint observer set here, MainWindow::repaint(), and
//      ScenePanel::invalidate() marks it dirty and asks Qt for an update.
//   5. Driver::rearm() runs the model ahead on a snapshot to the next change
//      anyone can see and arms its one timer for that moment.
//   6. Qt's paint event: ScenePanel::paintEvent() repaints the dirty area of
//      its backing image with ScenePainter, copies it to the window, and Qt
//      puts the window's image to the X server.
// A timer tick takes the road from step 5: the driver's QTimer expires,
// Driver::tick() runs catchUp() (Scheduler::advanceTo() fires each Timer due,
// in order, at its own virtual moment, through Form::raise() to its handler),
// then steps 4 to 6.
class Session : public QObject {
    Q_OBJECT
public:
    // trace may be null; without a wall clock the system's is read. The form
    // outlives the session.
    Session(Form1& form, TraceLog* trace, Driver::Clock clock = monotonicClock(), WallClock* wall = nullptr);

    // Load, then the window shown and the clock running. False after a
    // run-time error, already reported.
    bool start();

    // What the person asked for at start, pressed and chosen through the
    // window's own controls as by hand.
    void performStartActions(const StartActions& actions);

    // Runs an action from outside the timers (the user's, or a new wall-clock
    // time) on the model brought up to now, then re-arms the clock.
    void perform(const std::function<void()>& action);

    // The wall clock was set or the machine resumed: what was due runs with
    // the old time, then the clock reads the new one.
    void wallClockChanged();

    // Other windows cover the window whole, or no longer; the X server says
    // so under X11 without a compositing manager.
    void setCovered(bool covered);

    MainWindow& window() { return *window_; }
    Driver& driver() { return *driver_; }
    bool failed() const { return failed_; }

private:
    void connectControls();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Tells the driver whether any of the window can be seen: exposed, in
    // Qt's words (mapped, not minimized), and not covered whole.
    void updateShown();
    void fail(const forms::RuntimeError& error);
    void finish();

    Form1& form_;
    std::unique_ptr<WallClock> ownWall_;
    WallClock* wall_ = nullptr;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Driver> driver_;
    bool failed_ = false;
    bool finished_ = false;
    bool clockStarted_ = false;
    bool exposed_ = true;
    bool covered_ = false;
};

} // namespace miravel::desktop
