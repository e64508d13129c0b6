#pragma once

#include "forms/controls.h"
#include "forms/scheduler.h"
#include "forms/time_of_day.h"

#include <functional>
#include <string_view>
#include <vector>

namespace forms {

// The window's side of the runtime: its clock, the way events reach handlers,
// End, and the observers through which a binding repaints, traces and closes.
class Form {
public:
    using RepaintObserver = std::function<void(const PictureBox* container, const TwipRect& area)>;
    using EventObserver = std::function<void(std::string_view control, std::string_view event)>;

    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    // Every control, in definition order; each registers itself when placed.
    const std::vector<Control*>& controls() const { return controls_; }
    void adopt(Control& control) { controls_.push_back(&control); }

    Scheduler& scheduler() { return scheduler_; }
    const Scheduler& scheduler() const { return scheduler_; }

    // Runs one event's handler to its end. A run-time error leaves the handler,
    // ends the program and goes on to the caller, which reports it. After End
    // no event runs.
    void raise(std::string_view control, std::string_view event, const std::function<void()>& handler);

    // End: the program stops at once; no further event runs.
    void end();
    bool ended() const { return scheduler_.ended(); }

    void repaint(const PictureBox* container, const TwipRect& area) const {
        if (repaintObserver_) repaintObserver_(container, area);
    }

    void setRepaintObserver(RepaintObserver observer) { repaintObserver_ = std::move(observer); }
    void setEventObserver(EventObserver observer) { eventObserver_ = std::move(observer); }
    void setEndObserver(std::function<void()> observer) { endObserver_ = std::move(observer); }

    // The time of day and its text form; a binding or a test may replace either.
    std::function<TimeOfDay()> timeOfDay = currentTimeOfDay;
    std::function<std::string(TimeOfDay)> timeText = defaultTimeText;

private:
    std::vector<Control*> controls_;
    Scheduler scheduler_;
    RepaintObserver repaintObserver_;
    EventObserver eventObserver_;
    std::function<void()> endObserver_;
};

} // namespace forms
