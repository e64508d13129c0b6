#include "scene/form1.h"
#include "scenes/frame_steps.h"

namespace miravel {

namespace {

// First opening: steps 1 to 13 only count, a pause with frame 1 on show.
constexpr FrameChange FirstOpening[] = {{1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 6}}; // steps 14 to 18
constexpr FrameChange Closing[] = {{6, 5}, {5, 4}, {4, 3}, {3, 2}};                // steps 1 to 4
constexpr FrameChange Opening[] = {{2, 3}, {3, 4}, {4, 5}, {5, 6}};                // steps 1 to 4

constexpr StepTable MouthFirstOpening{14, FirstOpening, 19};
constexpr StepTable MouthClosing{1, Closing, 5};
constexpr StepTable MouthOpening{1, Opening, 5};

} // namespace

void Form1::FACE3_Timer() {
    if (advance(mouthCount, MouthFirstOpening, mouth())) {
        MOVE1.setEnabled(true);
        MOVE2.setEnabled(true);
        mouthCount = 0;
        FACE3.setEnabled(false);
    }
}

void Form1::FACE3E_Timer() {
    if (advance(mouthCount, MouthClosing, mouth())) {
        mouthCount = 0;
        FACE3E.setEnabled(false);
    }
}

void Form1::FACE3S_Timer() {
    if (advance(mouthCount, MouthOpening, mouth())) {
        mouthCount = 0;
        FACE3S.setEnabled(false);
    }
}

void Form1::MOVE1_Timer() {
    FACE1E.setEnabled(true);
    FACE2E.setEnabled(true);
}

// Whether the mouth is open is read from the frames, never stored.
void Form1::MOVE2_Timer() {
    if (Face6C.visible()) {
        FACE3E.setEnabled(true);
    } else {
        FACE3S.setEnabled(true);
    }
}

} // namespace miravel
