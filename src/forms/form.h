#pragma once

#include "forms/checked.h"
#include "forms/controls.h"
#include "forms/scheduler.h"
#include "forms/time_of_day.h"

#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace forms {

// The window's side of the runtime: its controls, its clock, the way events
// reach handlers, End, and the observers through which a binding repaints,
// traces and closes.
class Form {
public:
    // The control whose change is seen, and the area to repaint in its container's twips.
    using RepaintObserver = std::function<void(const VisibleControl& source, const TwipRect& area)>;
    using EventObserver = std::function<void(std::string_view control, std::string_view event)>;

    // Everything a running program may change: the clock, each control's
    // state in definition order, and the form's own variables.
    struct Snapshot {
        Ms now = 0;
        bool ended = false;
        std::vector<ControlState> controls;
        std::vector<Integer> variables;

        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };

    Form() = default;
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form() = default;

    // Every control, in definition order; each registers itself when placed.
    const std::vector<Control*>& controls() const { return controls_; }
    void adopt(Control& control) { controls_.push_back(&control); }
    // A variable of the form's own, kept in its snapshots.
    void keep(Integer& variable) { variables_.push_back(&variable); }

    Scheduler& scheduler() { return scheduler_; }
    const Scheduler& scheduler() const { return scheduler_; }

    // Runs one event's handler to its end. A run-time error leaves the handler,
    // ends the program and goes on to the caller, which reports it. After End
    // no event runs.
    void raise(std::string_view control, std::string_view event, const std::function<void()>& handler);

    // End: the program stops at once; no further event runs.
    void end();
    bool ended() const { return scheduler_.ended(); }

    // A control reports a change to what is seen, in its container's twips.
    void repaint(const VisibleControl& source, const TwipRect& area);

    // Whether a change reported there shows on the screen: not when it lies
    // wholly outside its container's inner area, or under a windowed sibling
    // that covers it, or in a hidden container.
    static bool shows(const VisibleControl& source, const TwipRect& area);

    Snapshot snapshot() const;
    // Puts everything back as the snapshot has it, without a repaint or an event.
    void restore(const Snapshot& snapshot);

    // The first moment after now, up to the horizon, at which the events due
    // then change what is seen, end the program or raise a run-time error. The form is left
    // exactly as it was and its observers hear nothing of the run ahead.
    std::optional<Ms> nextVisibleChange(Ms horizon);

    void setRepaintObserver(RepaintObserver observer) { repaintObserver_ = std::move(observer); }
    void setEventObserver(EventObserver observer) { eventObserver_ = std::move(observer); }
    void setEndObserver(std::function<void()> observer) { endObserver_ = std::move(observer); }

    // The time of day and its text form; a binding or a test may replace either.
    std::function<TimeOfDay()> timeOfDay = currentTimeOfDay;
    std::function<std::string(TimeOfDay)> timeText = defaultTimeText;

private:
    std::vector<Control*> controls_;
    std::vector<Integer*> variables_;
    Scheduler scheduler_;
    RepaintObserver repaintObserver_;
    EventObserver eventObserver_;
    std::function<void()> endObserver_;
    // While running ahead: set when a change would show.
    bool* changeShown_ = nullptr;
};

} // namespace forms
