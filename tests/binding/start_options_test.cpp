#include "binding/start_options.h"
#include "scene/form1.h"

#include <gtest/gtest.h>

#include <string>

namespace miravel::binding {
namespace {

TEST(StartOptions, ScenesAreNamedInAnyCase) {
    const struct {
        const char* name;
        std::optional<std::size_t> scene;
    } rows[] = {
        {"The universe", 0},
        {"the deep sea", 1},
        {"ETERNITY", 2},
        {"eTeRnItY", 2},
        {"The Deep Sea", 1},
        {"The moon", {}},
        {"", {}},
        {"Eternit", {}},
        {"Eternityy", {}},
        {" Eternity", {}},
        {"The deep  sea", {}},
        {"ÉTERNITY", {}},
        {"The deep sea\n", {}},
    };
    for (const auto& row : rows) EXPECT_EQ(sceneIndex(row.name), row.scene) << row.name;
    for (std::size_t i = 0; i < Form1::SceneNames.size(); ++i) EXPECT_EQ(sceneIndex(Form1::SceneNames[i]), i);
}

TEST(StartOptions, AnUnknownSceneIsRefusedWithTheChoices) {
    EXPECT_EQ(refusalLine(unknownScene("The moon")),
              R"(miravel: there is no scene 'The moon': choose "The universe", "The deep sea" or "Eternity")");
    EXPECT_EQ(unknownScene(""), R"(there is no scene '': choose "The universe", "The deep sea" or "Eternity")");
}

TEST(StartOptions, ZoomIsAWholeNumberFromOneToEight) {
    for (int zoom = 1; zoom <= MostZoom; ++zoom)
        EXPECT_EQ(parseZoom(std::to_string(zoom)), (std::variant<int, std::string>(zoom)));
    for (const char* value :
         {"0", "9", "2x", "x", "03", "+3", " 3", "3 ", "1.5", "-1", "", "10", "99999999999999999999"}) {
        EXPECT_EQ(parseZoom(value), (std::variant<int, std::string>(
                                        std::string("--zoom takes a whole number from 1 to 8, not '") + value + "'")));
    }
    EXPECT_EQ(refusalLine(std::get<std::string>(parseZoom("9"))),
              "miravel: --zoom takes a whole number from 1 to 8, not '9'");
}

} // namespace
} // namespace miravel::binding
