#include "scene/form1.h"

namespace miravel {

void Form1::Form_Load() {
    JIKOKU1.setEnabled(true);
    kameCount = 0;
    masicStep = 10;
    ancouStep = 10;
    eyeACount = 0;
    eyeBCount = 0;
    mouthCount = 0;
    eternityOn = 0;
}

// "end": the scene pictures go at once, the program 10 ms later. The face is
// left as it is and may still move in between.
void Form1::Command3_Click() {
    forms::setVisible(deepSeaPictures(), false);
    forms::setEnabled(deepSeaTimers(), false);
    forms::setVisible(universePictures(), false);
    masicA.setEnabled(false);
    FIN.setEnabled(true);
}

void Form1::FIN_Timer() { end(); }

} // namespace miravel
