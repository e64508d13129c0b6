#include "web/web_session.h"

#include "binding/error_text.h"
#include "binding/panel_plan.h"
#include "binding/scene_description.h"
#include "binding/trace_lines.h"
#include "web/page.h"

#include <algorithm>
#include <utility>

namespace miravel::web {

namespace {

// The words a screen reader says for the panel and the list, as on the desktop.
constexpr std::string_view PanelLabel = "Scene";
constexpr std::string_view ListLabel = "Scenes";
constexpr std::string_view Ended = "Miravel has ended. Reload the page to start it again.";

bool contains(const forms::PixelRect& outer, const forms::PixelRect& inner) {
    return outer.x <= inner.x && outer.y <= inner.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

} // namespace

WebSession::WebSession(Form1& form, bool tracing)
    : form_(form), tracing_(tracing), alarm_([this] { wake(); }), pacer_(form_, page::now, alarm_) {
    form_.timeText = page::timeText;
    // The time of day of the handler's own moment, however late or early it
    // runs, on the wall clock as it stands now.
    form_.timeOfDay = [this] { return page::timeOfDay(pacer_.monotonicOfNow() + page::wallNow() - page::now()); };
    form_.setRepaintObserver(
        [this](const forms::VisibleControl& source, const forms::TwipRect& area) { repaint(source, area); });
    pacer_.events().failed = [this](const forms::RuntimeError& error) { fail(error); };
    if (!tracing_) return;
    form_.setEventObserver([this](std::string_view control, std::string_view event) {
        // A choice is replayable only with what was chosen.
        const std::string_view text =
            control == form_.SelectBg.name() ? std::string_view(form_.SelectBg.text()) : std::string_view();
        // Stamped with the virtual moment it ran at (see the desktop's
        // session); Load runs before that clock starts.
        trace(binding::handlerLine(clockStarted_ ? pacer_.monotonicOfNow() : page::now(), control, event, text));
    });
    pacer_.events().offsetShifted = [this](double offset) {
        trace(binding::virtualZeroLine(pacer_.monotonicOfNow(), offset));
    };
    pacer_.events().restingChanged = [this](bool resting) { trace(binding::restingLine(page::now(), resting)); };
}

bool WebSession::start(const StartActions& actions) {
    makeWindow();
    try {
        form_.load();
    } catch (const forms::RuntimeError& error) {
        fail(error);
        return false;
    }
    pacer_.start();
    clockStarted_ = true;
    trace(binding::virtualZeroLine(page::now(), pacer_.offset()));
    // A page opened in a tab behind others is not seen yet.
    if (!page::shown()) pacer_.setShown(false);
    rescale();
    if (actions.time) page::press(form_.JIKOKU.name());
    for (const std::size_t scene : actions.scenes) page::choose(form_.SelectBg.name(), static_cast<int>(scene));
    return !over();
}

// The page's elements in the layout's tab order, each at its place: the
// panel, the buttons and the list.
void WebSession::makeWindow() {
    std::vector<std::pair<int, std::size_t>> stops;
    const auto& controls = form_.controls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const auto* visible = dynamic_cast<const forms::VisibleControl*>(controls[i]);
        if (visible && visible->container() == nullptr) stops.emplace_back(visible->tabIndex(), i);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [tabIndex, i] : stops) {
        const auto& control = static_cast<const forms::VisibleControl&>(*controls[i]);
        const forms::PixelRect area = forms::toPixels(control.area());
        const int index = static_cast<int>(i);
        switch (control.kind()) {
        case forms::ControlKind::PictureBox:
            page::addPanel(control.name(), PanelLabel, area,
                           forms::toPixels(static_cast<const forms::PictureBox&>(control).frame()));
            break;
        case forms::ControlKind::CommandButton:
            page::addButton(index, control.name(), static_cast<const forms::CommandButton&>(control).caption(), area);
            break;
        case forms::ControlKind::ComboBox:
            page::addList(index, control.name(), ListLabel, static_cast<const forms::ComboBox&>(control).items(), area);
            break;
        default:
            break;
        }
    }
}

void WebSession::press(std::size_t control) {
    auto* button = dynamic_cast<forms::CommandButton*>(form_.controls().at(control));
    if (button) perform([button] { button->click(); });
}

void WebSession::choose(std::size_t control, std::size_t item) {
    auto* list = dynamic_cast<forms::ComboBox*>(form_.controls().at(control));
    if (list && item < list->items().size()) perform([list, item] { list->choose(item); });
}

void WebSession::perform(const std::function<void()>& action) {
    if (over()) return;
    try {
        pacer_.catchUp();
        action();
    } catch (const forms::RuntimeError& error) {
        fail(error);
        return;
    }
    pacer_.rearm();
    show();
}

void WebSession::wake() {
    pacer_.tick();
    show();
}

// Hidden, the pacer catches up and arms nothing; shown again, it catches up
// to the present, which is drawn at once.
void WebSession::setShown(bool shown) {
    if (over()) return;
    pacer_.setShown(shown);
    show();
}

// The device pixels under the window changed: the canvas is made afresh for
// them and drawn whole.
void WebSession::rescale() {
    if (over()) return;
    const forms::PixelRect inner = forms::toPixels(form_.HAIKEI1.inner());
    painter_.setGrid(binding::DeviceGrid{page::ratio()}, inner);
    dirty_.assign(1, inner);
    show();
}

void WebSession::repaint(const forms::VisibleControl& source, const forms::TwipRect& area) {
    const forms::PixelRect pixels = binding::changedInPanel(form_.HAIKEI1, source.container(), area);
    if (pixels.empty()) return;
    // Frames stacked at one place report the same area in turn: drawn once.
    if (std::any_of(dirty_.begin(), dirty_.end(), [&](const forms::PixelRect& r) { return contains(r, pixels); }))
        return;
    std::erase_if(dirty_, [&](const forms::PixelRect& r) { return contains(pixels, r); });
    dirty_.push_back(pixels);
}

void WebSession::show() {
    if (closed_) return;
    if (!dirty_.empty()) {
        long long covered = 0;
        for (const forms::PixelRect& part : dirty_) covered += painter_.paint(form_.HAIKEI1, part);
        dirty_.clear();
        trace(binding::paintLine(page::now(), covered, pacer_.monotonicOfNow()));
    }
    std::string description = binding::sceneDescription(form_);
    if (description != description_) {
        description_ = std::move(description);
        page::describePanel(description_);
    }
    // "end": the window closes, and nothing runs any more.
    if (form_.ended() && !failed_) {
        closed_ = true;
        alarm_.stop();
        page::close(Ended);
    }
}

// A run-time error ends the program, as on the desktop, with its message in
// the window's place.
void WebSession::fail(const forms::RuntimeError& error) {
    if (failed_) return;
    failed_ = true;
    closed_ = true;
    alarm_.stop();
    const std::string text = binding::runtimeErrorText(error);
    page::close(text + ". " + std::string(Ended));
}

void WebSession::trace(const std::string& line) const {
    if (tracing_) page::trace(line);
}

} // namespace miravel::web
