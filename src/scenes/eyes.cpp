#include "scene/form1.h"
#include "scenes/frame_steps.h"

namespace miravel {

namespace {

// Steps 1 to 11 of an opening: frame 12 (shut) to frame 1 (open).
constexpr FrameChange Opening[] = {
    {12, 11}, {11, 10}, {10, 9}, {9, 8}, {8, 7}, {7, 6}, {6, 5}, {5, 4}, {4, 3}, {3, 2}, {2, 1},
};
// Steps 1 to 11 of a closing: frame 1 to frame 12.
constexpr FrameChange Closing[] = {
    {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}, {6, 7}, {7, 8}, {8, 9}, {9, 10}, {10, 11}, {11, 12},
};

constexpr StepTable EyeOpening{1, Opening, 12};
constexpr StepTable EyeClosing{1, Closing, 12};

} // namespace

void Form1::FACE1_Timer() {
    if (advance(eyeACount, EyeOpening, leftEye())) {
        eyeACount = 0;
        FACE1.setEnabled(false);
    }
}

void Form1::FACE2_Timer() {
    if (advance(eyeBCount, EyeOpening, rightEye())) {
        eyeBCount = 0;
        FACE2.setEnabled(false);
    }
}

// A closing hands over to its eye's opening, so one closing makes a whole blink.
void Form1::FACE1E_Timer() {
    if (advance(eyeACount, EyeClosing, leftEye())) {
        eyeACount = 0;
        FACE1E.setEnabled(false);
        FACE1.setEnabled(true);
    }
}

void Form1::FACE2E_Timer() {
    if (advance(eyeBCount, EyeClosing, rightEye())) {
        eyeBCount = 0;
        FACE2E.setEnabled(false);
        FACE2.setEnabled(true);
    }
}

} // namespace miravel
