// The joint effect of the handlers: from each scene a user may be in, each
// action the user may take, and what the window holds right after it. The
// clock's own timer runs throughout and is left out.

#include "support/form1_fixture.h"

#include <cctype>
#include <iterator>
#include <set>
#include <sstream>
#include <string>

namespace miravel {
namespace {

using forms::Colour;

std::set<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

struct JointEffect {
    const char* before; // choices made, in order, separated by "/"
    const char* action; // an entry of the list, "clear" or "end"
    const char* shown;
    const char* running;
    Colour background;
};

const Colour Black(0);
const Colour Navy(0x800000);
const Colour Face = forms::ButtonFace;
constexpr const char* Universe = "DOSEI MASIC SUISEI";
constexpr const char* DeepSea = "ancou1 combuA kame1";
constexpr const char* FaceAsleep = "Face12A Face12B Face1C";

// clang-format off
const JointEffect Table[] = {
    // before                     action            shown                                          running                                  background
    {"",                          "The universe",  Universe,                                      "masicA",                                Black},
    {"",                          "The deep sea",  DeepSea,                                       "KAME ANCOU COMBU",                      Navy},
    {"",                          "Eternity",      FaceAsleep,                                    "FACE1 FACE2 FACE3",                     Face},
    {"",                          "clear",         "",                                            "",                                      Face},
    {"",                          "end",           "",                                            "FIN",                                   Face},
    {"The universe",              "The universe",  Universe,                                      "masicA",                                Black},
    {"The universe",              "The deep sea",  DeepSea,                                       "KAME ANCOU COMBU",                      Navy},
    {"The universe",              "Eternity",      FaceAsleep,                                    "masicA FACE1 FACE2 FACE3",              Face},
    {"The universe",              "clear",         "",                                            "",                                      Face},
    {"The universe",              "end",           "",                                            "FIN",                                   Black},
    {"The deep sea",              "The universe",  Universe,                                      "masicA",                                Black},
    {"The deep sea",              "The deep sea",  DeepSea,                                       "KAME ANCOU COMBU",                      Navy},
    {"The deep sea",              "Eternity",      FaceAsleep,                                    "FACE1 FACE2 FACE3",                     Face},
    {"The deep sea",              "clear",         "",                                            "",                                      Face},
    {"The deep sea",              "end",           "",                                            "FIN",                                   Navy},
    {"Eternity",                  "The universe",  "Face12A Face12B Face1C DOSEI MASIC SUISEI",   "FACE1 FACE2 FACE3 masicA",              Black},
    {"Eternity",                  "The deep sea",  "Face12A Face12B Face1C ancou1 combuA kame1",  "FACE1 FACE2 FACE3 KAME ANCOU COMBU",    Navy},
    {"Eternity",                  "Eternity",      FaceAsleep,                                    "FACE1 FACE2 FACE3",                     Face},
    {"Eternity",                  "clear",         "",                                            "",                                      Face},
    {"Eternity",                  "end",           FaceAsleep,                                    "FACE1 FACE2 FACE3 FIN",                 Face},
    {"The universe/Eternity",     "The universe",  FaceAsleep,                                    "masicA FACE1 FACE2 FACE3",              Face},
    {"The universe/Eternity",     "The deep sea",  "Face12A Face12B Face1C ancou1 combuA kame1",  "FACE1 FACE2 FACE3 KAME ANCOU COMBU",    Navy},
    {"The universe/Eternity",     "Eternity",      FaceAsleep,                                    "masicA FACE1 FACE2 FACE3",              Face},
    {"The universe/Eternity",     "clear",         "",                                            "",                                      Face},
    {"The universe/Eternity",     "end",           FaceAsleep,                                    "FACE1 FACE2 FACE3 FIN",                 Face},
};
// clang-format on

class JointEffects : public testing::Form1Test, public ::testing::WithParamInterface<JointEffect> {
protected:
    void act(const std::string& action) {
        if (action == "clear") return form.Command2.click();
        if (action == "end") return form.Command3.click();
        choose(action);
    }

    std::set<std::string> shownNames() {
        std::set<std::string> names;
        for (const forms::VisibleControl* picture : shownPictures()) names.insert(picture->name());
        return names;
    }

    std::set<std::string> runningNames() {
        std::set<std::string> names;
        for (const forms::Timer* timer : runningTimers())
            if (timer != &form.JIKOKU1) names.insert(timer->name());
        return names;
    }
};

TEST_P(JointEffects, TheActionLeavesTheWindowAsTheTableSays) {
    const JointEffect& row = GetParam();
    std::istringstream before(row.before);
    for (std::string choice; std::getline(before, choice, '/');) choose(choice);
    act(row.action);
    EXPECT_EQ(shownNames(), words(row.shown));
    EXPECT_EQ(runningNames(), words(row.running));
    EXPECT_EQ(form.HAIKEI1.backColor(), row.background);
}

INSTANTIATE_TEST_SUITE_P(FromEachScene, JointEffects, ::testing::ValuesIn(Table), [](const auto& info) {
    std::string name = std::string(info.param.before) + "_then_" + info.param.action;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

} // namespace
} // namespace miravel
