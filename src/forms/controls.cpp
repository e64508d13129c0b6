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

void VisibleControl::setArea(const TwipRect& area) {
    left_ = static_cast<float>(area.left);
    top_ = area.top;
    width_ = area.width;
    height_ = area.height;
}

void VisibleControl::repaint() const { form().repaint(container(), area()); }

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

TwipRect PictureBox::inner() const {
    const double frame = sunken_ ? 2.0 * TwipsPerPixel : 0.0;
    const TwipRect outer = area();
    return {0, 0, outer.width - 2 * frame, outer.height - 2 * frame};
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
