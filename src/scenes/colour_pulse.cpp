#include "scene/form1.h"

namespace miravel {

namespace {

// The colour swings between two bounds. The bound test follows the write, so
// the tick that crosses a bound shows one step beyond it and turns back; a
// colour on a bound is inside and turns nothing.
struct Band {
    forms::Colour lower;
    forms::Colour upper;
};

constexpr Band LureBand{16711935, 16711970}; // &H00FF00FF to &H00FF0122
constexpr Band MoonBand{65290, 65520};       // &H0000FF0A to &H0000FFF0

// The step is added to the whole 32-bit colour, so a carry from red runs into green.
void pulse(forms::PictureBox& box, Integer& step, Band band) {
    box.setBackColor(box.backColor() + forms::Long(step.value()));
    const bool above = box.backColor() > band.upper;
    const bool below = box.backColor() < band.lower;
    if (above || below) step = -step;
}

} // namespace

void Form1::ANCOU_Timer() { pulse(ancou1, ancouStep, LureBand); }

void Form1::masicA_Timer() { pulse(MASIC, masicStep, MoonBand); }

} // namespace miravel
