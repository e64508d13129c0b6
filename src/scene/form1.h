#pragma once

#include "forms/checked.h"
#include "forms/controls.h"
#include "forms/form.h"

#include <array>
#include <string_view>

namespace miravel {

using forms::Integer;

// The program's one window: its controls, named as in the layout, its seven
// state variables and its event handlers. Each handler is defined in the file
// of the part of the program it belongs to.
//
// The names are the window's own and stay as they are. Their words:
// JIKOKU the time (JIKOKU the "time" button, JIKOKU1 the clock's refresh,
// CLOCK its text); FIN the end; HAIKEI the background (HAIKEI1 the scene
// panel); DOSEI the ringed planet, SUISEI the small cyan planet, MASIC the
// moon; ANCOU the anglerfish, COMBU the kelp, KAME the turtle; FACEn and
// FacenA, FacenB, FacenC the left eye, the right eye and the mouth, E closing
// and S opening them; MOVE1 and MOVE2 the blink and the laugh. Command2 is the
// "clear" button, Command3 the "end" button, SelectBg the scene list. Each
// control's row in the layout (scene/layout.cpp) says what it is on screen.
class Form1 : public forms::Form {
public:
    static constexpr int InnerWidth = 2175;  // twips
    static constexpr int InnerHeight = 3150; // twips
    static constexpr std::array<std::string_view, 3> SceneNames{"The universe", "The deep sea", "Eternity"};

    // Builds the window from its layout; Load has not run yet.
    Form1();

    // Load: what the runtime raises once before the window is first shown.
    void load();

    // The window's icon.
    const forms::Picture& icon() const { return icon_; }

    // --- Controls, in definition order ---
    forms::ComboBox SelectBg;
    forms::Timer JIKOKU1;
    forms::CommandButton JIKOKU;
    forms::Timer FIN;
    forms::CommandButton Command3;
    forms::Timer MOVE2;
    forms::Timer FACE3E;
    forms::Timer FACE3S;
    forms::Timer MOVE1;
    forms::Timer FACE2E;
    forms::Timer FACE1E;
    forms::Timer FACE3;
    forms::Timer FACE2;
    forms::Timer FACE1;
    forms::CommandButton Command2;
    forms::Timer KAME;
    forms::Timer ANCOU;
    forms::Timer COMBU;
    forms::Timer masicA;
    forms::PictureBox HAIKEI1;
    forms::PictureBox MASIC;
    forms::PictureBox ancou1;
    forms::Label CLOCK;
    forms::Image Face6C, Face5C, Face4C, Face3C, Face2C;
    forms::Image Face1B, Face1A, Face2B, Face2A, Face3B, Face3A, Face4B, Face4A, Face5B, Face5A, Face6B, Face6A;
    forms::Image Face7B, Face7A, Face8B, Face8A, Face9B, Face9A, Face10B, Face10A, Face11B, Face11A, Face12A;
    forms::Image Face1C;
    forms::ControlArray<forms::Image> Face12B;
    forms::Image kame2, kame1, combuB, combuA, DOSEI, SUISEI;

    // --- State variables ---
    Integer masicStep;
    Integer ancouStep;
    Integer kameCount;
    Integer eyeACount;
    Integer eyeBCount;
    Integer mouthCount;
    Integer eternityOn;

    // --- Handlers ---
    void Form_Load();
    void Command3_Click();
    void FIN_Timer();
    void JIKOKU1_Timer();
    void JIKOKU_Click();
    void SelectBg_Click();
    void Command2_Click();
    void masicA_Timer();
    void ANCOU_Timer();
    void COMBU_Timer();
    void KAME_Timer();
    void FACE1_Timer();
    void FACE2_Timer();
    void FACE1E_Timer();
    void FACE2E_Timer();
    void FACE3_Timer();
    void FACE3E_Timer();
    void FACE3S_Timer();
    void MOVE1_Timer();
    void MOVE2_Timer();

    // The frames of each animated face part, frame 1 first, as the step tables number them.
    using EyeFrames = std::array<forms::Image*, 12>;
    using MouthFrames = std::array<forms::Image*, 6>;
    const EyeFrames& leftEye() const { return leftEye_; }
    const EyeFrames& rightEye() const { return rightEye_; }
    const MouthFrames& mouth() const { return mouth_; }

    // The pictures and timers that several handlers start and stop together.
    std::array<forms::VisibleControl*, 5> deepSeaPictures() { return {&ancou1, &combuA, &combuB, &kame1, &kame2}; }
    std::array<forms::Timer*, 3> deepSeaTimers() { return {&ANCOU, &COMBU, &KAME}; }
    std::array<forms::VisibleControl*, 3> universePictures() { return {&DOSEI, &MASIC, &SUISEI}; }

private:
    void swim(forms::Image& shown, forms::Image& other, Integer hold);

    forms::Picture icon_;
    EyeFrames leftEye_{};
    EyeFrames rightEye_{};
    MouthFrames mouth_{};
};

} // namespace miravel
