#pragma once

#include "forms/colour.h"
#include "forms/controls.h"
#include "scene/form1.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <variant>

namespace miravel::layout {

// Where a row's control lives in Form1.
using Member = std::variant<forms::Timer Form1::*, forms::Image Form1::*, forms::PictureBox Form1::*,
                            forms::Label Form1::*, forms::CommandButton Form1::*, forms::ComboBox Form1::*,
                            forms::ControlArray<forms::Image> Form1::*>;

// Initial properties; what a row does not set is the kind's ordinary default.
struct Properties {
    bool visible = true;
    forms::Ms interval = 0; // timers, which all start disabled
    forms::Colour backColor = forms::ButtonFace;
    forms::Colour foreColor = forms::WindowText;
    bool stretch = false;
    bool picture = false; // holds its own stored picture, decoded at build
    bool sunken = false;
    std::string_view caption;
    forms::Font font;
    std::span<const std::string_view> items;
    int tabIndex = -1;
};

// The handler of a control's one event: Timer for a timer, Click for a button
// or the list.
using Handler = void (Form1::*)();

// Everything said about one control, once: name (and index in a control
// array), container (none: the window), position and size in twips inside the
// container, initial properties, its event's handler (if it has one) and what
// it is on the screen, in plain words.
struct Row {
    std::string_view name;
    int index;
    Member member;
    forms::PictureBox Form1::*container;
    int left;
    int top;
    int width;
    int height;
    Properties properties;
    Handler handler;
    std::string_view role;

    // The handler's name as the trace writes it: "KAME_Timer", "JIKOKU_Click".
    std::string handlerName() const;
};

// The window's controls in definition order; a container precedes what it holds.
extern const std::array<Row, 59> Rows;

// Creates every control of the table inside its container, with its properties,
// its picture and its handler. Timers are added to the clock in the table's order.
void build(Form1& form);

// The row of the control with that name.
const Row* find(std::string_view name);

} // namespace miravel::layout
