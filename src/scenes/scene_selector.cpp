#include "scene/form1.h"

namespace miravel {

namespace {
constexpr forms::Colour DeepSeaBlue{0x800000};
}

// Three independent tests, each reading the list afresh. A running universe or
// deep sea is left alone; a repeated "Eternity" resets the counters but
// starts nothing, so the face goes on from the first step of each table.
void Form1::SelectBg_Click() {
    if (SelectBg.text() == SceneNames[0] && !masicA.enabled()) {
        forms::setVisible(deepSeaPictures(), false);
        forms::setEnabled(deepSeaTimers(), false);
        HAIKEI1.setBackColor(forms::rgb(0, 0, 0));
        forms::setVisible(universePictures(), true);
        masicA.setEnabled(true);
    }
    if (SelectBg.text() == SceneNames[1] && !KAME.enabled()) {
        forms::setVisible(universePictures(), false);
        masicA.setEnabled(false);
        HAIKEI1.setBackColor(DeepSeaBlue);
        forms::setVisible(std::array<forms::VisibleControl*, 3>{&ancou1, &combuA, &kame1}, true);
        forms::setEnabled(std::array{&COMBU, &ANCOU, &KAME}, true);
    }
    if (SelectBg.text() == SceneNames[2]) {
        HAIKEI1.setBackColor(forms::ButtonFace);
        forms::setVisible(deepSeaPictures(), false);
        forms::setEnabled(deepSeaTimers(), false);
        forms::setVisible(universePictures(), false);
        kameCount = 0;
        eyeACount = 0;
        eyeBCount = 0;
        mouthCount = 0;
        if (eternityOn == 0) {
            eternityOn = 1;
            forms::setEnabled(std::array{&FACE1, &FACE2, &FACE3}, true);
            forms::setVisible(std::array<forms::VisibleControl*, 3>{&Face12A, &Face12B(1), &Face1C}, true);
        }
    }
}

// "clear": the empty window of the start. The list's text, the pulses'
// colours and steps and the clock's timer stay as they are.
void Form1::Command2_Click() {
    HAIKEI1.setBackColor(forms::ButtonFace);
    forms::setVisible(deepSeaPictures(), false);
    forms::setEnabled(deepSeaTimers(), false);
    forms::setVisible(universePictures(), false);
    for (int frame = 12; frame >= 1; --frame) {
        leftEye()[frame - 1]->setVisible(false);
        rightEye()[frame - 1]->setVisible(false);
    }
    for (forms::Image* frame : mouth()) frame->setVisible(false);
    forms::setEnabled(std::array{&FACE1, &FACE2, &FACE3, &FACE1E, &FACE2E, &FACE3E, &FACE3S, &masicA}, false);
    eternityOn = 0;
    kameCount = 0;
    eyeACount = 0;
    eyeBCount = 0;
    mouthCount = 0;
    forms::setEnabled(std::array{&MOVE1, &MOVE2}, false);
    CLOCK.setVisible(false);
}

} // namespace miravel
