#pragma once

#include "scene/form1.h"

#include <string>

namespace miravel::binding {

// What a screen reader says the panel shows: the scenes, in the list's
// order, and the clock's text while the clock shows one, which the
// binding's own time text made in the person's locale.
// "The deep sea and Eternity. The time is 12:04:31." or "Empty."
std::string sceneDescription(const Form1& form);

} // namespace miravel::binding
