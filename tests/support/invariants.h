#pragma once

// What must hold between any two events, whatever the user did before: the
// checks the long-running tests make on every tick. Each returns the first
// broken rule in words, or an empty string, so a loop over a million ticks
// stops at the first failure instead of flooding the report.

#include "scene/form1.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

namespace miravel::testing {

namespace invariants {

inline std::vector<int> shownFrames(std::span<forms::Image* const> frames) {
    std::vector<int> numbers;
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (frames[i]->visible()) numbers.push_back(static_cast<int>(i) + 1);
    return numbers;
}

inline std::string framesText(const std::vector<int>& frames) {
    std::string text = "{";
    for (std::size_t i = 0; i < frames.size(); ++i)
        text += (i ? "," : "") + std::to_string(frames[i]);
    return text + "}";
}

inline bool within(int value, int low, int high) { return value >= low && value <= high; }

template <std::size_t N> bool allVisible(const std::array<forms::VisibleControl*, N>& controls, bool visible) {
    return std::all_of(controls.begin(), controls.end(), [&](const auto* c) { return c->visible() == visible; });
}

} // namespace invariants

// The face once it has woken and nobody has touched it since: one frame per
// part, a blink's closing and opening never both running, the counters inside
// their tables, and the mouth never back to its first, sleeping frame.
inline std::string brokenUndisturbedFace(Form1& form) {
    using namespace invariants;
    const std::vector<int> left = shownFrames(form.leftEye()), right = shownFrames(form.rightEye()),
                           mouth = shownFrames(form.mouth());
    if (left.size() != 1 || right.size() != 1 || mouth.size() != 1)
        return "face shows " + framesText(left) + " " + framesText(right) + " " + framesText(mouth);
    if (form.FACE1.enabled() && form.FACE1E.enabled()) return "left eye opening and closing at once";
    if (form.FACE2.enabled() && form.FACE2E.enabled()) return "right eye opening and closing at once";
    if (!within(form.eyeACount.value(), 0, 12)) return "eyeACount " + std::to_string(form.eyeACount.value());
    if (!within(form.mouthCount.value(), 0, 5)) return "mouthCount " + std::to_string(form.mouthCount.value());
    if (mouth.front() == 1) return "the mouth went back to its sleeping frame";
    return "";
}

// The scenes under any use: the deep sea is on show exactly while its timers
// run, the universe only while its pulse runs, each over its own background;
// pulses stay within one step of their bands; the turtle stays on its track.
inline std::string brokenScenes(Form1& form) {
    using namespace invariants;
    const bool sea = form.KAME.enabled();
    if (form.COMBU.enabled() != sea || form.ANCOU.enabled() != sea) return "the deep sea's timers out of step";
    if (sea) {
        if (form.kame1.visible() == form.kame2.visible()) return "turtle frames both shown or both hidden";
        if (form.combuA.visible() == form.combuB.visible()) return "kelp frames both shown or both hidden";
        if (!form.ancou1.visible()) return "anglerfish hidden while the sea runs";
        if (form.HAIKEI1.backColor() != forms::Colour(0x800000)) return "deep sea over another background";
    } else if (!allVisible(form.deepSeaPictures(), false)) {
        return "a deep-sea picture shown while the sea is stopped";
    }

    // "Eternity" hides the universe but leaves its pulse running, hidden.
    if (form.masicA.enabled() && sea) return "universe and deep sea both running";
    const bool universe = form.MASIC.visible();
    if (!allVisible(form.universePictures(), universe)) return "universe pictures shown in part";
    if (universe && !form.masicA.enabled()) return "universe shown without its pulse";
    if (universe && form.HAIKEI1.backColor() != forms::rgb(0, 0, 0)) return "universe over another background";

    if (form.masicStep != 10 && form.masicStep != -10) return "masicStep " + std::to_string(form.masicStep.value());
    if (form.ancouStep != 10 && form.ancouStep != -10) return "ancouStep " + std::to_string(form.ancouStep.value());
    // One step beyond a bound before the pulse turns, never more.
    if (!within(form.MASIC.backColor().value(), 0x00FF0A - 10, 0x00FFF0 + 10)) return "moon colour left its band";
    if (!within(form.ancou1.backColor().value(), 0xFF00FF - 10, 0xFF0122 + 10)) return "lure colour left its band";

    if (!within(form.kameCount.value(), 0, 8)) return "kameCount " + std::to_string(form.kameCount.value());
    for (const forms::Image* frame : {&form.kame1, &form.kame2}) {
        const float left = frame->left();
        // Whole steps from the start place, and never more than a step past the limit.
        if (left < -250 || left > 1950 || static_cast<int>(left) % 50 != 0 || left != static_cast<int>(left))
            return std::string(frame->name()) + ".Left " + std::to_string(left);
    }
    return "";
}

// The face under any use, hurried re-choices and all. Before it wakes and
// after "clear" nothing of it runs or shows; once awake each part shows one
// frame, or more for a while after re-choices restarted a step table (a
// frame stays until the restarted steps pass over it), and a part at rest
// shows exactly one: the open eye, the mouth open or closed.
inline std::string brokenFace(Form1& form) {
    using namespace invariants;
    const std::array<const forms::Timer*, 9> faceTimers{&form.FACE1,  &form.FACE2,  &form.FACE3,
                                                        &form.FACE1E, &form.FACE2E, &form.FACE3E,
                                                        &form.FACE3S, &form.MOVE1,  &form.MOVE2};
    const std::vector<int> left = shownFrames(form.leftEye()), right = shownFrames(form.rightEye()),
                           mouth = shownFrames(form.mouth());
    if (form.eternityOn == 0) {
        if (!left.empty() || !right.empty() || !mouth.empty()) return "face shown while eternity is off";
        if (std::any_of(faceTimers.begin(), faceTimers.end(), [](const auto* t) { return t->enabled(); }))
            return "a face timer running while eternity is off";
        return "";
    }
    if (form.eternityOn != 1) return "eternityOn " + std::to_string(form.eternityOn.value());

    if (!within(form.eyeACount.value(), 0, 12)) return "eyeACount " + std::to_string(form.eyeACount.value());
    if (!within(form.eyeBCount.value(), 0, 12)) return "eyeBCount " + std::to_string(form.eyeBCount.value());
    if (!within(form.mouthCount.value(), 0, 19)) return "mouthCount " + std::to_string(form.mouthCount.value());
    // The first opening hands over to the slow timers, both at once, exactly once.
    if (form.MOVE1.enabled() != form.MOVE2.enabled()) return "MOVE1 and MOVE2 out of step";
    if (form.FACE3.enabled() == form.MOVE1.enabled()) return "first opening and slow timers both or neither";
    if (form.FACE3.enabled() && (form.FACE3E.enabled() || form.FACE3S.enabled()))
        return "mouth changing during its first opening";

    const auto part = [](const char* name, const std::vector<int>& shown, bool moving,
                         std::initializer_list<int> atRest) -> std::string {
        if (shown.empty()) return std::string(name) + " shows " + framesText(shown);
        if (moving) return "";
        if (shown.size() != 1 || std::find(atRest.begin(), atRest.end(), shown.front()) == atRest.end())
            return std::string(name) + " at rest shows " + framesText(shown);
        return "";
    };
    std::string broken = part("left eye", left, form.FACE1.enabled() || form.FACE1E.enabled(), {1});
    if (broken.empty()) broken = part("right eye", right, form.FACE2.enabled() || form.FACE2E.enabled(), {1});
    if (broken.empty())
        broken = part("mouth", mouth, form.FACE3.enabled() || form.FACE3E.enabled() || form.FACE3S.enabled(), {2, 6});
    return broken;
}

} // namespace miravel::testing
