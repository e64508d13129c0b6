#pragma once

#include "forms/time_of_day.h"
#include "forms/twips.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

// The page the program runs in, as the program calls it: each function here
// is one of page.js's, which makes the elements, draws on the canvas and
// says what the page has to say. Rectangles are in the window's CSS pixels,
// or the canvas's device pixels where they are drawn; a colour is 0xRRGGBB.
namespace miravel::web::page {

// --- The window's controls, each made at its place in the layout ---

// The scene panel: its outer area with a sunken frame of frame pixels, and
// inside it a canvas named name, an image labelled label for assistive
// technologies.
void addPanel(std::string_view name, std::string_view label, const forms::PixelRect& outer, int frame);
// A button and a list tell the program of a press or a choice by control,
// the control's place in the form's list.
void addButton(int control, std::string_view name, std::string_view caption, const forms::PixelRect& area);
// A list whose entries are chosen as a person chooses them, also the one it shows.
void addList(int control, std::string_view name, std::string_view label, std::span<const std::string_view> items,
             const forms::PixelRect& area);

// A button pressed, an entry chosen, by the page's own elements, as by a person.
void press(std::string_view name);
void choose(std::string_view name, int item);

// What the panel shows, in words, for assistive technologies.
void describePanel(std::string_view text);

// --- The panel's canvas, in device pixels ---

// Device pixels to a logical pixel of the window: the screen's ratio times the zoom.
double ratio();
// The window drawn zoom times larger.
void setZoom(int zoom);
// The canvas made afresh at that size, with none of the pictures kept.
void panelSize(forms::PixelSize size);
// Everything drawn until unclip() stays within area.
void clip(const forms::PixelRect& area);
void unclip();
void fill(const forms::PixelRect& area, std::uint32_t rgb);
// A picture of device pixels, each four bytes red, green, blue and alpha,
// rows top first, kept under key until the canvas is made afresh.
void keepPicture(int key, std::span<const std::uint8_t> rgba, forms::PixelSize size);
void drawPicture(int key, int x, int y);
// A text in the clock's face, left-aligned and centred in box's height, at ratio.
void text(const forms::PixelRect& box, std::uint32_t rgb, std::string_view text, double ratio);

// A system colour as the page shows it, by its index (0x0F, the window's own).
std::uint32_t systemColour(int index);

// --- Time ---

// Milliseconds on the page's monotonic clock, from its start.
double now();
// Milliseconds since the epoch, on the wall clock.
double wallNow();
// The local time of day at a wall-clock moment, and as the browser writes it by default.
forms::TimeOfDay timeOfDay(double wallMs);
std::string timeText(forms::TimeOfDay time);

// --- What the page says ---

// Whether the page can be seen: not in a hidden tab, a minimized window.
bool shown();
// One line of the trace, on the console.
void trace(std::string_view line);
// A message under the window, the program running on.
void say(std::string_view text);
// The window closed, the message in its place; the page hears nothing more.
void close(std::string_view text);

} // namespace miravel::web::page
