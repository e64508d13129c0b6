#include "forms/form.h"

namespace forms {

namespace {

bool overlaps(const PixelRect& a, const PixelRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

bool contains(const PixelRect& outer, const PixelRect& inner) {
    return outer.x <= inner.x && outer.y <= inner.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

} // namespace

void Form::raise(std::string_view control, std::string_view event, const std::function<void()>& handler) {
    if (ended()) return;
    if (eventObserver_ && !changeShown_) eventObserver_(control, event);
    try {
        handler();
    } catch (const RuntimeError&) {
        end();
        throw;
    }
}

void Form::end() {
    if (ended()) return;
    scheduler_.end();
    if (endObserver_ && !changeShown_) endObserver_();
}

void Form::repaint(const VisibleControl& source, const TwipRect& area) {
    if (changeShown_) {
        *changeShown_ = *changeShown_ || shows(source, area);
        return;
    }
    if (repaintObserver_) repaintObserver_(source, area);
}

// Compared in whole pixels, as the screen has them, so that a change the
// rounding puts on screen is never taken for one off it.
bool Form::shows(const VisibleControl& source, const TwipRect& area) {
    const PictureBox* box = source.container();
    if (box == nullptr) return true; // on the window itself
    if (!box->visible()) return false;
    const PixelRect pixels = toPixels(area);
    if (!overlaps(pixels, toPixels(box->inner()))) return false;
    if (source.windowed()) return true; // drawn over every windowless sibling
    for (const VisibleControl* sibling : box->children()) {
        if (sibling->windowed() && sibling->visible() && contains(toPixels(sibling->area()), pixels)) return false;
    }
    return true;
}

Form::Snapshot Form::snapshot() const {
    Snapshot snapshot{scheduler_.now(), scheduler_.ended(), std::vector<ControlState>(controls_.size()), {}};
    for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->save(snapshot.controls[i]);
    snapshot.variables.reserve(variables_.size());
    for (const Integer* variable : variables_) snapshot.variables.push_back(*variable);
    return snapshot;
}

void Form::restore(const Snapshot& snapshot) {
    scheduler_.restore(snapshot.now, snapshot.ended);
    for (std::size_t i = 0; i < controls_.size(); ++i) controls_[i]->restore(snapshot.controls[i]);
    for (std::size_t i = 0; i < variables_.size(); ++i) *variables_[i] = snapshot.variables[i];
}

std::optional<Ms> Form::nextVisibleChange(Ms horizon) {
    const Snapshot before = snapshot();
    bool shown = false;
    changeShown_ = &shown;
    std::optional<Ms> found;
    try {
        for (std::optional<Ms> due = scheduler_.nextDue(); due && *due <= horizon; due = scheduler_.nextDue()) {
            scheduler_.advanceTo(*due);
            if (shown || scheduler_.ended()) {
                found = due;
                break;
            }
        }
    } catch (const RuntimeError&) {
        found = scheduler_.now();
    }
    changeShown_ = nullptr;
    restore(before);
    return found;
}

} // namespace forms
