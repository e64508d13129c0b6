#include "scene/layout.h"

#include "scene/picture.h"
#include "scene/stored_pictures.h"

#include <algorithm>
#include <functional>

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
    {"SelectBg", -1, &Form1::SelectBg, Window, 120, 2760, 1455, 300, {.items = Form1::SceneNames, .tabIndex = 7}, &Form1::SelectBg_Click, "the scene list"},
    {"JIKOKU1",  -1, &Form1::JIKOKU1,  Window, 0, 0, 0, 0, Stopped(100), &Form1::JIKOKU1_Timer, "clock refresh, 100 ms"},
    {"JIKOKU",   -1, &Form1::JIKOKU,   Window, 780, 2400, 615, 255, {.caption = "time", .tabIndex = 5}, &Form1::JIKOKU_Click, "the \"time\" button"},
    {"FIN",      -1, &Form1::FIN,      Window, 0, 0, 0, 0, Stopped(10), &Form1::FIN_Timer, "the end, 10 ms after \"end\""},
    {"Command3", -1, &Form1::Command3, Window, 1440, 2400, 615, 255, {.caption = "end", .tabIndex = 4}, &Form1::Command3_Click, "the \"end\" button"},
    {"MOVE2",    -1, &Form1::MOVE2,    Window, 0, 0, 0, 0, Stopped(8000), &Form1::MOVE2_Timer, "mouth shuts or laughs, every 8 s"},
    {"FACE3E",   -1, &Form1::FACE3E,   Window, 0, 0, 0, 0, Stopped(100), &Form1::FACE3E_Timer, "mouth closing, 100 ms"},
    {"FACE3S",   -1, &Form1::FACE3S,   Window, 0, 0, 0, 0, Stopped(100), &Form1::FACE3S_Timer, "mouth opening, 100 ms"},
    {"MOVE1",    -1, &Form1::MOVE1,    Window, 0, 0, 0, 0, Stopped(5000), &Form1::MOVE1_Timer, "blink, every 5 s"},
    {"FACE2E",   -1, &Form1::FACE2E,   Window, 0, 0, 0, 0, Stopped(50), &Form1::FACE2E_Timer, "right eye closing, 50 ms"},
    {"FACE1E",   -1, &Form1::FACE1E,   Window, 0, 0, 0, 0, Stopped(50), &Form1::FACE1E_Timer, "left eye closing, 50 ms"},
    {"FACE3",    -1, &Form1::FACE3,    Window, 0, 0, 0, 0, Stopped(100), &Form1::FACE3_Timer, "mouth wakes, 100 ms"},
    {"FACE2",    -1, &Form1::FACE2,    Window, 0, 0, 0, 0, Stopped(50), &Form1::FACE2_Timer, "right eye opening, 50 ms"},
    {"FACE1",    -1, &Form1::FACE1,    Window, 0, 0, 0, 0, Stopped(50), &Form1::FACE1_Timer, "left eye opening, 50 ms"},
    {"Command2", -1, &Form1::Command2, Window, 135, 2400, 615, 255, {.caption = "clear", .tabIndex = 3}, &Form1::Command2_Click, "the \"clear\" button"},
    {"KAME",     -1, &Form1::KAME,     Window, 0, 0, 0, 0, Stopped(150), &Form1::KAME_Timer, "turtle swim, 150 ms"},
    {"ANCOU",    -1, &Form1::ANCOU,    Window, 0, 0, 0, 0, Stopped(300), &Form1::ANCOU_Timer, "lure glow, 300 ms"},
    {"COMBU",    -1, &Form1::COMBU,    Window, 0, 0, 0, 0, Stopped(1000), &Form1::COMBU_Timer, "kelp sway, 1 s"},
    {"masicA",   -1, &Form1::masicA,   Window, 0, 0, 0, 0, Stopped(600), &Form1::masicA_Timer, "moon pulse, 600 ms"},
    {"HAIKEI1",  -1, &Form1::HAIKEI1,  Window, 120, 120, 1930, 2170, {.backColor = ButtonFace, .sunken = true, .tabIndex = 0}, nullptr, "the scene panel"},
    {"MASIC",    -1, &Form1::MASIC,    Panel, 1320, 960, 480, 480, {.visible = false, .backColor = Colour(0x0000FF00), .picture = true, .tabIndex = 1}, nullptr, "the moon, its disc pulsing"},
    {"ancou1",   -1, &Form1::ancou1,   Panel, 1320, 1680, 480, 480, {.visible = false, .backColor = Colour(0x00FF00FF), .foreColor = forms::WindowText, .picture = true, .tabIndex = 2}, nullptr, "the anglerfish, its lure glowing"},
    {"CLOCK",    -1, &Form1::CLOCK,    Panel, 1110, 1800, 735, 255, {.visible = false, .backColor = Colour(0x00808080), .foreColor = Colour(0x00FFFFC0), .font = ClockFont, .tabIndex = 6}, nullptr, "the clock's text"},
    {"Face6C",   -1, &Form1::Face6C,   Panel, 680, 1390, 610, 430, Frame, nullptr, "mouth frame 6, laughing wide"},
    {"Face5C",   -1, &Form1::Face5C,   Panel, 670, 1380, 620, 440, Frame, nullptr, "mouth frame 5, laughing"},
    {"Face4C",   -1, &Form1::Face4C,   Panel, 680, 1380, 600, 450, Frame, nullptr, "mouth frame 4, smiling with teeth"},
    {"Face3C",   -1, &Form1::Face3C,   Panel, 670, 1390, 630, 400, Frame, nullptr, "mouth frame 3, lips parted"},
    {"Face2C",   -1, &Form1::Face2C,   Panel, 670, 1390, 620, 390, Frame, nullptr, "mouth frame 2, lips closed"},
    {"Face1B",   -1, &Form1::Face1B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 1 (open)"},
    {"Face1A",   -1, &Form1::Face1A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 1 (open)"},
    {"Face2B",   -1, &Form1::Face2B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 2"},
    {"Face2A",   -1, &Form1::Face2A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 2"},
    {"Face3B",   -1, &Form1::Face3B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 3"},
    {"Face3A",   -1, &Form1::Face3A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 3"},
    {"Face4B",   -1, &Form1::Face4B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 4"},
    {"Face4A",   -1, &Form1::Face4A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 4"},
    {"Face5B",   -1, &Form1::Face5B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 5"},
    {"Face5A",   -1, &Form1::Face5A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 5"},
    {"Face6B",   -1, &Form1::Face6B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 6"},
    {"Face6A",   -1, &Form1::Face6A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 6"},
    {"Face7B",   -1, &Form1::Face7B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 7"},
    {"Face7A",   -1, &Form1::Face7A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 7"},
    {"Face8B",   -1, &Form1::Face8B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 8"},
    {"Face8A",   -1, &Form1::Face8A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 8"},
    {"Face9B",   -1, &Form1::Face9B,   Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 9"},
    {"Face9A",   -1, &Form1::Face9A,   Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 9"},
    {"Face10B",  -1, &Form1::Face10B,  Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 10"},
    {"Face10A",  -1, &Form1::Face10A,  Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 10"},
    {"Face11B",  -1, &Form1::Face11B,  Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 11"},
    {"Face11A",  -1, &Form1::Face11A,  Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 11"},
    {"Face12A",  -1, &Form1::Face12A,  Panel, 120, 720, 730, 250, Frame, nullptr, "left eye frame 12 (shut)"},
    {"Face1C",   -1, &Form1::Face1C,   Panel, 660, 1360, 630, 440, Frame, nullptr, "mouth frame 1, lips closed"},
    {"Face12B",   1, &Form1::Face12B,  Panel, 1080, 720, 730, 250, Frame, nullptr, "right eye frame 12 (shut)"},
    {"kame2",    -1, &Form1::kame2,    Panel, 1950, 360, 490, 490, Frame, nullptr, "turtle, second stroke"},
    {"kame1",    -1, &Form1::kame1,    Panel, 1950, 360, 490, 490, Frame, nullptr, "turtle, first stroke"},
    {"combuB",   -1, &Form1::combuB,   Panel, 120, 1680, 480, 480, Unstretched, nullptr, "kelp, second sway"},
    {"combuA",   -1, &Form1::combuA,   Panel, 120, 1680, 480, 480, Unstretched, nullptr, "kelp, first sway"},
    {"DOSEI",    -1, &Form1::DOSEI,    Panel, 600, 360, 490, 490, Frame, nullptr, "the ringed planet"},
    {"SUISEI",   -1, &Form1::SUISEI,   Panel, 240, 1440, 250, 250, Frame, nullptr, "the small cyan planet"},
}};
// clang-format on

namespace {

forms::Picture pictureOf(const Row& row) { return decodeStoredPicture(storedPicture(row.name), row.name); }

// A handler is called on the form it belongs to, through its row.
std::function<void()> bound(Form1& form, const Row& row) {
    return [&form, handler = row.handler] { (form.*handler)(); };
}

void placeVisible(Form1& form, const Row& row, forms::VisibleControl& control) {
    forms::PictureBox* container = row.container ? &(form.*row.container) : nullptr;
    control.place(form, row.name, row.index, container);
    control.setArea({double(row.left), double(row.top), double(row.width), double(row.height)});
    control.setVisible(row.properties.visible);
    control.setTabIndex(row.properties.tabIndex);
}

void make(Form1& form, const Row& row, forms::Timer& timer) {
    timer.place(form, row.name, row.index);
    timer.setInterval(row.properties.interval);
    timer.onTimer = bound(form, row);
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
    button.onClick = bound(form, row);
}

void make(Form1& form, const Row& row, forms::ComboBox& list) {
    placeVisible(form, row, list);
    list.setItems(row.properties.items);
    list.onClick = bound(form, row);
}

void make(Form1& form, const Row& row, forms::ControlArray<forms::Image>& array) {
    make(form, row, array.add(row.index));
}

} // namespace

std::string Row::handlerName() const {
    const bool timer = std::holds_alternative<forms::Timer Form1::*>(member);
    return std::string(name) + (timer ? "_Timer" : "_Click");
}

void build(Form1& form) {
    for (const Row& row : Rows) {
        std::visit([&](auto member) { make(form, row, form.*member); }, row.member);
    }
}

const Row* find(std::string_view name) {
    const auto found = std::find_if(Rows.begin(), Rows.end(), [name](const Row& row) { return row.name == name; });
    return found == Rows.end() ? nullptr : &*found;
}

} // namespace miravel::layout
