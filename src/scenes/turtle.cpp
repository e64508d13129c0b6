#include "scene/form1.h"

namespace miravel {

namespace {

constexpr double Step = 50;        // twips a tick
constexpr double Limit = -205;     // a pass goes on while both frames are right of it
constexpr double StartPlace = 1950; // just beyond the panel's right edge
constexpr Integer Kame1Hold = 8;   // ticks of kame1 before kame2 takes over
constexpr Integer Kame2Hold = 4;   // and of kame2 before kame1

} // namespace

// Every position is computed from the one read back from the control, so the
// turtle carries on from wherever the frames stand.
void Form1::KAME_Timer() {
    const bool kame1Within = kame1.left() > Limit;
    const bool kame2Within = kame2.left() > Limit;
    if (!(kame1Within && kame2Within)) {
        kameCount = 0;
        kame1.setLeft(StartPlace);
        kame2.setLeft(StartPlace);
        return;
    }
    kameCount = kameCount + 1;
    if (kame1.visible()) {
        swim(kame1, kame2, Kame1Hold);
    } else {
        swim(kame2, kame1, Kame2Hold);
    }
}

// One tick of the shown frame: a step left, or, once it has held for its
// count, the other frame a step further on in its place.
void Form1::swim(forms::Image& shown, forms::Image& other, Integer hold) {
    if (kameCount == hold) {
        other.setLeft(shown.left() - Step);
        shown.setVisible(false);
        other.setVisible(true);
        kameCount = 0;
    } else {
        shown.setLeft(shown.left() - Step);
    }
}

} // namespace miravel
