#pragma once

#include "forms/colour.h"
#include "forms/controls.h"
#include "scene/form1.h"

#include <array>
#include <span>
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

// One control: name (and index in a control array), container (none: the
// window), position and size in twips inside the container, initial properties.
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
};

// The window's controls in definition order; a container precedes what it holds.
extern const std::array<Row, 59> Rows;

// Creates every control of the table inside its container, with its properties
// and its picture. Timers are added to the clock in the table's order.
void build(Form1& form);

} // namespace miravel::layout
