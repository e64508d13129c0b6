#include "scene/layout.h"

#include "scene/picture.h"
#include "scene/stored_pictures.h"

namespace miravel::layout {

namespace {

using forms::ButtonFace;
using forms::Colour;

constexpr forms::PictureBox Form1::*Window = nullptr;
constexpr forms::PictureBox Form1::*Panel = &Form1::HAIKEI1;

constexpr Properties Frame{.visible = false, .stretch = true, .picture = true};
constexpr Properties Unstretched{.visible = false, .stretch = false, .picture = true};
constexpr Properties Stopped(forms::Ms interval) { return {.interval = interval}; }

constexpr forms::Font ClockFont{.face = "Curlz MT", .points = 9.75, .weight = 400, .italic = true};

} // namespace

// clang-format off
const std::array<Row, 59> Rows{{
    {"SelectBg", -1, &Form1::SelectBg, Window, 120, 2760, 1455, 300, {.items = Form1::SceneNames, .tabIndex = 7}},
    {"JIKOKU1",  -1, &Form1::JIKOKU1,  Window, 0, 0, 0, 0, Stopped(100)},
    {"JIKOKU",   -1, &Form1::JIKOKU,   Window, 780, 2400, 615, 255, {.caption = "time", .tabIndex = 5}},
    {"FIN",      -1, &Form1::FIN,      Window, 0, 0, 0, 0, Stopped(10)},
    {"Command3", -1, &Form1::Command3, Window, 1440, 2400, 615, 255, {.caption = "end", .tabIndex = 4}},
    {"MOVE2",    -1, &Form1::MOVE2,    Window, 0, 0, 0, 0, Stopped(8000)},
    {"FACE3E",   -1, &Form1::FACE3E,   Window, 0, 0, 0, 0, Stopped(100)},
    {"FACE3S",   -1, &Form1::FACE3S,   Window, 0, 0, 0, 0, Stopped(100)},
    {"MOVE1",    -1, &Form1::MOVE1,    Window, 0, 0, 0, 0, Stopped(5000)},
    {"FACE2E",   -1, &Form1::FACE2E,   Window, 0, 0, 0, 0, Stopped(50)},
    {"FACE1E",   -1, &Form1::FACE1E,   Window, 0, 0, 0, 0, Stopped(50)},
    {"FACE3",    -1, &Form1::FACE3,    Window, 0, 0, 0, 0, Stopped(100)},
    {"FACE2",    -1, &Form1::FACE2,    Window, 0, 0, 0, 0, Stopped(50)},
    {"FACE1",    -1, &Form1::FACE1,    Window, 0, 0, 0, 0, Stopped(50)},
    {"Command2", -1, &Form1::Command2, Window, 135, 2400, 615, 255, {.caption = "clear", .tabIndex = 3}},
    {"KAME",     -1, &Form1::KAME,     Window, 0, 0, 0, 0, Stopped(150)},
    {"ANCOU",    -1, &Form1::ANCOU,    Window, 0, 0, 0, 0, Stopped(300)},
    {"COMBU",    -1, &Form1::COMBU,    Window, 0, 0, 0, 0, Stopped(1000)},
    {"masicA",   -1, &Form1::masicA,   Window, 0, 0, 0, 0, Stopped(600)},
    {"HAIKEI1",  -1, &Form1::HAIKEI1,  Window, 120, 120, 1930, 2170, {.backColor = ButtonFace, .sunken = true, .tabIndex = 0}},
    {"MASIC",    -1, &Form1::MASIC,    Panel, 1320, 960, 480, 480, {.visible = false, .backColor = Colour(0x0000FF00), .picture = true, .tabIndex = 1}},
    {"ancou1",   -1, &Form1::ancou1,   Panel, 1320, 1680, 480, 480, {.visible = false, .backColor = Colour(0x00FF00FF), .foreColor = forms::WindowText, .picture = true, .tabIndex = 2}},
    {"CLOCK",    -1, &Form1::CLOCK,    Panel, 1110, 1800, 735, 255, {.visible = false, .backColor = Colour(0x00808080), .foreColor = Colour(0x00FFFFC0), .font = ClockFont, .tabIndex = 6}},
    {"Face6C",   -1, &Form1::Face6C,   Panel, 680, 1390, 610, 430, Frame},
    {"Face5C",   -1, &Form1::Face5C,   Panel, 670, 1380, 620, 440, Frame},
    {"Face4C",   -1, &Form1::Face4C,   Panel, 680, 1380, 600, 450, Frame},
    {"Face3C",   -1, &Form1::Face3C,   Panel, 670, 1390, 630, 400, Frame},
    {"Face2C",   -1, &Form1::Face2C,   Panel, 670, 1390, 620, 390, Frame},
    {"Face1B",   -1, &Form1::Face1B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face1A",   -1, &Form1::Face1A,   Panel, 120, 720, 730, 250, Frame},
    {"Face2B",   -1, &Form1::Face2B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face2A",   -1, &Form1::Face2A,   Panel, 120, 720, 730, 250, Frame},
    {"Face3B",   -1, &Form1::Face3B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face3A",   -1, &Form1::Face3A,   Panel, 120, 720, 730, 250, Frame},
    {"Face4B",   -1, &Form1::Face4B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face4A",   -1, &Form1::Face4A,   Panel, 120, 720, 730, 250, Frame},
    {"Face5B",   -1, &Form1::Face5B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face5A",   -1, &Form1::Face5A,   Panel, 120, 720, 730, 250, Frame},
    {"Face6B",   -1, &Form1::Face6B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face6A",   -1, &Form1::Face6A,   Panel, 120, 720, 730, 250, Frame},
    {"Face7B",   -1, &Form1::Face7B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face7A",   -1, &Form1::Face7A,   Panel, 120, 720, 730, 250, Frame},
    {"Face8B",   -1, &Form1::Face8B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face8A",   -1, &Form1::Face8A,   Panel, 120, 720, 730, 250, Frame},
    {"Face9B",   -1, &Form1::Face9B,   Panel, 1080, 720, 730, 250, Frame},
    {"Face9A",   -1, &Form1::Face9A,   Panel, 120, 720, 730, 250, Frame},
    {"Face10B",  -1, &Form1::Face10B,  Panel, 1080, 720, 730, 250, Frame},
    {"Face10A",  -1, &Form1::Face10A,  Panel, 120, 720, 730, 250, Frame},
    {"Face11B",  -1, &Form1::Face11B,  Panel, 1080, 720, 730, 250, Frame},
    {"Face11A",  -1, &Form1::Face11A,  Panel, 120, 720, 730, 250, Frame},
    {"Face12A",  -1, &Form1::Face12A,  Panel, 120, 720, 730, 250, Frame},
    {"Face1C",   -1, &Form1::Face1C,   Panel, 660, 1360, 630, 440, Frame},
    {"Face12B",   1, &Form1::Face12B,  Panel, 1080, 720, 730, 250, Frame},
    {"kame2",    -1, &Form1::kame2,    Panel, 1950, 360, 490, 490, Frame},
    {"kame1",    -1, &Form1::kame1,    Panel, 1950, 360, 490, 490, Frame},
    {"combuB",   -1, &Form1::combuB,   Panel, 120, 1680, 480, 480, Unstretched},
    {"combuA",   -1, &Form1::combuA,   Panel, 120, 1680, 480, 480, Unstretched},
    {"DOSEI",    -1, &Form1::DOSEI,    Panel, 600, 360, 490, 490, Frame},
    {"SUISEI",   -1, &Form1::SUISEI,   Panel, 240, 1440, 250, 250, Frame},
}};
// clang-format on

namespace {

forms::Picture pictureOf(const Row& row) { return decodeStoredPicture(storedPicture(row.name), row.name); }

void placeVisible(Form1& form, const Row& row, forms::VisibleControl& control) {
    forms::PictureBox* container = row.container ? &(form.*row.container) : nullptr;
    control.place(form, row.name, row.index, container);
    control.setArea({double(row.left), double(row.top), double(row.width), double(row.height)});
    control.setVisible(row.properties.visible);
    control.setTabIndex(row.properties.tabIndex);
}

void make(Form1& form, const Row& row, forms::Timer& timer) {
    timer.place(form, row.name, row.index, nullptr);
    timer.setInterval(row.properties.interval);
    form.scheduler().add(timer);
}

void make(Form1& form, const Row& row, forms::Image& image) {
    placeVisible(form, row, image);
    image.setStretch(row.properties.stretch);
    if (row.properties.picture) image.setPicture(pictureOf(row));
}

void make(Form1& form, const Row& row, forms::PictureBox& box) {
    placeVisible(form, row, box);
    box.setBackColor(row.properties.backColor);
    box.setForeColor(row.properties.foreColor);
    box.setSunken(row.properties.sunken);
    if (row.properties.picture) box.setPicture(pictureOf(row));
}

void make(Form1& form, const Row& row, forms::Label& label) {
    placeVisible(form, row, label);
    label.setBackColor(row.properties.backColor);
    label.setForeColor(row.properties.foreColor);
    label.setFont(row.properties.font);
}

void make(Form1& form, const Row& row, forms::CommandButton& button) {
    placeVisible(form, row, button);
    button.setCaption(row.properties.caption);
}

void make(Form1& form, const Row& row, forms::ComboBox& list) {
    placeVisible(form, row, list);
    list.setItems(row.properties.items);
}

void make(Form1& form, const Row& row, forms::ControlArray<forms::Image>& array) {
    make(form, row, array.add(row.index));
}

} // namespace

void build(Form1& form) {
    for (const Row& row : Rows) {
        std::visit([&](auto member) { make(form, row, form.*member); }, row.member);
    }
}

} // namespace miravel::layout
