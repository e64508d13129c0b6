#include "binding/start_options.h"

#include "scene/form1.h"

#include <algorithm>
#include <charconv>
#include <system_error>

namespace miravel::binding {

namespace {

// The scenes' names are plain ASCII; letters beyond it never match one.
char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameInAnyCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) { return lowered(x) == lowered(y); });
}

// "The universe", "The deep sea" or "Eternity"
std::string sceneChoices() {
    std::string choices;
    const auto& names = Form1::SceneNames;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) choices += i + 1 == names.size() ? " or " : ", ";
        choices += '"';
        choices += names[i];
        choices += '"';
    }
    return choices;
}

} // namespace

std::optional<std::size_t> sceneIndex(std::string_view name) {
    const auto& names = Form1::SceneNames;
    const auto found =
        std::find_if(names.begin(), names.end(), [name](std::string_view scene) { return sameInAnyCase(name, scene); });
    if (found == names.end()) return std::nullopt;
    return static_cast<std::size_t>(found - names.begin());
}

std::string unknownScene(std::string_view name) {
    return "there is no scene '" + std::string(name) + "': choose " + sceneChoices();
}

std::variant<int, std::string> parseZoom(std::string_view value) {
    int zoom = 0;
    const bool number = std::from_chars(value.data(), value.data() + value.size(), zoom).ec == std::errc();
    // "03", "+3" and " 3" are not how a person writes three.
    if (number && zoom >= 1 && zoom <= MostZoom && value == std::to_string(zoom)) return zoom;
    return "--zoom takes a whole number from 1 to " + std::to_string(MostZoom) + ", not '" + std::string(value) + "'";
}

std::string refusalLine(std::string_view why) { return "miravel: " + std::string(why); }

} // namespace miravel::binding
