#pragma once

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
class Session : public QObject {
    Q_OBJECT
public:
    // trace may be null; without a wall clock the system's is read. The form
    // outlives the session.
    Session(Form1& form, TraceLog* trace, Driver::Clock clock = monotonicClock(), WallClock* wall = nullptr);

    // Load, then the window shown and the clock running. False after a
    // run-time error, already reported.
    bool start();

    // Runs one user action, then re-arms the clock.
    void perform(const std::function<void()>& action);

    // The wall clock was set or the machine resumed: what was due runs with
    // the old time, then the clock reads the new one.
    void wallClockChanged();

    MainWindow& window() { return *window_; }
    Driver& driver() { return *driver_; }
    bool failed() const { return failed_; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void fail(const forms::RuntimeError& error);
    void finish();

    Form1& form_;
    std::unique_ptr<WallClock> ownWall_;
    WallClock* wall_ = nullptr;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Driver> driver_;
    bool failed_ = false;
    bool finished_ = false;
};

} // namespace miravel::desktop
