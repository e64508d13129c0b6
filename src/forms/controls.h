#pragma once

#include "forms/colour.h"
#include "forms/picture.h"
#include "forms/scheduler.h"
#include "forms/twips.h"

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace forms {

class Form;
class PictureBox;

// What a running program may change in a control, as a snapshot of the form
// keeps it; each kind fills in its own part.
struct ControlState {
    bool enabled = false; // a timer
    Ms due = 0;
    float left = 0; // a control with an area
    bool visible = false;
    Colour backColor = ButtonFace; // a picture box
    std::string caption;           // a label
    std::string text;              // a list

    friend bool operator==(const ControlState&, const ControlState&) = default;
};

// The kinds of control the runtime has; a control tells its own, so that a
// painter or a window walking the form's tree treats each as what it is.
enum class ControlKind { Timer, Image, PictureBox, Label, CommandButton, ComboBox };

// What every control has: a name (and an index in a control array) and the
// form that owns it. Placing a control registers it with its form, so the form
// lists its controls in definition order.
class Control {
public:
    Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control() = default;

    void place(Form& form, std::string_view name, int index);

    const std::string& name() const { return name_; }
    int index() const { return index_; } // -1 outside a control array
    virtual ControlKind kind() const = 0;

    // The control's changeable state, and that state put back as it was,
    // without a repaint or an event: the form's look-ahead leaves no trace.
    virtual void save(ControlState& state) const = 0;
    virtual void restore(const ControlState& state) = 0;

protected:
    Form& form() const { return *form_; }

private:
    Form* form_ = nullptr;
    std::string name_;
    int index_ = -1;
};

class Timer : public Control {
public:
    ControlKind kind() const override { return ControlKind::Timer; }
    void setInterval(Ms interval) { interval_ = interval; }
    Ms interval() const { return interval_; }

    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    std::function<void()> onTimer;

    void save(ControlState& state) const override;
    void restore(const ControlState& state) override;

    // Scheduler's side.
    bool running() const { return enabled_ && interval_ > 0; }
    Ms due() const { return due_; }
    void fire();

private:
    Ms interval_ = 0;
    Ms due_ = 0;
    bool enabled_ = false;
};

// A control with an area on the screen, inside a picture box or on the form
// itself. Writes that change what is seen report the area to repaint to the
// form.
class VisibleControl : public Control {
public:
    // Also registers the control with its container (none: the form itself).
    void place(Form& form, std::string_view name, int index, PictureBox* container);
    const PictureBox* container() const { return container_; }

    // A windowed control has a window of its own and is drawn over every
    // windowless sibling (an image, a label), whatever their order.
    bool windowed() const { return kind() != ControlKind::Image && kind() != ControlKind::Label; }

    void save(ControlState& state) const override;
    void restore(const ControlState& state) override;

    TwipRect area() const { return {left_, top_, width_, height_}; }
    void setArea(const TwipRect& area);

    bool visible() const { return visible_; }
    void setVisible(bool visible);

    int tabIndex() const { return tabIndex_; }
    void setTabIndex(int tabIndex) { tabIndex_ = tabIndex; }

    float left() const { return left_; }
    // Left is single precision, as in the original; a result that is no number raises overflow.
    void setLeft(double left);

protected:
    void repaint() const;

private:
    PictureBox* container_ = nullptr;
    float left_ = 0;
    double top_ = 0;
    double width_ = 0;
    double height_ = 0;
    bool visible_ = true;
    int tabIndex_ = -1;
};

// A windowless picture: drawn by its container, under every windowed sibling.
class Image : public VisibleControl {
public:
    ControlKind kind() const override { return ControlKind::Image; }
    bool stretch() const { return stretch_; }
    void setStretch(bool stretch) { stretch_ = stretch; }

    const std::optional<Picture>& picture() const { return picture_; }
    void setPicture(const Picture& picture) { picture_ = picture; }

private:
    std::optional<Picture> picture_;
    bool stretch_ = false;
};

// A windowed box that paints its BackColor, then its picture at natural size,
// and may contain other controls.
class PictureBox : public VisibleControl {
public:
    ControlKind kind() const override { return ControlKind::PictureBox; }

    // What the box holds, in definition order.
    const std::vector<VisibleControl*>& children() const { return children_; }
    void adopt(VisibleControl& child) { children_.push_back(&child); }

    Colour backColor() const { return backColor_; }
    void setBackColor(Colour colour);

    Colour foreColor() const { return foreColor_; }
    void setForeColor(Colour colour) { foreColor_ = colour; }

    bool sunken() const { return sunken_; }
    void setSunken(bool sunken) { sunken_ = sunken; }

    // Inner (client) area: the box less its frame, in the box's own twips.
    TwipRect inner() const;
    // The frame's width on each side, in twips.
    double frame() const;

    void save(ControlState& state) const override;
    void restore(const ControlState& state) override;

    const std::optional<Picture>& picture() const { return picture_; }
    void setPicture(const Picture& picture) { picture_ = picture; }

private:
    std::vector<VisibleControl*> children_;
    std::optional<Picture> picture_;
    Colour backColor_ = ButtonFace;
    Colour foreColor_ = WindowText;
    bool sunken_ = false;
};

struct Font {
    std::string_view face;
    double points = 8.25;
    int weight = 400;
    bool italic = false;
};

// A windowless text, drawn by its container.
class Label : public VisibleControl {
public:
    ControlKind kind() const override { return ControlKind::Label; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string caption);

    Colour backColor() const { return backColor_; }
    void setBackColor(Colour colour) { backColor_ = colour; }
    Colour foreColor() const { return foreColor_; }
    void setForeColor(Colour colour) { foreColor_ = colour; }
    const Font& font() const { return font_; }
    void setFont(const Font& font) { font_ = font; }

    void save(ControlState& state) const override;
    void restore(const ControlState& state) override;

private:
    std::string caption_;
    Colour backColor_ = ButtonFace;
    Colour foreColor_ = WindowText;
    Font font_;
};

class CommandButton : public VisibleControl {
public:
    ControlKind kind() const override { return ControlKind::CommandButton; }
    const std::string& caption() const { return caption_; }
    void setCaption(std::string_view caption) { caption_ = caption; }

    // A press by the user.
    void click();
    std::function<void()> onClick;

private:
    std::string caption_;
};

// A drop-down list (style 2): the user picks an entry and cannot type.
class ComboBox : public VisibleControl {
public:
    ControlKind kind() const override { return ControlKind::ComboBox; }
    std::span<const std::string_view> items() const { return items_; }
    void setItems(std::span<const std::string_view> items) { items_ = items; }

    // The chosen entry's text, empty until the user picks one.
    const std::string& text() const { return text_; }

    // A choice by the user: the text becomes the entry's, then Click is raised.
    void choose(std::size_t item);
    std::function<void()> onClick;

    void save(ControlState& state) const override;
    void restore(const ControlState& state) override;

private:
    std::span<const std::string_view> items_;
    std::string text_;
};

// Controls sharing one name, told apart by their index, as Name(index).
template <typename T> class ControlArray {
public:
    T& add(int index) { return elements_[index]; }

    // The element with that index; there is no element without one.
    T* find(int index) {
        auto it = elements_.find(index);
        return it == elements_.end() ? nullptr : &it->second;
    }
    const T* find(int index) const {
        auto it = elements_.find(index);
        return it == elements_.end() ? nullptr : &it->second;
    }
    T& operator()(int index) {
        if (T* element = find(index)) return *element;
        throw RuntimeError(340, "Control array element '" + std::to_string(index) + "' doesn't exist");
    }

private:
    std::map<int, T> elements_;
};

} // namespace forms

namespace forms {

// A handler's "hide A, B and C" or "disable X and Y", in the order given.
inline void setVisible(std::span<VisibleControl* const> controls, bool visible) {
    for (VisibleControl* control : controls) control->setVisible(visible);
}
inline void setEnabled(std::span<Timer* const> timers, bool enabled) {
    for (Timer* timer : timers) timer->setEnabled(enabled);
}

} // namespace forms
