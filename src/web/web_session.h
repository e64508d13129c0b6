#pragma once

#include "binding/pacer.h"
#include "forms/runtime_error.h"
#include "scene/form1.h"
#include "web/canvas_painter.h"
#include "web/timeout_alarm.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace miravel::web {

// What the person asked for in the address, done once the form has loaded:
// press "time", then choose these entries of the scene list (indexes into
// Form1::SceneNames), in this order.
struct StartActions {
    bool time = false;
    std::vector<std::size_t> scenes;
};

// One run of the program in the page: the form, its controls made on the
// page, the pacing of its clock, the drawing of its panel and the trace.
// Every event from the person or the clock passes through here, so a
// run-time error is said once and the program then stops.
//
// The road of a click on "clear":
//   1. The page's button calls miravel_press() with the button's place in
//      the form's list of controls.
//   2. perform(): the pacer first runs every timer event due by now, so the
//      click finds the model up to date.
//   3. CommandButton::click() raises Click through Form::raise(), which
//      tells the trace and runs Form1::Command2_Click().
//   4. Each property the handler changes reports its area: Form::repaint(),
//      the observer set here, repaint(), which keeps it to draw.
//   5. The pacer runs the model ahead on a snapshot to the next change
//      anyone can see and arms its one timeout for that moment.
//   6. paint(): the areas kept are drawn on the canvas from the panel's
//      plan, all in this one call from the page: one update of the canvas.
// The timeout's expiry takes the road from step 5: wake() has the pacer
// run what is due (Scheduler::advanceTo() fires each timer at its own
// virtual moment, through Form::raise() to its handler), then steps 4 to 6.
class WebSession {
public:
    // The form outlives the session. With tracing, the trace's lines go to
    // the page's console.
    WebSession(Form1& form, bool tracing);
    WebSession(const WebSession&) = delete;
    WebSession& operator=(const WebSession&) = delete;

    // Load, the window made on the page, the clock running, then the start
    // actions done through the page's own controls and the panel drawn.
    // False after a run-time error, already said.
    bool start(const StartActions& actions);

    // What the page tells: a person's press or choice, by the control's
    // place in the form's list; the page shown or hidden; the device pixels
    // under the window changed.
    void press(std::size_t control);
    void choose(std::size_t control, std::size_t item);
    void setShown(bool shown);
    void rescale();

private:
    void makeWindow();
    // Runs an action from outside the timers on the form brought up to now,
    // then re-arms the clock and shows what changed.
    void perform(const std::function<void()>& action);
    // The timeout expired.
    void wake();
    void repaint(const forms::VisibleControl& source, const forms::TwipRect& area);
    // Shows what changed since the last call: the areas kept drawn in one
    // go, the panel's description told again, and the end, if it came.
    void show();
    void fail(const forms::RuntimeError& error);
    bool over() const { return failed_ || form_.ended(); }
    void trace(const std::string& line) const;

    Form1& form_;
    bool tracing_;
    TimeoutAlarm alarm_;
    binding::Pacer pacer_;
    CanvasPainter painter_;
    // Areas of the panel's inner area to draw afresh, in logical pixels.
    std::vector<forms::PixelRect> dirty_;
    std::string description_;
    bool clockStarted_ = false;
    bool failed_ = false;
    bool closed_ = false;
};

} // namespace miravel::web
