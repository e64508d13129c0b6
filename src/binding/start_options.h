#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace miravel::binding {

// The words a person starts the program with, however a binding receives
// them: the desktop's command line, the page's address. Text is UTF-8.

// The most a zoom may enlarge the window.
constexpr int MostZoom = 8;

// The scene of that name in the list, in any case: an index into
// Form1::SceneNames.
std::optional<std::size_t> sceneIndex(std::string_view name);
// Why no scene is chosen for the name: "there is no scene 'The moon': choose
// "The universe", "The deep sea" or "Eternity"".
std::string unknownScene(std::string_view name);

// A zoom as a person writes it, a whole number from 1 to MostZoom, or why
// the value is not one: "--zoom takes a whole number from 1 to 8, not '9'".
std::variant<int, std::string> parseZoom(std::string_view value);

// The line that refuses an option, as it is shown: "miravel: " and why.
std::string refusalLine(std::string_view why);

} // namespace miravel::binding
