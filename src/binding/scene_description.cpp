#include "binding/scene_description.h"

#include <string_view>
#include <utility>

namespace miravel::binding {

std::string sceneDescription(const Form1& form) {
    const std::pair<bool, std::string_view> scenes[] = {
        {form.DOSEI.visible(), Form1::SceneNames[0]},
        {form.ancou1.visible(), Form1::SceneNames[1]},
        {form.eternityOn != 0, Form1::SceneNames[2]},
    };
    std::string text;
    for (const auto& [shown, name] : scenes) {
        if (!shown) continue;
        if (!text.empty()) text += " and ";
        text += name;
    }
    text += text.empty() ? "Empty." : ".";
    if (form.CLOCK.visible() && !form.CLOCK.caption().empty()) text += " The time is " + form.CLOCK.caption() + '.';
    return text;
}

} // namespace miravel::binding
