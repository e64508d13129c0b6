#include "forms/controls.h"

#include "forms/form.h"

#include <cmath>

namespace forms {

void Control::place(Form& form, std::string_view name, int index) {
    form_ = &form;
    name_ = name;
    index_ = index;
    form.adopt(*this);
}

void VisibleControl::place(Form& form, std::string_view name, int index, PictureBox* container) {
    Control::place(form, name, index);
    container_ = container;
    if (container != nullptr) container->adopt(*this);
}

void Timer::setEnabled(bool enabled) {
    if (enabled && !enabled_) due_ = form().scheduler().now() + interval_;
    enabled_ = enabled;
}

void Timer::fire() {
    // The next event is due one Interval on from this one, not from when the
    // handler ends; a handler that disables its own timer cancels it.
    due_ += interval_;
    form().raise(name(), "Timer", onTimer);
}

void Timer::save(ControlState& state) const {
    state.enabled = enabled_;
    state.due = due_;
}

void Timer::restore(const ControlState& state) {
    enabled_ = state.enabled;
    due_ = state.due;
}

void VisibleControl::save(ControlState& state) const {
    state.left = left_;
    state.visible = visible_;
}

void VisibleControl::restore(const ControlState& state) {
    left_ = state.left;
    visible_ = state.visible;
}

void PictureBox::save(ControlState& state) const {
    VisibleControl::save(state);
    state.backColor = backColor_;
}

void PictureBox::restore(const ControlState& state) {
    VisibleControl::restore(state);
    backColor_ = state.backColor;
}

void Label::save(ControlState& state) const {
    VisibleControl::save(state);
    state.caption = caption_;
}

void Label::restore(const ControlState& state) {
    VisibleControl::restore(state);
    caption_ = state.caption;
}

void ComboBox::save(ControlState& state) const {
    VisibleControl::save(state);
    state.text = text_;
}

void ComboBox::restore(const ControlState& state) {
    VisibleControl::restore(state);
    text_ = state.text;
}

void VisibleControl::setArea(const TwipRect& area) {
    left_ = static_cast<float>(area.left);
    top_ = area.top;
    width_ = area.width;
    height_ = area.height;
}

void VisibleControl::repaint() const { form().repaint(*this, area()); }

void VisibleControl::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    repaint();
}

void VisibleControl::setLeft(double left) {
    const float single = static_cast<float>(left);
    if (!std::isfinite(single)) throw RuntimeError::overflow();
    if (single == left_) return;
    if (visible_) repaint();
    left_ = single;
    if (visible_) repaint();
}

void PictureBox::setBackColor(Colour colour) {
    if (!isValidColour(colour)) throw RuntimeError::invalidPropertyValue();
    if (colour == backColor_) return;
    backColor_ = colour;
    if (visible()) repaint();
}

double PictureBox::frame() const { return sunken_ ? 2.0 * TwipsPerPixel : 0.0; }

TwipRect PictureBox::inner() const {
    const TwipRect outer = area();
    return {0, 0, outer.width - 2 * frame(), outer.height - 2 * frame()};
}

void Label::setCaption(std::string caption) {
    if (caption == caption_) return;
    caption_ = std::move(caption);
    if (visible()) repaint();
}

void CommandButton::click() {
    if (onClick) form().raise(name(), "Click", onClick);
}

void ComboBox::choose(std::size_t item) {
    if (item >= items_.size()) return;
    text_ = items_[item];
    if (onClick) form().raise(name(), "Click", onClick);
}

} // namespace forms
